// The steps of AsyncContents that deal with one document's download: starting it, moving the
// folder of a failed start aside, judging a completed download and unpacking its archive.

#include <filesystem>
#include <optional>
#include <system_error>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVariant>

#include "AsyncContents.h"
#include "AsyncContentsListener.h"
#include "AsyncDocRecord.h"
#include "OperationTimeOut.h"
#include "OwnFileNames.h"
#include "base/Error.h"
#include "base/FailureTexts.h"
#include "core/N7UnZipper.h"
#include "core/ZipErrorText.h"
#include "core/mErrorHandling.h"
#include "core/mIO.h"
#include "core/mLogFile.h"
#include "core/mN7Files.h"
#include "core/mOther.h"
#include "mDiadocErrors.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocDocument.h"
#include "platform/family/FilesLib.h"
#include "platform/zip/EntryName.h"

using namespace Qt::StringLiterals;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"AsyncContents";

constexpr char16_t kPlaceFolderNotMade[] = u"AsyncContentsCreateDir aAsyncDocRecord.Path";
constexpr char16_t kPlaceStartFailed[] =
    u"AsyncContents.InitDocSaveContent() - Set dAsyncResultAllContentДокумент = ....SaveAllContentAsync()";
constexpr char16_t kPlaceResultFailed[] =
    u"AsyncContents.РазобратьРаботающиеЗапросы() - dVarTypeResult = VarType(dDoc.AsyncResultContentDoc.Result)";
constexpr char16_t kPlaceUnpackFailed[] = u"AsyncContents.РаспаковатьContentZip()";

constexpr char16_t kFolderNotMade[] = u"Не удалось создать папку: ";
constexpr char16_t kNothingStarted[] = u"Ошибки небыло, но результат запроса дал Nothing";
constexpr char16_t kResultNotBoolean[] = u"dDoc.AsyncResultContentDoc.Result оказался НЕ логическим значением.";
constexpr char16_t kResultFalse[] = u"dDoc.AsyncResultContentDoc.Result оказался False.";
constexpr char16_t kNoContentFiles[] = u"Diadoc API не выгрузил ни одного файла контента документа";
constexpr char16_t kUnpackFailed[] = u"При попытке распаковать выгруженный zip-файл ";
constexpr char16_t kDiskSpaceHint[] = u"(вероятно на диске не хватает места для файлов).";
constexpr int kDiskFullUnzipCode = 50;
constexpr char16_t kOwnNameNotFreed[] = u"Не удалось переименовать файл контента ";
// Numbered names tried for a content file that has one of the program's own names.
constexpr int kMaxCopies = 1000;

// Errors after which another try of the download is pointless: the document is given up.
struct FinalError
{
    enum class Test
    {
        Exact,      // the whole text
        StartsWith, // a plain comparison of the text's beginning
        Range,      // RangError with prefix, inner part and suffix
    };
    Test test;
    const char16_t* prefix;
    const char16_t* middle;
    const char16_t* suffix;
};

constexpr FinalError kFinalErrors[] = {
    {FinalError::Test::Exact, u"Ошибка открытия файла", u"", u""},
    // Another try on a full disk only fills it further; the run's watch decides whether to stop.
    {FinalError::Test::Exact, core::failure::kDiskFull, u"", u""},
    {FinalError::Test::Range, u"WIN32[0x00000004]", u"", u"The system cannot open the file."},
    {FinalError::Test::Range, u"WIN32[0x00000003]", u"", u"The system cannot find the path specified."},
    {FinalError::Test::StartsWith, u"WIN32[0x", u"", u""},
    {FinalError::Test::Range, u"##100[Ошибка сервера Диадок]code:404, HTTP error: Entity", u"not found in message",
     u""},
    {FinalError::Test::Range,
     u"##100[Ошибка сервера Диадок]code:409, HTTP error: Generating print form for this type of document is not "
     u"supported",
     u"", u""},
    {FinalError::Test::Range, u"COM1C.HTTP_ERROR[0x00000199]code 409:",
     u"Generating print form for this type of document is not supported", u""},
    {FinalError::Test::Range, u"COM1C.HTTP_ERROR[0x00000199]code 409:",
     u"Can't create document protocol for Logistics class type", u""},
    {FinalError::Test::Range, u"COM1C[0x00000325]", u"", u""},
    {FinalError::Test::Range, u"bad variant access", u"", u""},
};

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

