#include "mOther.h"

#include <cerrno>

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "ApplicationTitle.h"
#include "FileFailure.h"
#include "MsgBox.h"
#include "ProgramVersion.h"
#include "UiServices.h"
#include "WholeFileReplacer.h"
#include "base/Error.h"
#include "base/TextCodec.h"
#include "mErrorHandling.h"
#include "platform/family/FilesLib.h"
#include "platform/family/VersionInfo.h"

using namespace Qt::StringLiterals;

namespace core::mOther {

namespace {

constexpr char16_t kModule[] = u"mOther";

enum class FolderStep
{
    Made,
    Found,
    ParentMissing,
    Failed
};

// Makes one folder whose parent should exist. A folder that is there already (also one made by
// another process meanwhile, or a link to a folder) is ready; a file or a broken link in its place
// is a failure.
FolderStep makeOrFindFolder(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0777) == 0)
        return FolderStep::Made;
    if (errno == ENOENT)
        return FolderStep::ParentMissing;
    struct stat info = {};
    if (errno == EEXIST && ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return FolderStep::Found;
    return FolderStep::Failed;
}

// The failure of a cut: a critical box titled after the function, with the line of the step that
// failed and the failure's message.
void showCutFailure(UiServices& ui, QStringView function, int line)
{
    try {
        const QString message = QString::number(line) + u' ' + currentError().description();
        iMsgBox(ui, message, msgbox::vbCritical, u"Ошибка в функции "_s + function.toString());
    } catch (...) {
        // Nothing is left to tell when even the box fails.
    }
}

} // namespace

QString GetNext(UiServices& ui, QString& text, const QString& delimiter)
{
    QString part;
    int line = 0;
    try {
        line = 1;
        const qsizetype at = delimiter.isEmpty() ? -1 : text.indexOf(delimiter);
        if (at < 0) {
            line = 2;
            part = std::exchange(text, QString());
        } else {
            line = 3;
            part = text.left(at);
            line = 4;
            text = text.mid(at + delimiter.size());
        }
        return part;
    } catch (...) {
        showCutFailure(ui, u"GetNext", line);
        return part;
    }
}

QString GetLast(UiServices& ui, QString& text, const QString& delimiter)
{
    QString part;
    int line = 0;
    try {
        line = 1;
        const qsizetype at = delimiter.isEmpty() ? -1 : text.lastIndexOf(delimiter);
        if (at < 0) {
            line = 2;
            part = std::exchange(text, QString());
        } else {
            line = 3;
            part = text.mid(at + delimiter.size());
            line = 4;
            text.truncate(at);
        }
        return part;
    } catch (...) {
        showCutFailure(ui, u"GetLast", line);
        return part;
    }
}

QString GetShortPathEx(const QString& path, bool /*onlyLongPaths*/)
{
    return path;
}

QString CreateFolderTree(const QString& path)
{
    return MakeFolderTree(path).folder;
}

FolderTree MakeFolderTree(const QString& path)
{
    try {
        const qsizetype lastSeparator = path.lastIndexOf(u'/');
        if (lastSeparator < 0)
            return {};
        QString built = path.startsWith(u'/') ? u"/"_s : QString();
        const QStringList parts = path.left(lastSeparator).split(u'/', Qt::SkipEmptyParts);
        QStringList folders;
        folders.reserve(parts.size());
        for (const QString& part : parts) {
            if (!built.isEmpty() && !built.endsWith(u'/'))
                built += u'/';
            built += part;
            folders.append(GetShortPathEx(built, false));
        }
        // A document's folder is usually the only one missing (its parent was made for an earlier
        // document): the deepest folder is made first, and a level higher only while the one above
        // it is missing, so the common case costs one call.
        qsizetype made = folders.size() - 1;
        FolderStep step = FolderStep::Failed;
        for (;; --made) {
            if (made < 0)
                return {};
            step = makeOrFindFolder(folders.at(made));
            if (step == FolderStep::Failed)
                return {};
            if (step != FolderStep::ParentMissing)
                break;
        }
        for (qsizetype i = made + 1; i < folders.size(); ++i) {
            step = makeOrFindFolder(folders.at(i));
            if (step != FolderStep::Made && step != FolderStep::Found)
                return {};
        }
        return {folders.last(), step == FolderStep::Made};
    } catch (...) {
        return {};
    }
}

QString SaveStringToDevice(QIODevice& device, const QString& text, bool characterReferences)
{
    try {
        const QByteArray bytes =
            characterReferences ? TextCodec::toCp1251WithReferences(text) : TextCodec::toCp1251(text);
        // A device may take the bytes in parts; only a refusal is a failure.
        for (qint64 written = 0; written < bytes.size();) {
            const qint64 n = device.write(bytes.constData() + written, bytes.size() - written);
            if (n <= 0)
                return FileFailure::messageOfDevice(device);
            written += n;
        }
        if (auto* file = qobject_cast<QFileDevice*>(&device); file != nullptr && !file->flush())
            return FileFailure::messageOfDevice(*file);
        return {};
    } catch (...) {
        return currentError().description();
    }
}

QString SaveStringToFile(const QString& fileName, const QString& text, bool characterReferences)
{
    try {
        const QByteArray bytes =
            characterReferences ? TextCodec::toCp1251WithReferences(text) : TextCodec::toCp1251(text);
        // The new content replaces the old one only when it is complete; a device is written in place.
        return WholeFileReplacer::replace(GetShortPathEx(fileName, false), bytes);
    } catch (...) {
        return currentError().description();
    }
}

QString GetVersion()
{
    return QString::number(kProgramVersionMajor) + u'.' + QString::number(kProgramVersionMinor) + u'.'
           + QString::number(kProgramVersionRevision);
}

QString GetVersionN7W(const platform::family::VersionInfo* versionInfo)
{
    try {
        if (versionInfo != nullptr) {
            return versionInfo->version() + u'.' + versionInfo->VersionAssemble() + u" от "_s
                   + versionInfo->VersionDate().toString(u"dd.MM.yyyy"_s);
        }
    } catch (...) {
        // A component that fails counts as missing.
    }
    return u"?.???.???.????"_s;
}

std::optional<ExcelIdentity> NewExcelApplication(const ExcelApplicationFactory& factory)
{
    try {
        if (factory)
            return factory();
    } catch (...) {
        // An application that cannot be created is no failure of the caller.
    }
    return std::nullopt;
}

QString GetExcelVersion(const ExcelApplicationFactory& factory)
{
    try {
        if (const auto excel = NewExcelApplication(factory))
            return excel->Name + u" v. "_s + excel->version + u'.' + excel->Build;
        return u"Excel ??.?"_s;
    } catch (...) {
        PropagateError(kModule, u"GetExcelVersion");
    }
}

platform::family::FilesLib& FilesLib()
{
    // The library keeps no state; one object serves the whole process.
    static platform::family::FilesLib library;
    return library;
}

int iMsgBox(UiServices& ui, const QString& prompt, int buttons, const QString& title, const QString& /*helpFile*/,
            int /*helpContext*/)
{
    try {
        const MousePointer remembered = ui.mousePointer();
        ui.setMousePointer(MousePointer::Default);
        ui.processEvents();
        const int answer = ui.msgBox(prompt, buttons, title.isEmpty() ? QString::fromUtf16(kApplicationTitle) : title);
        ui.setMousePointer(remembered);
        return answer;
    } catch (...) {
        PropagateError(kModule, u"iMsgBox");
    }
}

} // namespace core::mOther
