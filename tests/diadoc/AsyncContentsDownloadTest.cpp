#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>

#include "AsyncContentsTestFixture.h"
#include "FakeDiadoc.h"
#include "diadoc/OwnFileNames.h"
#include "platform/zip/EntryName.h"
#include "platform/zip/Libraries.h"
#include "platform/zip/UnzipLibrary.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultEffect;

namespace contentstest {
namespace {

const QString kPlaceStart =
    u"AsyncContents.InitDocSaveContent() - Set dAsyncResultAllContentДокумент = ....SaveAllContentAsync()"_s;
const QString kPlaceResult =
    u"AsyncContents.РазобратьРаботающиеЗапросы() - dVarTypeResult = VarType(dDoc.AsyncResultContentDoc.Result)"_s;
const QString kPlaceUnpack = u"AsyncContents.РаспаковатьContentZip()"_s;

using DownloadTest = ContentsFixture;

// Runs collection passes until document n has left the unloading list once; answers where it went.
QString firstDestination(const QStringList& events, int n)
{
    for (const QString& e : events) {
        for (const QString& list : {u"+Unloaded"_s, u"+Ignored"_s, u"+Second"_s}) {
            if (e == list + u' ' + QString::number(n))
                return list;
        }
    }
    return {};
}

TEST_F(DownloadTest, FolderModeWritesTheStartToTheRunLog)
{
    startLog();
    makeQueue(5);
    add(1, false, {}, true);
    drain();
    const QString call = u"aDocument.SaveAllContentAsync( \""_s + folderOf(1) + u"\", True)"_s;
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines.mid(1, 2), QStringList({u"Перед "_s + call, u"После "_s + call}));
    EXPECT_TRUE(QFile::exists(folderOf(1) + u"/Протокол передачи.pdf"_s));
}

TEST_F(DownloadTest, ZipModeUnpacksIntoTheFolderAndRemovesTheArchive)
{
    startLog();
    auto& q = makeQueue(5);
    add(1, true);
    ASSERT_EQ(drain().size(), 1u);
    const QString zip = folderOf(1) + u"/content.zip"_s;
    const QString start = u"aDocument.SaveAllContentZipAsync(\""_s + zip + u"\")"_s;
    const QString unzip = u".DoUnzipping \""_s + zip + u"\", \"*.*\""_s;
    EXPECT_EQ(logLines().mid(1),
              QStringList({u"Перед "_s + start, u"После "_s + start, u"Перед "_s + unzip, u"После "_s + unzip}));
    EXPECT_FALSE(QFile::exists(zip));
    EXPECT_TRUE(QFile::exists(folderOf(1) + u'/' + docs[0]->FileName()));
    const Record r = q.UnloadedList().Item(1);
    EXPECT_EQ(r->PathForDownload, folderOf(1));
    EXPECT_EQ(r->AsyncResultContentDoc, nullptr);
    EXPECT_NE(r->DiadocDocument, nullptr);
}

TEST_F(DownloadTest, LeftoverArchiveIsDeletedBeforeTheDownloadStarts)
{
    makeQueue(5);
    QDir().mkpath(folderOf(1));
    QFile leftover(folderOf(1) + u"/content.zip"_s);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("old");
    leftover.close();
    fault(1, u"SaveAllContentZipAsync"_s, FaultEffect::Never);
    add(1, true);
    EXPECT_FALSE(QFile::exists(folderOf(1) + u"/content.zip"_s));
}

struct ErrorCase
{
    const char16_t* text;
    const char* list; // "+Ignored" or "+Second"
};

class ErrorTableTest : public ContentsFixture, public ::testing::WithParamInterface<std::tuple<ErrorCase, bool>>
{
};

TEST_P(ErrorTableTest, ErrorTextDecidesBetweenRetryAndGivingUp)
{
    const auto [errorCase, atStart] = GetParam();
    const QString text = QString::fromUtf16(errorCase.text);
    auto& q = makeQueue(1);
    fault(1, atStart ? u"SaveAllContentAsync"_s : u"SaveContentResult"_s, FaultEffect::Error, text, 1);
    QStringList lastErrors;
    trace.onUnloading = [&](const Record& r) { lastErrors.append(r->LastErrorDescription); };
    add(1, false);
    for (int pass = 0; pass < 3 && firstDestination(trace.events, 1).isEmpty(); ++pass)
        q.РазобратьРаботающиеЗапросы();
    EXPECT_EQ(firstDestination(trace.events, 1), QString::fromLatin1(errorCase.list));
    if (QString::fromLatin1(errorCase.list) == u"+Ignored"_s) {
        const Record r = q.IgnoredList().Item(1);
        EXPECT_EQ(r->ErrorDescription, text);
        EXPECT_EQ(r->ErrorNumber, u"-2147467259"_s);
        EXPECT_EQ(r->ErrorPlace, atStart ? kPlaceStart : kPlaceResult);
        EXPECT_EQ(r->State, 9);
    } else {
        // Tried again, and this time it works.
        q.GetFirstResult();
        EXPECT_EQ(q.Count(4), 1);
        EXPECT_EQ(lastErrors.value(1), text);
    }
}

const ErrorCase kErrorCases[] = {
    {u"Ошибка открытия файла", "+Ignored"},
    {u"Ошибка открытия файла.", "+Second"},
    {u"ошибка открытия файла", "+Second"},
    {u"WIN32[0x00000004]The system cannot open the file.", "+Ignored"},
    {u"WIN32[0x00000003]The system cannot find the path specified.", "+Ignored"},
    {u"WIN32[0x00000005]Access is denied.", "+Ignored"},
    {u"win32[0x00000005]Access is denied.", "+Second"},
    {u"##100[Ошибка сервера Диадок]code:404, HTTP error: Entity 1a2b not found in message 3c4d", "+Ignored"},
    {u"##100[Ошибка сервера Диадок]code:404, HTTP error: Entity 1a2b not found", "+Second"},
    {u"##100[Ошибка сервера Диадок]code:404, HTTP error: entity 1a2b not found in message 3c4d", "+Second"},
    {u"##100[Ошибка сервера Диадок]code:409, HTTP error: Generating print form for this type of document is not "
     u"supported",
     "+Ignored"},
    {u"##100[Ошибка сервера Диадок]code:409, HTTP error: generating print form for this type of document is not "
     u"supported",
     "+Second"},
    {u"COM1C.HTTP_ERROR[0x00000199]code 409: Generating print form for this type of document is not supported",
     "+Ignored"},
    {u"COM1C.HTTP_ERROR[0x00000199]code 409: Generating Print Form for this type of document is not supported",
     "+Second"},
    {u"COM1C.HTTP_ERROR[0x00000199]code 409: Can't create document protocol for Logistics class type.", "+Ignored"},
    {u"COM1C.HTTP_ERROR[0x00000199]code 409: Cannot create document protocol for Logistics class type", "+Second"},
    {u"COM1C[0x00000325]The data is invalid.", "+Ignored"},
    {u"COM1C[0x00000326]The data is invalid.", "+Second"},
    {u"bad variant access", "+Ignored"},
    {u"Bad variant access", "+Second"},
    {u"bad allocation", "+Second"},
    {u"Disk full", "+Ignored"},
    {u"Disk full.", "+Second"},
};

INSTANTIATE_TEST_SUITE_P(AllRows, ErrorTableTest,
                         ::testing::Combine(::testing::ValuesIn(kErrorCases), ::testing::Bool()));

TEST_F(DownloadTest, ResultThatIsNoBooleanIsTriedAgain)
{
    const platform::diadoc::Variant values[] = {platform::diadoc::Variant(), platform::diadoc::Variant(5)};
    for (int n = 1; n <= 2; ++n) {
        platform::diadoc::FaultRule rule;
        rule.operation = u"SaveContentResult"_s;
        rule.document = documentId(n);
        rule.effect = FaultEffect::Value;
        rule.value = values[n - 1];
        rule.firstAttempts = 1;
        service->addFault(rule);
    }
    makeQueue(5);
    QStringList lastErrors;
    trace.onUnloading = [&](const Record& r) { lastErrors.append(r->LastErrorDescription); };
    add(1, false);
    add(2, false);
    EXPECT_EQ(drain().size(), 2u);
    const QString notBoolean = u"dDoc.AsyncResultContentDoc.Result оказался НЕ логическим значением."_s;
    EXPECT_EQ(lastErrors, QStringList({QString(), QString(), notBoolean, notBoolean}));
    for (int n = 1; n <= 2; ++n)
        EXPECT_EQ(firstDestination(trace.events, n), u"+Second"_s) << n;
}

TEST_F(DownloadTest, DamagedArchiveIsKeptAndTheDocumentIgnoredWithTheUnpackMessage)
{
    for (const auto effect : {FaultEffect::Corrupt, FaultEffect::Truncated}) {
        const int n = effect == FaultEffect::Corrupt ? 1 : 2;
        fault(n, u"SaveContentResult"_s, effect);
    }
    auto& q = makeQueue(5);
    add(1, true);
    add(2, true);
    EXPECT_TRUE(drain().empty());
    ASSERT_EQ(q.Count(5), 2);
    for (const Record& r : q.IgnoredList()) {
        const QString zip = r->PathForDownload + u"/content.zip"_s;
        EXPECT_TRUE(r->ErrorDescription.startsWith(u"При попытке распаковать выгруженный zip-файл \""_s + zip
                                                   + u"\" возникла ошибка: "_s))
            << r->ErrorDescription.toStdString();
        EXPECT_EQ(r->ErrorPlace, kPlaceUnpack);
        EXPECT_EQ(r->State, 0);
        EXPECT_TRUE(QFile::exists(zip));
        EXPECT_EQ(r->DiadocDocument, nullptr);
    }
}

TEST_F(DownloadTest, HostileArchiveLandsInsideTheDocumentsFolder)
{
    fault(1, u"SaveContentResult"_s, FaultEffect::Hostile);
    auto& q = makeQueue(5);
    add(1, true);
    drain();
    ASSERT_EQ(q.Count(4) + q.Count(5), 1);
    if (q.Count(5) == 1)
        EXPECT_EQ(q.IgnoredList().Item(1)->ErrorPlace, kPlaceUnpack);
    else
        EXPECT_TRUE(QFile::exists(folderOf(1) + u'/' + docs[0]->FileName()));
    // Nothing outside the document's folder.
    QDirIterator it(dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.startsWith(dir.filePath(u"sandbox"_s)) || path.startsWith(dir.filePath(u"log"_s)))
            continue;
        EXPECT_TRUE(path.startsWith(folderOf(1) + u'/')) << path.toStdString();
    }
}

