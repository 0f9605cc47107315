#include <cerrno>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>
#include <zip.h>

#include "TestArchive.h"
#include "platform/zip/LibzipUnzip.h"

using namespace Qt::StringLiterals;
using platform::zip::DCL;
using platform::zip::LibzipUnzip;
using platform::zip::USERFUNCTIONS;
using testsupport::TestArchive;

namespace {

// A sandbox with the archive, a file that no entry may touch, and the target folder.
class UnzipEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sandbox.isValid());
        TestArchive::writeFile(sentinel(), "untouched");
        QDir().mkpath(target());
    }

    QString sandbox() const { return m_sandbox.path(); }
    QString archive() const { return sandbox() + u"/content.zip"_s; }
    QString target() const { return sandbox() + u"/target"_s; }
    QString sentinel() const { return sandbox() + u"/x"_s; }

    void build(const QList<TestArchive::Entry>& entries, const QString& path = {})
    {
        QString error;
        ASSERT_TRUE(TestArchive::write(path.isEmpty() ? archive() : path, entries, &error)) << error.toStdString();
    }

    int unzip(LibzipUnzip& engine, DCL options, QStringList includes = {u"*.*"_s}, QStringList excludes = {})
    {
        const QByteArray zipName = QFile::encodeName(m_archiveOverride.isEmpty() ? archive() : m_archiveOverride);
        const QByteArray dir = QFile::encodeName(target());
        options.lpszZipFN = zipName.constData();
        options.lpszExtractDir = dir.constData();
        QList<QByteArray> includeBytes;
        QList<QByteArray> excludeBytes;
        std::vector<char*> includeTable;
        std::vector<char*> excludeTable;
        for (const QString& name : includes)
            includeBytes.append(name.toUtf8());
        for (const QString& name : excludes)
            excludeBytes.append(name.toUtf8());
        for (QByteArray& bytes : includeBytes)
            includeTable.push_back(bytes.data());
        for (QByteArray& bytes : excludeBytes)
            excludeTable.push_back(bytes.data());
        reported.clear();
        listed.clear();
        callbacks.service = [this](const char* name, unsigned long) {
            reported.append(QString::fromUtf8(name));
            return 0;
        };
        callbacks.message = [this](unsigned long, unsigned long, unsigned, unsigned, unsigned, unsigned, unsigned,
                                   unsigned, char, const char* name, const char*, unsigned long,
                                   char) { listed.append(QString::fromUtf8(name)); };
        return engine.Wiz_SingleEntryUnzip(static_cast<int>(includeTable.size()), includeTable.data(),
                                           static_cast<int>(excludeTable.size()), excludeTable.data(), &options,
                                           &callbacks);
    }

    int extract(QStringList includes = {u"*.*"_s})
    {
        LibzipUnzip engine;
        DCL options;
        options.noflag = 1;
        return unzip(engine, options, std::move(includes));
    }

    QMap<QString, QByteArray> extracted() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : TestArchive::filesBelow(target()))
            files.insert(name, TestArchive::read(target() + u'/' + name));
        return files;
    }

    // Nothing but the target folder changed: the archive and the sentinel are all there is beside it.
    void expectNothingOutside() const
    {
        QStringList outside;
        for (const QString& name : TestArchive::filesBelow(sandbox())) {
            if (!name.startsWith(u"target/"_s))
                outside.append(name);
        }
        EXPECT_EQ(outside, (QStringList{u"content.zip"_s, u"x"_s}));
        EXPECT_EQ(TestArchive::read(sentinel()), "untouched");
    }

    QTemporaryDir m_sandbox;
    QString m_archiveOverride;
    USERFUNCTIONS callbacks;
    QStringList reported;
    QStringList listed;
};

TEST_F(UnzipEngineTest, HostileNamesAreFlattenedIntoTheTargetFolder)
{
    build({
        {"../x", "1"},
        {"/etc/x", "2"},
        {"C:\\x", "3"},
        {"a/../../x", "4"},
        {"", "5"},
        {"dir/", {}, true},
        {"..", "6"},
        {"C:evil.txt", "7"},
        {"bad\x01name\x7F.txt", "8"},
        {"a/b\\..\\..\\..\\y", "9"},
    });
    EXPECT_EQ(extract(), 0);
    const QMap<QString, QByteArray> expected = {
        {u"x"_s, "1"},        {u"x (2)"_s, "2"},         {u"x (3)"_s, "3"},
        {u"x (4)"_s, "4"},    {u"unnamed"_s, "5"},       {u"unnamed (2)"_s, "6"},
        {u"evil.txt"_s, "7"}, {u"bad_name_.txt"_s, "8"}, {u"y"_s, "9"},
    };
    EXPECT_EQ(extracted(), expected);
    EXPECT_EQ(reported, (QStringList{u"x"_s, u"x (2)"_s, u"x (3)"_s, u"x (4)"_s, u"unnamed"_s, u"unnamed (2)"_s,
                                     u"evil.txt"_s, u"bad_name_.txt"_s, u"y"_s}));
    expectNothingOutside();
}