// The metadata file that the engine writes beside a document's content.
constexpr char16_t kMetadataFileName[] = u"DCInfo.n7l";
constexpr char16_t kContentZipName[] = u"content.zip";

// Whether a file of a document's folder is content that a download wrote: the program's own files
// (metadata, shortcuts, the folder probe, the archive of ZIP mode and temporary files) are not.
bool isContentFile(const QString& name)
{
    if (name == QStringView(core::mIO::kProbeFileName))
        return false;
    if (name.compare(QStringView(kMetadataFileName), Qt::CaseInsensitive) == 0
        || name.compare(QStringView(kContentZipName), Qt::CaseInsensitive) == 0)
        return false;
    if (name.endsWith(u".url"_s, Qt::CaseInsensitive))
        return false;
    return !(name.startsWith(u'.') && name.endsWith(u".tmp"_s));
}

QString decodedName(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.filename().string()));
}

} // namespace

QString AsyncContents::folderKey(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(path);
}

int AsyncContents::ЗапуститьЗапрос(const Record& rec)
{
    try {
        ++m_attempts[rec.get()];
        ++m_statistics.starts;
        return InitDocSaveContent(rec);
    } catch (...) {
        core::PropagateError(kModule, u"ЗапуститьЗапрос");
    }
}

int AsyncContents::InitDocSaveContent(const Record& aAsyncDocRecord)
{
    try {
        AsyncDocRecord& rec = *aAsyncDocRecord;
        // A folder that this call had to make stood nowhere before: no look at the disk beforehand.
        core::mOther::FolderTree tree = core::mOther::MakeFolderTree(rec.Path + u"/*"_s);
        const bool existed = !tree.madeDeepest;
        rec.PathForDownload = std::move(tree.folder);
        if (rec.PathForDownload == rec.Path)
            rec.PathForDownload = rec.Path; // the record keeps one copy of the text for the rest of the run
        if (!(!existed && madeWritable(rec.Path, rec.PathForDownload))
            && !core::mIO::IsFolderExistsEx(m_ui, rec.PathForDownload)) {
            rec.storeFailure(QString::fromUtf16(kFolderNotMade) + rec.Path, QString::fromUtf16(kPlaceFolderNotMade),
                             rec.State);
            return 2;
        }
        const QString folder = folderKey(rec.PathForDownload);
        if (!existed)
            m_folderMaker.insert(folder, aAsyncDocRecord.get());

        rec.beginAttempt();
        // An operation of an earlier attempt must not be judged again as if it were this one.
        rec.AsyncResultContentDoc.reset();

        QString call;
        if (rec.LoadContentByZip) {
            // A folder made a moment ago holds no archive of an earlier run.
            if (existed)
                core::mN7Files::DeleteFile(m_ui, rec.ContentZipFile(), true);
            call = u"aDocument.SaveAllContentZipAsync("_s + quoted(rec.ContentZipFile()) + u')';
        } else {
            // In a folder of its own a download is judged by the content the folder holds after
            // it; in a folder shared with another document of the run, by what changed in it.
            // Either way what it wrote under the program's own names is moved aside.
            m_contentAtStart.insert(aAsyncDocRecord.get(), scanFolder(folder));
            if (m_folderUsers.value(folderKey(rec.Path)) > 1)
                m_inSharedFolder.insert(aAsyncDocRecord.get());
            call = u"aDocument.SaveAllContentAsync( "_s + quoted(rec.PathForDownload) + u", "_s
                   + (rec.WithProtocol ? u"True"_s : u"False"_s) + u')';
        }
        m_log.WriteLogFile(u"Перед "_s + call);
        std::shared_ptr<platform::diadoc::DiadocAsyncResult> operation;
        std::optional<core::Error> failure;
        try {
            if (!rec.DiadocDocument)
                throw core::objectNotSet();
            if (rec.LoadContentByZip)
                operation = rec.DiadocDocument->SaveAllContentZipAsync(rec.ContentZipFile());
            else
                operation = rec.DiadocDocument->SaveAllContentAsync(rec.PathForDownload, rec.WithProtocol);
        } catch (...) {
            failure = core::currentError();
            m_log.WriteLogFile(u"errSaveAllContentAsync: "_s + failure->description());
        }
        m_log.WriteLogFile(u"После "_s + call);

        if (failure || !operation) {
            m_contentAtStart.remove(aAsyncDocRecord.get());
            m_inSharedFolder.remove(aAsyncDocRecord.get());
            removePartialArchive(rec);
        }
        if (failure) {
            operation.reset();
            ПереименоватьПапку(rec.PathForDownload, aAsyncDocRecord);
            rec.storeError(*failure, QString::fromUtf16(kPlaceStartFailed), 9);
            return 0;
        }
        if (!operation) {
            rec.storeFailure(QString::fromUtf16(kNothingStarted), QString::fromUtf16(kPlaceStartFailed), 9);
            return 0;
        }
        rec.AsyncResultContentDoc = std::move(operation);
        return 0;
    } catch (...) {
        core::PropagateError(kModule, u"InitDocSaveContent");
    }
}

