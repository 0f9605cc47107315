#include <cerrno>
#include <functional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include "TestArchive.h"
#include "base/Error.h"
#include "core/N7UnZipper.h"
#include "core/ZipErrorText.h"
#include "core/mUnzipper.h"
#include "platform/zip/Libraries.h"
#include "platform/zip/LibzipLibraries.h"
#include "platform/zip/LibzipUnzip.h"
#include "support/ScriptedUiServices.h"

using namespace Qt::StringLiterals;
using core::N7UnZipper;
using platform::zip::DCL;
using platform::zip::USERFUNCTIONS;

namespace {

const QString kTitle = u"N7_Fetchling"_s;

// An unzip library that keeps what it was handed and plays a scripted run against the callbacks.
class FakeUnzip final : public platform::zip::UnzipLibrary
{
public:
    int Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, DCL* lpDCL,
                             USERFUNCTIONS* lpUserFunctions) override
    {
        ++calls;
        includes.clear();
        excludes.clear();
        for (int i = 0; i < ifnc; ++i)
            includes.append(QString::fromUtf8(ifnv[i]));
        for (int i = 0; i < xfnc; ++i)
            excludes.append(QString::fromUtf8(xfnv[i]));
        includeSlotAfterLast = ifnv[ifnc];
        options = *lpDCL;
        zipFileName = QString::fromUtf8(lpDCL->lpszZipFN);
        extractDir = QString::fromUtf8(lpDCL->lpszExtractDir);
        return script ? script(*lpUserFunctions) : code;
    }

    int code = 0;
    std::function<int(USERFUNCTIONS&)> script;
    int calls = 0;
    QStringList includes;
    QStringList excludes;
    char* includeSlotAfterLast = nullptr;
    DCL options;
    QString zipFileName;
    QString extractDir;
};

class FakeLibraries final : public platform::zip::Libraries
{
public:
    platform::zip::UnzipLibrary* loadUnzip(const QString& name) override
    {
        loadedName = name;
        return unzip;
    }
    platform::zip::ZipLibrary* loadZip(const QString&) override { return nullptr; }

    platform::zip::UnzipLibrary* unzip = nullptr;
    QString loadedName;
};

void listEntry(USERFUNCTIONS& callbacks, const char* name)
{
    callbacks.message(1, 1, 0, 1, 1, 24, 0, 0, ' ', name, "Stored", 0, ' ');
}

class UnZipperTest : public ::testing::Test
{
protected:
    UnZipperTest() { libraries.unzip = &fake; }

    FakeUnzip fake;
    FakeLibraries libraries;
    testsupport::ScriptedUiServices ui;
    core::mUnzipper module{libraries, ui, kTitle};
};

TEST_F(UnZipperTest, ANewJobHasTheDocumentedDefaultsAndPassesThemOn)
{
    N7UnZipper job(module);
    EXPECT_EQ(job.UnzippedFileNames, nullptr);
    ASSERT_NE(job.ZipNames, nullptr);
    EXPECT_TRUE(job.ZipNames->isEmpty());
    EXPECT_EQ(job.DoUnzipping(), 0);
    EXPECT_EQ(libraries.loadedName, u"n7unzip.dll"_s);
    EXPECT_EQ(fake.options.fQuiet, 2);
    EXPECT_EQ(fake.options.noflag, 1);
    EXPECT_EQ(fake.options.nvflag, 0);
    EXPECT_EQ(fake.options.ndflag, 0);
    EXPECT_EQ(fake.options.PromptToOverwrite, 0);
    EXPECT_TRUE(fake.includes.isEmpty()); // an empty ZipNames passes a count of 0
    EXPECT_EQ(fake.includeSlotAfterLast, nullptr);
    ASSERT_NE(job.UnzippedFileNames, nullptr);
}