TEST_F(UnzipEngineTest, EntriesWithTheSameBaseNameDoNotOverwriteEachOther)
{
    build({{"a/doc.txt", "first"},
           {"b/doc.txt", "second"},
           {"DOC.txt", "third"},
           {"c/doc", "no extension"},
           {"d/doc", "again"}});
    EXPECT_EQ(extract(), 0);
    const QMap<QString, QByteArray> expected = {{u"doc.txt"_s, "first"},
                                                {u"doc (2).txt"_s, "second"},
                                                {u"DOC (3).txt"_s, "third"},
                                                {u"doc"_s, "no extension"},
                                                {u"doc (2)"_s, "again"}};
    EXPECT_EQ(extracted(), expected);
}

TEST_F(UnzipEngineTest, AnExistingFileFromAnEarlierRunIsReplaced)
{
    TestArchive::writeFile(target() + u"/doc.txt"_s, "old");
    build({{"doc.txt", "new"}});
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(TestArchive::read(target() + u"/doc.txt"_s), "new");
}

// The caller writes files of its own beside the content: an entry of such a name, in any case and
// from any folder of the archive, is numbered; the same name in a subfolder that is kept is free.
TEST_F(UnzipEngineTest, ReservedNamesAreNumberedAsTakenNames)
{
    build({{"DCInfo.n7l", "content 1"},
           {"sub/dcinfo.N7L", "content 2"},
           {"diadoc.documentID=e41b.url", "content 3"},
           {"DCInfo (2).n7l", "content 4"},
           {"keep/DCInfo.n7l", "content 5"}});
    const QByteArray first = "DCInfo.n7l";
    const QByteArray second = "diadoc.documentID=e41b.url";
    const char* const reserved[] = {first.constData(), second.constData(), nullptr};
    LibzipUnzip engine;
    DCL options;
    options.noflag = 1;
    options.lpszReservedNames = reserved;
    EXPECT_EQ(unzip(engine, options), 0);
    const QMap<QString, QByteArray> expected = {{u"DCInfo (2).n7l"_s, "content 1"},
                                                {u"dcinfo (3).N7L"_s, "content 2"},
                                                {u"diadoc.documentID=e41b (2).url"_s, "content 3"},
                                                {u"DCInfo (2) (2).n7l"_s, "content 4"},
                                                {u"DCInfo (4).n7l"_s, "content 5"}};
    EXPECT_EQ(extracted(), expected);

    QDir(target()).removeRecursively();
    options.ndflag = 1;
    EXPECT_EQ(unzip(engine, options), 0);
    EXPECT_EQ(TestArchive::read(target() + u"/keep/DCInfo.n7l"_s), "content 5");
    EXPECT_EQ(TestArchive::read(target() + u"/sub/dcinfo.N7L"_s), "content 2");
    EXPECT_EQ(TestArchive::read(target() + u"/DCInfo (2).n7l"_s), "content 1");
}

TEST_F(UnzipEngineTest, AnEntryNamedLikeTheArchiveLeavesTheArchiveAlone)
{
    // The live caller downloads content.zip into the very folder it unpacks into.
    m_archiveOverride = target() + u"/content.zip"_s;
    build({{"content.zip", "inner"}, {"doc.txt", "d"}}, m_archiveOverride);
    const QByteArray before = TestArchive::read(m_archiveOverride);
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(TestArchive::read(m_archiveOverride), before);
    EXPECT_EQ(TestArchive::read(target() + u"/content (2).zip"_s), "inner");
    EXPECT_EQ(TestArchive::read(target() + u"/doc.txt"_s), "d");
}