// An unzip library that fails every run with one code.
class FailingUnzip final : public platform::zip::UnzipLibrary
{
public:
    explicit FailingUnzip(int code)
        : m_code(code)
    {
    }
    int Wiz_SingleEntryUnzip(int, char**, int, char**, platform::zip::DCL*, platform::zip::USERFUNCTIONS*) override
    {
        return m_code;
    }

private:
    int m_code;
};

class FailingLibraries final : public platform::zip::Libraries
{
public:
    explicit FailingLibraries(int code)
        : m_unzip(code)
    {
    }
    platform::zip::UnzipLibrary* loadUnzip(const QString&) override { return &m_unzip; }
    platform::zip::ZipLibrary* loadZip(const QString&) override { return nullptr; }

private:
    FailingUnzip m_unzip;
};

TEST_F(DownloadTest, UnpackFailureNamesItsCodeAndHintsAtDiskSpaceForFifty)
{
    const std::pair<int, QString> cases[] = {
        {50, u"50 (вероятно на диске не хватает места для файлов)."_s},
        {11, u"11 ZIP read or seek error"_s},
    };
    for (const auto& [code, ending] : cases) {
        SCOPED_TRACE(code);
        FailingLibraries failing(code);
        core::mUnzipper failingUnzipper(failing, ui, u"N7_Fetchling"_s);
        diadoc::AsyncContents q(options, clock, ui, failingUnzipper, log);
        const QString folder = out + u"/unzip"_s + QString::number(code);
        q.AddNewDocInQueue(task, docs[0], folder, false, true);
        EXPECT_EQ(q.GetFirstResult(), nullptr);
        ASSERT_EQ(q.Count(5), 1);
        const Record r = q.IgnoredList().Item(1);
        EXPECT_EQ(r->ErrorDescription, u"При попытке распаковать выгруженный zip-файл \""_s + folder
                                           + u"/content.zip\" возникла ошибка: "_s + ending);
        EXPECT_EQ(r->State, 0);
        EXPECT_TRUE(QFile::exists(folder + u"/content.zip"_s));
    }
}