TEST_F(UnZipperTest, EverySwitchReachesItsMemberOfTheOptionsRecord)
{
    struct Case
    {
        const char* field;
        std::function<void(N7UnZipper&)> set;
        int DCL::*member;
        int expected;
    };
    const QList<Case> cases = {
        {"ExtractOnlyNewer", [](N7UnZipper& j) { j.ExtractOnlyNewer = true; }, &DCL::ExtractOnlyNewer, 1},
        {"SpaceUnderScore", [](N7UnZipper& j) { j.SpaceUnderScore = true; }, &DCL::SpaceToUnderscore, 1},
        {"PromptOverWrite", [](N7UnZipper& j) { j.PromptOverWrite = true; }, &DCL::PromptToOverwrite, 1},
        {"Quiet", [](N7UnZipper& j) { j.Quiet = 7; }, &DCL::fQuiet, 7},
        {"WriteStdOut", [](N7UnZipper& j) { j.WriteStdOut = true; }, &DCL::ncflag, 1},
        {"TestZip", [](N7UnZipper& j) { j.TestZip = true; }, &DCL::ntflag, 1},
        {"ExtractOrList", [](N7UnZipper& j) { j.ExtractOrList = 1; }, &DCL::nvflag, 1},
        {"FreshenExisting", [](N7UnZipper& j) { j.FreshenExisting = true; }, &DCL::nfflag, 1},
        {"DisplayComment", [](N7UnZipper& j) { j.DisplayComment = true; }, &DCL::nzflag, 1},
        {"HonorDirectories", [](N7UnZipper& j) { j.HonorDirectories = true; }, &DCL::ndflag, 1},
        {"OverWriteFiles", [](N7UnZipper& j) { j.OverWriteFiles = false; }, &DCL::noflag, 0},
        {"ConvertCR_CRLF", [](N7UnZipper& j) { j.ConvertCR_CRLF = true; }, &DCL::naflag, 1},
        {"Verbose", [](N7UnZipper& j) { j.Verbose = true; }, &DCL::nZIflag, 1},
        {"CaseSensitivity", [](N7UnZipper& j) { j.CaseSensitivity = true; }, &DCL::C_flag, 1},
        {"Privilege", [](N7UnZipper& j) { j.Privilege = 3; }, &DCL::fPrivilege, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        N7UnZipper job(module);
        job.ZipFileName = u"/tmp/Архив.zip"_s;
        job.ExtractDir = u"/tmp/Папка"_s;
        c.set(job);
        job.DoUnzipping();
        EXPECT_EQ(fake.options.*c.member, c.expected);
        EXPECT_EQ(fake.zipFileName, u"/tmp/Архив.zip"_s);
        EXPECT_EQ(fake.extractDir, u"/tmp/Папка"_s);
    }
}

TEST_F(UnZipperTest, NameTablesTakeTheFirst255AndOnlyIncludesGetForwardSlashes)
{
    N7UnZipper job(module);
    for (int i = 1; i <= 300; ++i)
        job.ZipNames->append(u"n"_s + QString::number(i));
    job.ZipNames->replace(0, u"docs\\a.txt"_s);
    job.ExcludeFiles->append(u"docs\\a.txt"_s);
    job.DoUnzipping();
    ASSERT_EQ(fake.includes.size(), 255);
    EXPECT_EQ(fake.includes.first(), u"docs/a.txt"_s);
    EXPECT_EQ(fake.includes.last(), u"n255"_s);
    EXPECT_EQ(fake.excludes, QStringList{u"docs\\a.txt"_s});
}

TEST_F(UnZipperTest, ListingCollectsNamesWithBackslashesAndStaysInListingMode)
{
    fake.script = [](USERFUNCTIONS& callbacks) {
        listEntry(callbacks, "a/b/c.xml");
        listEntry(callbacks, "");
        listEntry(callbacks, "d.txt");
        return 0;
    };
    N7UnZipper job(module);
    core::TextCollection files;
    EXPECT_EQ(job.DoListFiles(files), 0);
    EXPECT_EQ(job.ExtractOrList, 1);
    EXPECT_EQ(files, job.UnzippedFileNames); // the same collection, not a copy
    EXPECT_EQ(*files, (QStringList{u"a\\b\\c.xml"_s, u"d.txt"_s}));

    job.DoUnzipping();
    EXPECT_EQ(fake.options.nvflag, 1);
}

TEST_F(UnZipperTest, ExtractionCollectsEveryReportedNameCutTo256Bytes)
{
    const QByteArray longName = QByteArray(300, 'n');
    fake.script = [&](USERFUNCTIONS& callbacks) {
        listEntry(callbacks, "not listing.txt"); // the message callback collects only while listing
        EXPECT_EQ(callbacks.service("sub/a.txt", 1), 0);
        EXPECT_EQ(callbacks.service("", 0), 0);
        EXPECT_EQ(callbacks.service(longName.constData(), 0), 0);
        EXPECT_EQ(callbacks.replace("a.txt"), 103);
        EXPECT_EQ(callbacks.print("text", 4), 0);
        return 0;
    };
    N7UnZipper job(module);
    job.DoUnzipping();
    EXPECT_EQ(*job.UnzippedFileNames, (QStringList{u"sub\\a.txt"_s, QString(), QString(256, u'n')}));
}

TEST_F(UnZipperTest, AFailedRunStillReplacesTheNamesWithThoseCollectedBeforeTheFailure)
{
    N7UnZipper job(module);
    job.DoUnzipping();
    const core::TextCollection first = job.UnzippedFileNames;
    fake.script = [](USERFUNCTIONS& callbacks) {
        callbacks.service("a.txt", 1);
        return 50;
    };
    EXPECT_EQ(job.DoUnzipping(), 50);
    EXPECT_NE(job.UnzippedFileNames, first);
    EXPECT_EQ(*job.UnzippedFileNames, QStringList{u"a.txt"_s});
}

TEST_F(UnZipperTest, RaiseErrorOnFailTurnsACodeIntoErrorThousandPlusCode)
{
    struct Case
    {
        int code;
        int number;
        QString text;
    };
    for (const Case& c :
         {Case{11, 1011, u"ZIP read or seek error"_s}, Case{1, 1001, QString()}, Case{50, 1050, QString()}}) {
        SCOPED_TRACE(c.code);
        fake.code = c.code;
        N7UnZipper job(module);
        job.RaiseErrorOnFail = true;
        try {
            job.DoUnzipping();
            ADD_FAILURE() << "no error raised";
        } catch (const core::Error& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(e.description(), u"[N7_Fetchling::N7UnZipper.DoUnzipping]\r\n"_s + c.text);
        }
    }
    fake.code = 0;
    N7UnZipper job(module);
    job.RaiseErrorOnFail = true;
    EXPECT_EQ(job.DoUnzipping(), 0);
}

TEST_F(UnZipperTest, AFailedListingAnswersAnEmptyCollectionOrRaises)
{
    fake.code = 9;
    N7UnZipper job(module);
    core::TextCollection files = core::newTextCollection();
    files->append(u"before"_s);
    EXPECT_EQ(job.DoListFiles(files), 9);
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isEmpty());
    EXPECT_NE(files, job.UnzippedFileNames);

    job.RaiseErrorOnFail = true;
    const core::TextCollection untouched = files;
    try {
        job.DoListFiles(files);
        ADD_FAILURE() << "no error raised";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 1009);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::N7UnZipper.DoListFiles]"_s));
        EXPECT_TRUE(e.description().endsWith(u"ZIP operation terminated or interrupted by user"_s));
    }
    EXPECT_EQ(files, untouched);
}

