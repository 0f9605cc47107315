#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include "TestArchive.h"
#include "base/TextCodec.h"
#include "platform/zip/LibzipZip.h"

using namespace Qt::StringLiterals;
using platform::zip::LibzipZip;
using platform::zip::ZIPUSERFUNCTIONS;
using platform::zip::ZPOPT;
using testsupport::TestArchive;

namespace {

struct StoredEntry
{
    QString name;
    QByteArray data;
    int method = 0;
};

// Source files under src/, the archive beside them.
class ZipEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        TestArchive::writeFile(src() + u"/a.txt"_s, QByteArray(4000, 'a'));
        TestArchive::writeFile(src() + u"/sub/b.xml"_s, "<b/>");
        TestArchive::writeFile(src() + u"/sub/deep/c.bin"_s, "c");
        m_rootDir = src().toUtf8();
        options.szRootDir = m_rootDir.constData();
    }

    QString src() const { return m_dir.path() + u"/src"_s; }
    QString archive() const { return m_dir.path() + u"/out.zip"_s; }

    int zip(const QStringList& names)
    {
        LibzipZip engine;
        engine.ZpInit(&callbacks);
        engine.ZpSetOptions(&options);
        QList<QByteArray> bytes;
        std::vector<char*> table;
        for (const QString& name : names)
            bytes.append(core::TextCodec::toCp1251(name));
        for (QByteArray& b : bytes)
            table.push_back(b.data());
        const QByteArray zipName = QFile::encodeName(archive());
        return engine.ZpArchive(static_cast<int>(table.size()), zipName.constData(), table.data());
    }

    QList<StoredEntry> stored() const
    {
        QList<StoredEntry> entries;
        int error = 0;
        zip_t* za = zip_open(QFile::encodeName(archive()).constData(), ZIP_RDONLY, &error);
        if (!za)
            return entries;
        for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
            zip_stat_t st;
            zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
            QByteArray data(static_cast<qsizetype>(st.size), '\0');
            if (zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0)) {
                zip_fread(f, data.data(), st.size);
                zip_fclose(f);
            }
            entries.append({QString::fromUtf8(st.name), data, st.comp_method});
        }
        zip_discard(za);
        return entries;
    }

    QStringList storedNames() const
    {
        QStringList names;
        for (const StoredEntry& e : stored())
            names.append(e.name);
        return names;
    }

    QTemporaryDir m_dir;
    QByteArray m_rootDir;
    ZPOPT options;
    ZIPUSERFUNCTIONS callbacks;
};

TEST_F(ZipEngineTest, PacksTheNamedFilesRelativeToTheRootFolder)
{
    EXPECT_EQ(zip({u"a.txt"_s, u"sub\\b.xml"_s}), 0);
    const QList<StoredEntry> entries = stored();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, u"a.txt"_s);
    EXPECT_EQ(entries[0].data, QByteArray(4000, 'a'));
    EXPECT_EQ(entries[1].name, u"sub/b.xml"_s);
}