bool AsyncContents::madeWritable(const QString& path, const QString& made)
{
    // The folder test makes and removes a probe file, a cost per document; a folder that was
    // missing a moment ago, now stands (the folder tree answers only a folder that stands), and
    // that the system lets this process write to takes files.
    if (made.isEmpty() || folderKey(made) != folderKey(path))
        return false;
    return QDir::isAbsolutePath(made) && ::access(QFile::encodeName(made).constData(), W_OK) == 0;
}

bool AsyncContents::ПереименоватьПапку(const QString& folder, const Record& owner)
{
    try {
        // Only a folder this document made and shares with no other document of the run is moved:
        // the files of other documents stay where their protocols say they are.
        if (core::mIO::IsFolderExistsEx(m_ui, folder) && ownsFolderAlone(owner, folder)) {
            const QString key = folderKey(folder);
            try {
                core::mOther::FilesLib().RenameFolder(folder, 0, 0);
            } catch (...) {
                m_log.WriteLogFile(core::currentError().description());
            }
            m_folderMaker.remove(key);
            raiseBadUnloadDoc();
        }
        return false;
    } catch (...) {
        core::PropagateError(kModule, u"ПереименоватьПапку");
    }
}

bool AsyncContents::ownsFolderAlone(const Record& rec, const QString& folder) const
{
    const QString key = folderKey(folder);
    if (m_folderMaker.value(key) != rec.get() || m_folderUsers.value(key) != 1)
        return false;
    const QString inside = key + u'/';
    for (auto it = m_folderUsers.cbegin(); it != m_folderUsers.cend(); ++it) {
        if (it.value() > 0 && it.key().startsWith(inside))
            return false;
    }
    return true;
}

AsyncContents::Verdict AsyncContents::judgeFailedStart(const Record& rec)
{
    // The record carries its start error; the same table decides as for a failed download.
    return classifyError(rec);
}

AsyncContents::Verdict AsyncContents::judgeCompleted(const Record& aRec)
{
    AsyncDocRecord& rec = *aRec;
    // Looked at before anything else, so that the files are those of this download.
    const QStringList written =
        rec.LoadContentByZip ? QStringList() : filesWrittenSinceStart(aRec, folderKey(rec.PathForDownload));
    const bool inSharedFolder = m_inSharedFolder.remove(aRec.get());

    rec.beginAttempt();

    platform::diadoc::Variant result;
    std::optional<core::Error> failure;
    try {
        result = rec.AsyncResultContentDoc->Result();
    } catch (...) {
        failure = core::currentError();
    }
    if (failure || !result.isBoolean() || !result.toBool())
        removePartialArchive(rec);
    if (failure) {
        rec.storeError(*failure, QString::fromUtf16(kPlaceResultFailed), 9);
        return classifyError(aRec);
    }
    if (!result.isBoolean()) {
        rec.storeFailure(QString::fromUtf16(kResultNotBoolean), QString::fromUtf16(kPlaceResultFailed), 9);
        return retryOrGiveUp(aRec);
    }
    if (!result.toBool()) {
        rec.storeFailure(QString::fromUtf16(kResultFalse), QString::fromUtf16(kPlaceResultFailed), 9);
        return retryOrGiveUp(aRec);
    }
    if (КоличествоВыгруженныхФайлов(aRec, written, inSharedFolder) == 0) {
        rec.AsyncResultContentDoc.reset();
        rec.DiadocDocument.reset();
        if (rec.ErrorDescription.isEmpty())
            rec.ErrorDescription = QString::fromUtf16(kNoContentFiles);
        return Verdict::Ignored;
    }
    rec.AsyncResultContentDoc.reset();
    return Verdict::Unloaded;
}