TEST_F(UnzipEngineTest, ALinkInTheTargetIsNeitherFollowedNorReplaced)
{
    ASSERT_EQ(
        ::symlink(QFile::encodeName(sentinel()).constData(), QFile::encodeName(target() + u"/link.txt"_s).constData()),
        0);
    ASSERT_EQ(::symlink(QFile::encodeName(sandbox()).constData(), QFile::encodeName(target() + u"/sub"_s).constData()),
              0);
    build({{"link.txt", "payload"}, {"sub/x", "through a folder link"}});
    LibzipUnzip engine;
    DCL options;
    options.noflag = 1;
    options.ndflag = 1;
    EXPECT_EQ(unzip(engine, options), 1); // the entry below the folder link is refused
    EXPECT_TRUE(QFileInfo(target() + u"/link.txt"_s).isSymLink());
    EXPECT_EQ(TestArchive::read(target() + u"/link (2).txt"_s), "payload");
    expectNothingOutside();
}

TEST_F(UnzipEngineTest, HonouredFoldersAreRebuiltFromCleanComponentsOnly)
{
    build({{"a/../../b/c.txt", "1"}, {"/abs/d.txt", "2"}, {"e/", {}, true}});
    LibzipUnzip engine;
    DCL options;
    options.noflag = 1;
    options.ndflag = 1;
    EXPECT_EQ(unzip(engine, options), 0);
    EXPECT_EQ(TestArchive::filesBelow(target()), (QStringList{u"a/b/c.txt"_s, u"abs/d.txt"_s}));
    EXPECT_TRUE(QFileInfo(target() + u"/e"_s).isDir());
    EXPECT_EQ(reported, (QStringList{u"a/b/c.txt"_s, u"abs/d.txt"_s}));
    expectNothingOutside();
}

TEST_F(UnzipEngineTest, NamesAreDecodedAsFlaggedOrValidUtf8ElseAsCp866)
{
    const QString invoice = u"Счёт №5.txt"_s;
    QByteArray cp866("\x91\xE7\xF1\xE2 \xFC"
                     "5.txt");
    build({
        {invoice.toUtf8(), "flagged", false, true},
        {u"Акт.xml"_s.toUtf8(), "valid utf-8 without the flag"},
        {cp866, "cp866"},
    });
    EXPECT_EQ(extract(), 0);
    const QMap<QString, QByteArray> expected = {
        {invoice, "flagged"}, {u"Акт.xml"_s, "valid utf-8 without the flag"}, {u"Счёт №5 (2).txt"_s, "cp866"}};
    EXPECT_EQ(extracted(), expected);
}

TEST_F(UnzipEngineTest, OverLongNamesAreCutToTwoHundredFiftyFiveBytesKeepingTheExtension)
{
    const QString longStem = QString(200, u'Ж'); // 400 bytes of UTF-8
    build({{(longStem + u"A.xml"_s).toUtf8(), "1", false, true}, {(longStem + u"B.xml"_s).toUtf8(), "2", false, true}});
    EXPECT_EQ(extract(), 0);
    const QStringList names = TestArchive::filesBelow(target());
    ASSERT_EQ(names.size(), 2);
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_LE(name.toUtf8().size(), 255);
        EXPECT_TRUE(name.endsWith(u".xml"_s));
    }
    EXPECT_TRUE(names[0].endsWith(u" (2).xml"_s) || names[1].endsWith(u" (2).xml"_s));
}