TEST_F(DownloadTest, FolderModeDownloadThatWroteNothingIsIgnored)
{
    fault(1, u"SaveContentResult"_s, FaultEffect::NoFiles);
    auto& q = makeQueue(5);
    add(1, false);
    add(2, false);
    EXPECT_EQ(drain().size(), 1u);
    ASSERT_EQ(q.Count(5), 1);
    const Record r = q.IgnoredList().Item(1);
    EXPECT_EQ(r->DocumentId, documentId(1));
    EXPECT_EQ(r->ErrorDescription, u"Diadoc API не выгрузил ни одного файла контента документа"_s);
    EXPECT_EQ(r->DiadocDocument, nullptr);
    EXPECT_EQ(r->AsyncResultContentDoc, nullptr);
}

// Writes the files (relative paths, folders made as needed) with one content and one fixed time, as
// a file system that keeps times to the second or coarser shows a rewrite of identical files.
void writeAtFixedTime(const QString& folder, const QStringList& files)
{
    for (const QString& relative : files) {
        const QString path = folder + u'/' + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("the same content");
        file.close();
        const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    }
}

TEST_F(DownloadTest, FolderModeJudgesADownloadByTheContentItsFolderHolds)
{
    struct Case
    {
        const char* name;
        QStringList before;  // what the folder held when the download started
        QStringList written; // what the download wrote
        const char* list;
    };
    const Case cases[] = {
        {"identical rewrite", {u"Акт.pdf"_s}, {u"Акт.pdf"_s}, "+Unloaded"},
        {"rewrite into a subfolder", {u"Вложения/Акт.pdf"_s}, {u"Вложения/Акт.pdf"_s}, "+Unloaded"},
        {"new file", {}, {u"Акт.pdf"_s}, "+Unloaded"},
        {"only the program's own files",
         {u"DCInfo.n7l"_s, u"diadoc.documentID=1.url"_s, u"Доверенность_1.url"_s, u"content.zip"_s},
         {u"DCInfo.n7l"_s},
         "+Ignored"},
        {"nothing", {}, {}, "+Ignored"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = out + u"/fake"_s + QString::number(++n);
        writeAtFixedTime(folder, c.before);
        auto doc = std::make_shared<fakediadoc::FakeDocument>();
        doc->organizationId = u"box-romashka"_s;
        doc->documentId = u"fake-"_s + QString::number(n);
        doc->saveAllContent = [written = c.written](const QString& target, bool) {
            writeAtFixedTime(target, written);
            return std::make_shared<fakediadoc::FakeAsyncResult>(platform::diadoc::Variant(true));
        };
        auto& q = makeQueue(5);
        q.AddNewDocInQueue(task, doc, folder, false, false);
        drain();
        const auto& list = QString::fromLatin1(c.list) == u"+Unloaded"_s ? q.UnloadedList() : q.IgnoredList();
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.Item(1)->DocumentId, doc->documentId);
        EXPECT_EQ(q.Count(4) + q.Count(5), 1);
    }
}