TEST_F(UnZipperTest, AMissingLibraryFailsTheCallAndKeepsThePreviousNames)
{
    N7UnZipper job(module);
    job.DoUnzipping();
    const core::TextCollection before = job.UnzippedFileNames;
    FakeLibraries none;
    core::mUnzipper orphan(none, ui, kTitle);
    N7UnZipper lost(orphan);
    lost.UnzippedFileNames = before;
    try {
        lost.DoUnzipping();
        ADD_FAILURE() << "no error raised";
    } catch (const core::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_TRUE(e.description().startsWith(u"[N7_Fetchling::N7UnZipper.DoUnzipping]"_s));
        EXPECT_TRUE(e.description().contains(u"n7unzip.dll"_s));
    }
    EXPECT_EQ(lost.UnzippedFileNames, before);
}

TEST_F(UnZipperTest, ThePasswordIsAskedUntilItIsRefusedOnceForTheWholeProcess)
{
    QList<int> answers;
    QByteArray given;
    fake.script = [&](USERFUNCTIONS& callbacks) {
        std::array<char, 16> buffer;
        buffer.fill('#');
        const int answer = callbacks.password(buffer.data(), static_cast<int>(buffer.size()), "Enter password", "a");
        answers.append(answer);
        if (answer == 0)
            given = QByteArray(buffer.data(), static_cast<qsizetype>(buffer.size()));
        return 0;
    };
    ui.expectInput(u"Пароль"_s);
    ui.expectInput(QString());
    N7UnZipper job(module);
    job.DoUnzipping();
    EXPECT_EQ(given, u"Пароль"_s.toUtf8() + QByteArray(16 - u"Пароль"_s.toUtf8().size(), '\0'));
    job.DoUnzipping();
    N7UnZipper another(module);
    another.DoUnzipping(); // no prompt: ScriptedUiServices fails on an unexpected one
    EXPECT_EQ(answers, (QList<int>{0, 1, 1}));
    ASSERT_EQ(ui.inputs.size(), 2u);
    EXPECT_EQ(ui.inputs[0].prompt, u"Please Enter The Password!"_s);
    EXPECT_EQ(ui.inputs[0].title, kTitle);
    EXPECT_TRUE(ui.allScriptedAnswersUsed());
}