TEST_F(UnzipEngineTest, ADamagedArchiveGivesACodeAndLeavesNoFileOutsideOrHalfWritten)
{
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += QByteArray::number(i * 7919 % 10007);
    // A document's archive is read whole; one of more than a mebibyte as it is needed.
    QByteArray noise(3 * 512 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    for (const bool large : {false, true}) {
        SCOPED_TRACE(large ? "read as needed" : "read whole");
        QList<TestArchive::Entry> entries = {{"one.txt", big}, {"two.txt", "second"}, {"three.bin", big.left(5000)}};
        if (large)
            entries.append({"noise.bin", noise});
        build(entries);
        const QByteArray whole = TestArchive::read(archive());
        ASSERT_EQ(whole.size() > 1024 * 1024, large);
        // Cut anywhere, an archive loses its end record (the last 22 bytes), which is where reading
        // starts: it is no archive at all, the code of a missing or foreign file.
        struct Cut
        {
            qsizetype length;
            int code;
        };
        using namespace platform::zip::unzipcode;
        for (const Cut cut : {Cut{0, PK_NOZIP}, Cut{10, PK_NOZIP}, Cut{100, PK_NOZIP}, Cut{whole.size() / 2, PK_NOZIP},
                              Cut{whole.size() - 22, PK_NOZIP}, Cut{whole.size() - 1, PK_NOZIP}}) {
            SCOPED_TRACE(cut.length);
            QDir(target()).removeRecursively();
            TestArchive::writeFile(archive(), whole.left(cut.length));
            EXPECT_EQ(extract(), cut.code);
            expectNothingOutside();
            for (const QString& name : TestArchive::filesBelow(target()))
                EXPECT_FALSE(name.endsWith(u".tmp"_s)) << name.toStdString();
        }
        // A damaged byte in the stored data: the entry fails its check and is not kept.
        QByteArray damaged = whole;
        const qsizetype at = damaged.indexOf("second");
        ASSERT_GT(at, 0);
        damaged[at] = 'S';
        QDir(target()).removeRecursively();
        TestArchive::writeFile(archive(), damaged);
        EXPECT_EQ(extract(), 2);
        EXPECT_FALSE(QFile::exists(target() + u"/two.txt"_s));
        EXPECT_EQ(TestArchive::read(target() + u"/one.txt"_s), big);
        if (large) {
            EXPECT_EQ(TestArchive::read(target() + u"/noise.bin"_s), noise);
        }
    }
}

TEST_F(UnzipEngineTest, AFullDiskGivesCodeFiftyAndNoHalfFile)
{
    build({{"a.txt", QByteArray(1000, 'a')}, {"b.txt", QByteArray(100000, 'b')}, {"c.txt", "c"}});
    qint64 room = 5000;
    LibzipUnzip engine([&room](int fd, const char* data, std::size_t size) -> long {
        if (room <= 0) {
            errno = ENOSPC;
            return -1;
        }
        const auto put = static_cast<std::size_t>(std::min<qint64>(room, static_cast<qint64>(size)));
        room -= static_cast<qint64>(put);
        return static_cast<long>(::write(fd, data, put));
    });
    DCL options;
    options.noflag = 1;
    EXPECT_EQ(unzip(engine, options), 50);
    EXPECT_EQ(TestArchive::filesBelow(target()), QStringList{u"a.txt"_s});
    EXPECT_EQ(reported, QStringList{u"a.txt"_s});
}

// Puts a 32-bit little-endian value into the bytes at a place.
void putLe32(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

TEST_F(UnzipEngineTest, AnEntryLargerThanItDeclaresStopsBeingWrittenAtItsDeclaredSize)
{
    // Four MiB of zeros that declare a thousand bytes, in the local header and the central directory.
    build({{"bomb.bin", QByteArray(4 * 1024 * 1024, '\0')}, {"ok.txt", "fine"}});
    QByteArray bytes = TestArchive::read(archive());
    const qsizetype local = bytes.indexOf("PK\x03\x04");
    const qsizetype central = bytes.indexOf("PK\x01\x02");
    ASSERT_GE(local, 0);
    ASSERT_GT(central, local);
    putLe32(bytes, local + 22, 1000);
    putLe32(bytes, central + 24, 1000);
    TestArchive::writeFile(archive(), bytes);

    qint64 written = 0;
    LibzipUnzip engine([&written](int fd, const char* data, std::size_t size) -> long {
        const long put = static_cast<long>(::write(fd, data, size));
        written += put > 0 ? put : 0;
        return put;
    });
    DCL options;
    options.noflag = 1;
    EXPECT_NE(unzip(engine, options), 0);
    EXPECT_LE(written, 1000 + 4) << "no more than the declared size (and the other entry) reached the disk";
    EXPECT_EQ(TestArchive::filesBelow(target()), QStringList{u"ok.txt"_s});
    expectNothingOutside();
}

TEST_F(UnzipEngineTest, TemporaryFilesOfAKilledExtractionGoWithTheNextOne)
{
    build({{"a.txt", "a"}});
    const QString killed = target() + u"/.n7unzip-1f2e3d.tmp"_s;
    const QString alive = target() + u"/.n7unzip-4c5b6a.tmp"_s;
    TestArchive::writeFile(killed, "half of a file");
    TestArchive::writeFile(alive, "still being written");
    TestArchive::writeFile(target() + u"/.n7unzip-notes.txt"_s, "not ours");
    TestArchive::writeFile(target() + u"/report.tmp"_s, "not ours");
    // Another extraction, still running, holds the lock on its file.
    QFile writer(alive);
    ASSERT_TRUE(writer.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(writer.handle(), LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(TestArchive::filesBelow(target()),
              (QStringList{u".n7unzip-4c5b6a.tmp"_s, u".n7unzip-notes.txt"_s, u"a.txt"_s, u"report.tmp"_s}));
}

TEST_F(UnzipEngineTest, AFolderFullOfLeftoversIsListedToTheEnd)
{
    // More names than one reading of the folder takes: the leftovers of every part go.
    build({{"a.txt", "a"}});
    for (int i = 0; i < 400; ++i)
        TestArchive::writeFile(target() + u"/.n7unzip-%1-a-long-name-of-a-killed-extraction.tmp"_s.arg(i), "x");
    for (int i = 0; i < 400; ++i)
        TestArchive::writeFile(target() + u"/kept-%1.txt"_s.arg(i), "ours");

    EXPECT_EQ(extract(), 0);
    const QStringList left = TestArchive::filesBelow(target());
    EXPECT_EQ(left.size(), 401);
    EXPECT_TRUE(left.filter(u".n7unzip-"_s).isEmpty());
}

TEST_F(UnzipEngineTest, ListingReportsTheStoredNamesAndWritesNothing)
{
    build({{"a/b/c.xml", "1"}, {"../d.txt", "2"}});
    LibzipUnzip engine;
    DCL options;
    options.nvflag = 1;
    EXPECT_EQ(unzip(engine, options), 0);
    EXPECT_EQ(listed, (QStringList{u"a/b/c.xml"_s, u"../d.txt"_s}));
    EXPECT_TRUE(TestArchive::filesBelow(target()).isEmpty());
}

TEST_F(UnzipEngineTest, PatternsChooseTheEntriesAndCodesTellWhatWentWrong)
{
    build({{"docs/a.txt", "1"}, {"docs/b.xml", "2"}, {"README", "3"}});
    struct Case
    {
        QStringList includes;
        QStringList excludes;
        int code;
        QStringList files;
    };
    const QList<Case> cases = {
        {{u"*.*"_s}, {}, 0, {u"README"_s, u"a.txt"_s, u"b.xml"_s}},
        {{}, {}, 0, {u"README"_s, u"a.txt"_s, u"b.xml"_s}},
        {{u"*.xml"_s}, {}, 0, {u"b.xml"_s}},
        {{u"docs/?.txt"_s}, {}, 0, {u"a.txt"_s}},
        {{u"*"_s}, {u"*.txt"_s}, 0, {u"README"_s, u"b.xml"_s}},
        {{u"*.pdf"_s}, {}, 11, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.includes.join(u',').toStdString());
        QDir(target()).removeRecursively();
        LibzipUnzip engine;
        DCL options;
        options.noflag = 1;
        EXPECT_EQ(unzip(engine, options, c.includes, c.excludes), c.code);
        EXPECT_EQ(TestArchive::filesBelow(target()), c.files);
    }
    m_archiveOverride = sandbox() + u"/missing.zip"_s;
    EXPECT_EQ(extract(), 9);
}

TEST_F(UnzipEngineTest, ExistingFilesAreKeptWhenOverwritingIsOff)
{
    TestArchive::writeFile(target() + u"/a.txt"_s, "mine");
    build({{"a.txt", "theirs"}});
    LibzipUnzip engine;
    DCL options; // noflag 0 and no prompt: never overwrite
    EXPECT_EQ(unzip(engine, options), 0);
    EXPECT_EQ(TestArchive::read(target() + u"/a.txt"_s), "mine");
}

TEST_F(UnzipEngineTest, EncryptedEntriesAskForThePasswordThroughTheCallback)
{
    if (!zip_encryption_method_supported(ZIP_EM_AES_256, 1))
        GTEST_SKIP() << "this libzip writes no encrypted entries";
    build({{"secret.txt", "hidden", false, false, "pw"}, {"plain.txt", "open"}});
    QStringList answers = {u"wrong"_s, u"pw"_s};
    int asked = 0;
    callbacks.password = [&](char* buffer, int size, const char*, const char*) {
        ++asked;
        const QByteArray answer = answers.takeFirst().toUtf8();
        qstrncpy(buffer, answer.constData(), static_cast<std::size_t>(size));
        return 0;
    };
    EXPECT_EQ(extract(), 0);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(TestArchive::read(target() + u"/secret.txt"_s), "hidden");

    QDir(target()).removeRecursively();
    callbacks.password = [](char*, int, const char*, const char*) { return 1; };
    build({{"secret.txt", "hidden", false, false, "pw"}});
    EXPECT_EQ(extract(), 82);
    EXPECT_TRUE(TestArchive::filesBelow(target()).isEmpty());
}

} // namespace