// A download that failed leaves nothing of its archive, whatever the client left of it: at once
// when it is given up, and after every attempt when it is tried again.
TEST_F(DownloadTest, AFailedZipDownloadLeavesNoArchive)
{
    fault(1, u"SaveContentResult"_s, FaultEffect::Error, u"Disk full"_s);
    fault(2, u"SaveContentResult"_s, FaultEffect::False);
    auto& q = makeQueue(5);
    trace.onUnloading = [&](const Record& r) {
        // What a client cut short would leave: an empty or a partial archive.
        QFile partial(r->ContentZipFile());
        ASSERT_TRUE(partial.open(QIODevice::WriteOnly));
        if (numberOf(r) == 2)
            partial.write("PK\x03\x04");
    };
    QStringList archivesSeen;
    trace.onIgnored = [&](const Record& r) {
        if (QFile::exists(r->ContentZipFile()))
            archivesSeen.append(r->ContentZipFile());
    };
    add(1, true);
    add(2, true);
    EXPECT_TRUE(drain().empty());
    ASSERT_EQ(q.Count(5), 2);
    EXPECT_EQ(firstDestination(trace.events, 1), u"+Ignored"_s);
    EXPECT_EQ(firstDestination(trace.events, 2), u"+Second"_s);
    EXPECT_TRUE(archivesSeen.isEmpty()) << archivesSeen.join(u", "_s).toStdString();
    EXPECT_FALSE(QFile::exists(folderOf(1) + u"/content.zip"_s));
    EXPECT_FALSE(QFile::exists(folderOf(2) + u"/content.zip"_s));
}