TEST_F(ZipEngineTest, SwitchesShapeWhatIsPacked)
{
    struct Case
    {
        const char* what;
        std::function<void(ZPOPT&)> set;
        QStringList names;
        QStringList expected;
    };
    const QList<Case> cases = {
        {"folder alone", [](ZPOPT&) {}, {u"sub"_s}, {u"sub/"_s}},
        {"recursion",
         [](ZPOPT& o) { o.fRecurse = 1; },
         {u"sub"_s},
         {u"sub/"_s, u"sub/b.xml"_s, u"sub/deep/"_s, u"sub/deep/c.bin"_s}},
        {"no folder entries",
         [](ZPOPT& o) {
             o.fRecurse = 1;
             o.fNoDirEntries = 1;
         },
         {u"sub"_s},
         {u"sub/b.xml"_s, u"sub/deep/c.bin"_s}},
        {"junked folders",
         [](ZPOPT& o) {
             o.fRecurse = 1;
             o.fJunkDir = 1;
         },
         {u"sub"_s},
         {u"b.xml"_s, u"c.bin"_s}},
        {"wildcards", [](ZPOPT&) {}, {u"sub/*.xml"_s}, {u"sub/b.xml"_s}},
        {"no climbing out", [](ZPOPT&) {}, {u"../src/a.txt"_s}, {u"src/a.txt"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(archive());
        options = ZPOPT{};
        options.szRootDir = m_rootDir.constData();
        c.set(options);
        EXPECT_EQ(zip(c.names), 0);
        EXPECT_EQ(storedNames(), c.expected);
    }
}

TEST_F(ZipEngineTest, TheLevelChoosesStoringOrDeflating)
{
    options.fLevel = '0';
    EXPECT_EQ(zip({u"a.txt"_s}), 0);
    EXPECT_EQ(stored().value(0).method, ZIP_CM_STORE);
    QFile::remove(archive());
    options.fLevel = '9';
    EXPECT_EQ(zip({u"a.txt"_s}), 0);
    EXPECT_EQ(stored().value(0).method, ZIP_CM_DEFLATE);
}

TEST_F(ZipEngineTest, AWindows1251NameWithAReplacedCharacterFindsItsFileThroughTheWildcard)
{
    TestArchive::writeFile(src() + u"/Счёт中.txt"_s, "x");
    EXPECT_EQ(zip({u"Счёт中.txt"_s}), 0); // reaches the engine as "Счёт?.txt"
    EXPECT_EQ(storedNames(), QStringList{u"Счёт中.txt"_s});
}

TEST_F(ZipEngineTest, UpdateFreshenMoveAndDeleteWorkOnTheExistingArchive)
{
    EXPECT_EQ(zip({u"a.txt"_s}), 0);
    options.fFreshen = 1;
    EXPECT_EQ(zip({u"sub/b.xml"_s}), 0); // freshen adds nothing new
    EXPECT_EQ(storedNames(), QStringList{u"a.txt"_s});
    options.fFreshen = 0;
    options.fUpdate = 1;
    EXPECT_EQ(zip({u"a.txt"_s, u"sub/b.xml"_s}), 0);
    EXPECT_EQ(storedNames(), (QStringList{u"a.txt"_s, u"sub/b.xml"_s}));
    options.fUpdate = 0;
    options.fMove = 1;
    EXPECT_EQ(zip({u"sub/deep/c.bin"_s}), 0);
    EXPECT_FALSE(QFile::exists(src() + u"/sub/deep/c.bin"_s));
    options.fMove = 0;
    options.fDeleteEntries = 1;
    EXPECT_EQ(zip({u"sub/*"_s}), 0);
    EXPECT_EQ(storedNames(), QStringList{u"a.txt"_s});
}

TEST_F(ZipEngineTest, DateSwitchesTakeFilesFromOrBeforeTheDate)
{
    const QDateTime old = QDateTime::currentDateTime().addYears(-3);
    QFile file(src() + u"/a.txt"_s);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
    file.close();
    const QByteArray date = QDate::currentDate().addYears(-1).toString(u"MM/dd/yy"_s).toUtf8();
    options.Date = date.constData();
    options.fIncludeDate = 1;
    EXPECT_EQ(zip({u"a.txt"_s, u"sub/b.xml"_s}), 0);
    EXPECT_EQ(storedNames(), QStringList{u"sub/b.xml"_s});
    QFile::remove(archive());
    options.fIncludeDate = 0;
    options.fExcludeDate = 1;
    EXPECT_EQ(zip({u"a.txt"_s, u"sub/b.xml"_s}), 0);
    EXPECT_EQ(storedNames(), QStringList{u"a.txt"_s});
}

TEST_F(ZipEngineTest, ErrorsAnswerTheirCodes)
{
    EXPECT_EQ(zip({}), 12);
    EXPECT_EQ(zip({u"missing.txt"_s}), 12);
    options.fDeleteEntries = 1;
    EXPECT_EQ(zip({u"a.txt"_s}), 13);
    options.fDeleteEntries = 0;
    options.fLevel = 'x';
    EXPECT_EQ(zip({u"a.txt"_s}), 16);
    options.fLevel = 0;
    options.fIncludeDate = 1;
    options.Date = "someday";
    EXPECT_EQ(zip({u"a.txt"_s}), 16);
    options.fIncludeDate = 0;
    TestArchive::writeFile(archive(), "this is not an archive at all, only text");
    EXPECT_EQ(zip({u"a.txt"_s}), 3);
    QFile::remove(archive());
    LibzipZip engine;
    engine.ZpInit(&callbacks);
    engine.ZpSetOptions(&options);
    QByteArray name("a.txt");
    char* table[] = {name.data()};
    const QByteArray nowhere = QFile::encodeName(m_dir.path() + u"/no/such/folder/out.zip"_s);
    EXPECT_EQ(engine.ZpArchive(1, nowhere.constData(), table), 15);
}

TEST_F(ZipEngineTest, EncryptionAsksForThePasswordAndTheServiceCanStopTheRun)
{
    if (!zip_encryption_method_supported(ZIP_EM_AES_256, 1))
        GTEST_SKIP() << "this libzip writes no encrypted entries";
    options.fEncrypt = 1;
    callbacks.password = [](char*, int, const char*, const char*) { return 1; };
    EXPECT_EQ(zip({u"a.txt"_s}), 9);
    callbacks.password = [](char* buffer, int size, const char*, const char*) {
        qstrncpy(buffer, "pw", static_cast<std::size_t>(size));
        return 0;
    };
    EXPECT_EQ(zip({u"a.txt"_s}), 0);
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(archive()).constData(), ZIP_RDONLY, &error);
    ASSERT_NE(za, nullptr);
    zip_stat_t st;
    zip_stat_index(za, 0, 0, &st);
    EXPECT_NE(st.encryption_method, ZIP_EM_NONE);
    zip_discard(za);

    QFile::remove(archive());
    options.fEncrypt = 0;
    callbacks.service = [](const char*, unsigned long) { return 1; };
    EXPECT_EQ(zip({u"a.txt"_s}), 9);
    EXPECT_FALSE(QFile::exists(archive()));
}

} // namespace