AsyncContents::Verdict AsyncContents::classifyError(const Record& rec) const
{
    const QString& text = rec->ErrorDescription;
    const QVariant error(text);
    for (const FinalError& row : kFinalErrors) {
        const QString prefix = QString::fromUtf16(row.prefix);
        bool final = false;
        switch (row.test) {
        case FinalError::Test::Exact:
            final = text == prefix;
            break;
        case FinalError::Test::StartsWith:
            final = text.startsWith(prefix, Qt::CaseSensitive);
            break;
        case FinalError::Test::Range:
            final =
                m_errors->RangError(error, prefix, QString::fromUtf16(row.middle), QString::fromUtf16(row.suffix)) == 1;
            break;
        }
        if (final)
            return Verdict::Ignored;
    }
    return retryOrGiveUp(rec);
}

AsyncContents::Verdict AsyncContents::retryOrGiveUp(const Record& rec) const
{
    const auto attempts = m_attempts.find(rec.get());
    const auto timeOuts = m_timeOuts.find(rec.get());
    const bool givenUp = (attempts != m_attempts.end() && attempts->second >= kMaxAttempts)
                         || (timeOuts != m_timeOuts.end() && timeOuts->second >= kTimeOutsBeforeGivingUp);
    return givenUp ? Verdict::Ignored : Verdict::Secondary;
}

int AsyncContents::КоличествоВыгруженныхФайлов(const Record& aRec, const QStringList& writtenInFolder,
                                               bool inSharedFolder)
{
    try {
        AsyncDocRecord& rec = *aRec;
        if (!rec.LoadContentByZip) {
            if (const QString failure = moveOffOwnNames(rec, writtenInFolder); !failure.isEmpty()) {
                rec.storeFailure(failure, QString::fromUtf16(kPlaceResultFailed), rec.State);
                return 0;
            }
            return contentFilesOfDownload(aRec, writtenInFolder, inSharedFolder);
        }
        const QString archive = rec.ContentZipFile();
        const int count = РаспаковатьContentZip(aRec, archive, u"*.*"_s, rec.PathForDownload);
        if (count > 0)
            core::mN7Files::DeleteFile(m_ui, archive, true);
        return count;
    } catch (...) {
        core::PropagateError(kModule, u"КоличествоВыгруженныхФайлов");
    }
}

int AsyncContents::РаспаковатьContentZip(const Record& aRec, const QString& archive, const QString& mask,
                                         const QString& folder)
{
    try {
        AsyncDocRecord& rec = *aRec;
        int code = 0;
        {
            core::N7UnZipper job(m_unzipper);
            job.ExtractOrList = 0;
            job.ExtractDir = folder;
            job.ZipFileName = archive;
            job.OverWriteFiles = true;
            job.PromptOverWrite = false;
            job.HonorDirectories = false;
            job.ZipNames->append(mask);
            job.ReservedNames = OwnFileNames::of(rec.DocumentId);
            job.RaiseErrorOnFail = false;

            const QString call = u".DoUnzipping "_s + quoted(archive) + u", "_s + quoted(mask);
            m_log.WriteLogFile(u"Перед "_s + call);
            code = job.DoUnzipping();
            m_log.WriteLogFile(u"После "_s + call);
        }
        if (code == 0)
            return 1;
        QString description = QString::fromUtf16(kUnpackFailed) + quoted(archive) + u" возникла ошибка: "_s
                              + QString::number(code) + u' ' + core::ZipErrorText(code);
        if (code == kDiskFullUnzipCode)
            description += QString::fromUtf16(kDiskSpaceHint);
        rec.storeFailure(description, QString::fromUtf16(kPlaceUnpackFailed), 0);
        return 0;
    } catch (...) {
        core::PropagateError(kModule, u"РаспаковатьContentZip");
    }
}

void AsyncContents::removePartialArchive(const AsyncDocRecord& rec)
{
    // What a download that did not complete left of its archive is no content of the document.
    if (rec.LoadContentByZip && !rec.PathForDownload.isEmpty())
        core::mN7Files::DeleteFile(m_ui, rec.ContentZipFile(), true);
}