TEST_F(DownloadTest, FolderSharedWithAnotherDocumentCountsOnlyItsOwnFiles)
{
    // One download at a time: the second starts after the first has written its files.
    fault(2, u"SaveContentResult"_s, FaultEffect::NoFiles);
    auto& q = makeQueue(1);
    const QString shared = out + u"/shared"_s;
    add(1, false, shared);
    add(2, false, shared);
    drain();
    ASSERT_EQ(q.Count(4), 1);
    EXPECT_EQ(q.UnloadedList().Item(1)->DocumentId, documentId(1));
    ASSERT_EQ(q.Count(5), 1);
    EXPECT_EQ(q.IgnoredList().Item(1)->DocumentId, documentId(2));
}

// Downloads that finish at once, as a client writing in the background before the next poll.
class InstantDownloadTest : public ContentsFixture
{
protected:
    InstantDownloadTest()
        : ContentsFixture(12, 0)
    {
    }
};

TEST_F(InstantDownloadTest, DownloadsIntoOneFolderThatEndTogetherAreAllUnloaded)
{
    // Document 1 is still running when document 2 has already written its files; the first one
    // judged sees both sets of files, the second must still count its own.
    platform::diadoc::FaultRule late;
    late.operation = u"SaveContentResult"_s;
    late.document = documentId(1);
    late.effect = FaultEffect::Late;
    late.extraPolls = 2;
    service->addFault(late);
    auto& q = makeQueue(5);
    const QString shared = out + u"/shared"_s;
    add(1, false, shared);
    add(2, false, shared);
    add(3, false, shared);
    EXPECT_EQ(drain().size(), 3u);
    EXPECT_EQ(q.Count(5), 0);
    for (int n = 1; n <= 3; ++n)
        EXPECT_TRUE(QFile::exists(shared + u'/' + docs[static_cast<std::size_t>(n - 1)]->FileName())) << n;
}

TEST_F(DownloadTest, FailedStartMovesTheDocumentsOwnFolderAsideAndTriesAgain)
{
    startLog();
    auto& q = makeQueue(5);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Error, u"COM1C[0x80004005]Unspecified error"_s, 1);
    add(1, false);
    EXPECT_EQ(trace.events.mid(0, 4), QStringList({u"+Main 1"_s, u"Changed"_s, u"-Main 1"_s, u"Bad"_s}));
    const Record r = q.UnloadingList().Item(1);
    EXPECT_EQ(r->State, 9);
    EXPECT_EQ(r->ErrorDescription, u"COM1C[0x80004005]Unspecified error"_s);
    EXPECT_EQ(r->ErrorPlace, kPlaceStart);
    EXPECT_TRUE(QDir(folderOf(1) + u"~1"_s).exists());
    EXPECT_TRUE(logLines().contains(u"errSaveAllContentAsync: COM1C[0x80004005]Unspecified error"_s));
    QString lastError;
    trace.onUnloading = [&](const Record& rec) { lastError = rec->LastErrorDescription; };
    EXPECT_EQ(drain().size(), 1u);
    EXPECT_EQ(lastError, u"COM1C[0x80004005]Unspecified error"_s);
    EXPECT_TRUE(QFile::exists(folderOf(1) + u'/' + docs[0]->FileName()));
}