TEST(ZipErrorTextTest, GivesTheTextOfEveryListedCodeAndNothingForTheOthers)
{
    const QMap<int, QString> texts = {
        {2, u"Unexpected end of ZIP file"_s},
        {3, u"ZIP file structure error"_s},
        {4, u"Out of memory during ZIP file processing"_s},
        {5, u"ZIP internal loginc error"_s},
        {6, u"ZIP entry too large to split"_s},
        {7, u"Invalid ZIP comment format"_s},
        {8, u"Zip test (-T) failed or Out of memory"_s},
        {9, u"ZIP operation terminated or interrupted by user"_s},
        {10, u"ZIP error using a temp file"_s},
        {11, u"ZIP read or seek error"_s},
        {12, u"Nothing to do for ZIP"_s},
        {13, u"Missing or empty ZIP file"_s},
        {14, u"ZIP error writing to file"_s},
        {15, u"ZIP couldn't open to write"_s},
        {16, u"ZIP bad command line argument"_s},
        {18, u"ZIP couldn't open a specified file to read"_s},
    };
    for (int code = -2; code <= 60; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(core::ZipErrorText(code), texts.value(code));
    }
}

// The live caller's settings against the real engine.
class UnZipperOnLibzipTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    int unpackLikeTheDownloadQueue(N7UnZipper& job)
    {
        job.ExtractOrList = 0;
        job.ExtractDir = folder();
        job.ZipFileName = archive();
        job.OverWriteFiles = true;
        job.PromptOverWrite = false;
        job.HonorDirectories = false;
        job.ZipNames->append(u"*.*"_s);
        job.RaiseErrorOnFail = false;
        return job.DoUnzipping();
    }

    QString folder() const { return m_dir.path() + u"/doc"_s; }
    QString archive() const { return folder() + u"/content.zip"_s; }

    QTemporaryDir m_dir;
    testsupport::ScriptedUiServices ui;
};

TEST_F(UnZipperOnLibzipTest, UnpacksEveryEntryFlatIntoTheDocumentFolder)
{
    QDir().mkpath(folder());
    ASSERT_TRUE(testsupport::TestArchive::write(
        archive(), {{"card.xml", "<x/>"}, {"sign/card.xml.sgn", "s"}, {"../../evil", "e"}, {"content.zip", "inner"}}));
    platform::zip::LibzipLibraries libraries;
    core::mUnzipper unzipper(libraries, ui, kTitle);
    N7UnZipper job(unzipper);
    EXPECT_EQ(unpackLikeTheDownloadQueue(job), 0);
    EXPECT_EQ(*job.UnzippedFileNames, (QStringList{u"card.xml"_s, u"card.xml.sgn"_s, u"evil"_s, u"content (2).zip"_s}));
    EXPECT_EQ(testsupport::TestArchive::filesBelow(m_dir.path()),
              (QStringList{u"doc/card.xml"_s, u"doc/card.xml.sgn"_s, u"doc/content (2).zip"_s, u"doc/content.zip"_s,
                           u"doc/evil"_s}));
}

TEST_F(UnZipperOnLibzipTest, ReservedNamesReachTheEngineAndAreNumbered)
{
    QDir().mkpath(folder());
    ASSERT_TRUE(testsupport::TestArchive::write(archive(), {{"DCInfo.n7l", "content"}, {"a.txt", "a"}}));
    platform::zip::LibzipLibraries libraries;
    core::mUnzipper unzipper(libraries, ui, kTitle);
    N7UnZipper job(unzipper);
    job.ReservedNames = {u"DCInfo.n7l"_s, u"diadoc.documentID=e41b.url"_s};
    EXPECT_EQ(unpackLikeTheDownloadQueue(job), 0);
    EXPECT_EQ(*job.UnzippedFileNames, (QStringList{u"DCInfo (2).n7l"_s, u"a.txt"_s}));

    // The names belong to one job: the next one may use them.
    N7UnZipper next(unzipper);
    EXPECT_EQ(unpackLikeTheDownloadQueue(next), 0);
    EXPECT_EQ(*next.UnzippedFileNames, (QStringList{u"DCInfo.n7l"_s, u"a.txt"_s}));
}

TEST_F(UnZipperOnLibzipTest, AFullDiskAnswersCodeFifty)
{
    QDir().mkpath(folder());
    ASSERT_TRUE(testsupport::TestArchive::write(archive(), {{"big.bin", QByteArray(200000, 'b')}}));
    platform::zip::LibzipUnzip fullDisk([](int, const char*, std::size_t) -> long {
        errno = ENOSPC;
        return -1;
    });
    FakeLibraries libraries;
    libraries.unzip = &fullDisk;
    core::mUnzipper unzipper(libraries, ui, kTitle);
    N7UnZipper job(unzipper);
    EXPECT_EQ(unpackLikeTheDownloadQueue(job), 50);
    EXPECT_EQ(core::ZipErrorText(50), QString());
    EXPECT_EQ(testsupport::TestArchive::filesBelow(m_dir.path()), QStringList{u"doc/content.zip"_s});
}

} // namespace