int AsyncContents::contentFilesOfDownload(const Record& rec, const QStringList& written, bool inSharedFolder) const
{
    if (!inSharedFolder)
        return holdsContentFile(folderKey(rec->PathForDownload)) ? 1 : 0;
    // A file written under one of the program's own names was content, moved aside just now.
    const QStringList own = OwnFileNames::of(rec->DocumentId);
    const auto isOwn = [&own](const QString& name) { return own.contains(name, Qt::CaseInsensitive); };
    return static_cast<int>(std::count_if(written.cbegin(), written.cend(),
                                          [&](const QString& name) { return isContentFile(name) || isOwn(name); }));
}

bool AsyncContents::holdsContentFile(const QString& folder) const
{
    // The folders of other documents of the run below this one hold their content, not this one's.
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path root(QFile::encodeName(folder).toStdString());
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        std::error_code entryError;
        const fs::file_status status = it->symlink_status(entryError);
        if (entryError)
            continue;
        if (fs::is_directory(status)) {
            if (m_folderUsers.value(folderKey(QFile::decodeName(QByteArray::fromStdString(it->path().string())))) > 0)
                it.disable_recursion_pending();
            continue;
        }
        if (fs::is_regular_file(status) && isContentFile(decodedName(it->path())))
            return true;
    }
    return false;
}

// Times to the nanosecond the file system keeps. Files under the program's own names are listed
// too (the service may have written content under them); the folder test's probe and temporary
// files are not.
AsyncContents::FolderContent AsyncContents::scanFolder(const QString& folder)
{
    FolderContent files;
    std::error_code error;
    const std::filesystem::path root(QFile::encodeName(folder).toStdString());
    for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (!it->is_regular_file(entryError) || entryError)
            continue;
        const QString name = decodedName(it->path());
        if (name == QStringView(core::mIO::kProbeFileName) || (name.startsWith(u'.') && name.endsWith(u".tmp"_s)))
            continue;
        const auto size = it->file_size(entryError);
        const auto modified = it->last_write_time(entryError);
        if (entryError)
            continue;
        files.insert(name,
                     FileStamp{static_cast<qint64>(size), static_cast<qint64>(modified.time_since_epoch().count())});
    }
    return files;
}

QStringList AsyncContents::filesWrittenSinceStart(const Record& rec, const QString& folder)
{
    const FolderContent before = m_contentAtStart.take(rec.get());
    const FolderContent now = scanFolder(folder);
    QStringList written;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        const auto old = before.constFind(it.key());
        if (old == before.cend() || !(old.value() == it.value()))
            written.append(it.key());
    }
    return written;
}

QString AsyncContents::moveOffOwnNames(const AsyncDocRecord& rec, const QStringList& written)
{
    // Case is ignored: the folder may lie on a file system that ignores it.
    QSet<QString> own;
    for (const QString& name : OwnFileNames::of(rec.DocumentId))
        own.insert(name.toCaseFolded());
    QSet<QString> taken = own;
    for (const QString& name : written)
        taken.insert(name.toCaseFolded());

    const QString folder = folderKey(rec.PathForDownload);
    const auto pathOf = [&folder](const QString& name) {
        return std::filesystem::path(QFile::encodeName(folder + u'/' + name).toStdString());
    };
    for (const QString& name : written) {
        if (!own.contains(name.toCaseFolded()))
            continue;
        QString failure = u"нет свободного имени"_s;
        for (int copy = 2; copy <= kMaxCopies; ++copy) {
            const QString candidate = platform::zip::EntryName::numbered(name, copy);
            if (taken.contains(candidate.toCaseFolded()))
                continue;
            // A file of an earlier run may be replaced; a link, a folder or anything else is passed by.
            std::error_code error;
            const auto type = std::filesystem::symlink_status(pathOf(candidate), error).type();
            if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular)
                continue;
            std::filesystem::rename(pathOf(name), pathOf(candidate), error);
            if (error) {
                failure = QString::fromStdString(error.message());
                break;
            }
            taken.insert(candidate.toCaseFolded());
            m_log.WriteLogFile(u"Файл контента \""_s + name + u"\" сохранён как \""_s + candidate + u'"');
            failure.clear();
            break;
        }
        if (!failure.isEmpty())
            return QString::fromUtf16(kOwnNameNotFreed) + quoted(name) + u": "_s + failure;
    }
    return {};
}

} // namespace diadoc