TEST_F(DownloadTest, FailedStartLeavesSharedAndOlderFoldersWhereTheyAre)
{
    auto& q = makeQueue(5);
    const QString shared = out + u"/shared"_s;
    const QString older = out + u"/older"_s;
    QDir().mkpath(older);
    fault(2, u"SaveAllContentAsync"_s, FaultEffect::Error, u"COM1C[0x80004005]Unspecified error"_s, 1);
    fault(3, u"SaveAllContentAsync"_s, FaultEffect::Error, u"COM1C[0x80004005]Unspecified error"_s, 1);
    add(1, false, shared);
    drain();
    add(2, false, shared);
    add(3, false, older);
    EXPECT_FALSE(trace.events.contains(u"Bad"_s));
    EXPECT_FALSE(QDir(shared + u"~1"_s).exists());
    EXPECT_FALSE(QDir(older + u"~1"_s).exists());
    EXPECT_TRUE(QFile::exists(shared + u'/' + docs[0]->FileName()));
    drain();
    EXPECT_EQ(q.Count(4), 3);
}

TEST_F(DownloadTest, StartThatGivesNothingIsTriedAgain)
{
    auto& q = makeQueue(5);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Nothing, {}, 1);
    add(1, false);
    const Record r = q.UnloadingList().Item(1);
    EXPECT_EQ(r->ErrorDescription, u"Ошибки небыло, но результат запроса дал Nothing"_s);
    EXPECT_EQ(r->State, 9);
    EXPECT_FALSE(trace.events.contains(u"Bad"_s));
    EXPECT_EQ(drain().size(), 1u);
    EXPECT_EQ(firstDestination(trace.events, 1), u"+Second"_s);
}

// Documents whose content holds files named like the files the program writes beside it.
class OwnNamesDownloadTest : public ContentsFixture
{
protected:
    OwnNamesDownloadTest()
        : ContentsFixture(3, 2, true)
    {
    }

    // The names the document's folder should hold: its content files, those named like the
    // program's own files numbered.
    QStringList expectedFiles(int n) const
    {
        QStringList own;
        for (const QString& name : diadoc::OwnFileNames::of(documentId(n)))
            own.append(name.toCaseFolded());
        QStringList names;
        for (const QString& path : service->data().documents.at(n - 1).content) {
            const QString name = QFileInfo(path).fileName();
            names.append(own.contains(name.toCaseFolded()) ? platform::zip::EntryName::numbered(name, 2) : name);
        }
        names.sort();
        return names;
    }
};

TEST_F(OwnNamesDownloadTest, ContentNamedLikeTheProgramsOwnFilesIsNumberedInBothModes)
{
    for (const bool zip : {false, true}) {
        SCOPED_TRACE(zip ? "zip" : "folder");
        ASSERT_TRUE(QDir(out).removeRecursively() && QDir().mkpath(out));
        // A numbered file of an earlier run is replaced, as the unpacker replaces it.
        QDir().mkpath(folderOf(1));
        QFile older(folderOf(1) + u"/DCInfo (2).n7l"_s);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("earlier run");
        older.close();

        auto& q = makeQueue(5);
        for (int n = 1; n <= 3; ++n)
            add(n, zip);
        drain();
        ASSERT_EQ(q.Count(4), 3);
        for (int n = 1; n <= 3; ++n) {
            SCOPED_TRACE(n);
            QStringList files = QDir(folderOf(n)).entryList(QDir::Files);
            files.sort();
            EXPECT_EQ(files, expectedFiles(n));
        }
        QFile numbered(folderOf(1) + u"/DCInfo (2).n7l"_s);
        ASSERT_TRUE(numbered.open(QIODevice::ReadOnly));
        EXPECT_EQ(numbered.readAll(), "content named like the metadata file\n");
        const QString link = diadoc::OwnFileNames::documentLinkName(documentId(2));
        EXPECT_TRUE(QFile::exists(folderOf(2) + u'/' + platform::zip::EntryName::numbered(link, 2)));
        EXPECT_FALSE(QFile::exists(folderOf(2) + u'/' + link));
    }
}

} // namespace
} // namespace contentstest
