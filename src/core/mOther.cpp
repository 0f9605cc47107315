#include "mOther.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>

#include "ApplicationTitle.h"
#include "FileFailure.h"
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

} // namespace

QString GetNext(QString& text, const QString& delimiter)
{
    try {
        const qsizetype at = delimiter.isEmpty() ? -1 : text.indexOf(delimiter);
        QString part;
        if (at < 0) {
            part = std::exchange(text, QString());
        } else {
            part = text.left(at);
            text = text.mid(at + delimiter.size());
        }
        return part;
    } catch (...) {
        PropagateError(kModule, u"GetNext");
    }
}

QString GetLast(QString& text, const QString& delimiter)
{
    try {
        const qsizetype at = delimiter.isEmpty() ? -1 : text.lastIndexOf(delimiter);
        QString part;
        if (at < 0) {
            part = std::exchange(text, QString());
        } else {
            part = text.mid(at + delimiter.size());
            text.truncate(at);
        }
        return part;
    } catch (...) {
        PropagateError(kModule, u"GetLast");
    }
}

QString GetShortPathEx(const QString& path, bool /*onlyLongPaths*/)
{
    return path;
}

QString CreateFolderTree(const QString& path)
{
    try {
        const qsizetype lastSeparator = path.lastIndexOf(u'/');
        if (lastSeparator < 0)
            return {};
        QString built = path.startsWith(u'/') ? u"/"_s : QString();
        QString deepest;
        const QStringList parts = path.left(lastSeparator).split(u'/', Qt::SkipEmptyParts);
        QStringList folders;
        folders.reserve(parts.size());
        for (const QString& part : parts) {
            if (!built.isEmpty() && !built.endsWith(u'/'))
                built += u'/';
            built += part;
            folders.append(GetShortPathEx(built, false));
        }
        // A path resolves only through folders, so every folder above the deepest one that exists
        // is there already: a document's folder costs a look or two, not one per level.
        qsizetype first = folders.size();
        while (first > 0 && !QFileInfo(folders.at(first - 1)).isDir())
            --first;
        if (first > 0)
            deepest = folders.at(first - 1);
        for (qsizetype i = first; i < folders.size(); ++i) {
            const QString& folder = folders.at(i);
            const QFileInfo info(folder);
            if (!info.exists() && !info.isSymLink()) {
                // Another process may create the same folder meanwhile: that is no failure.
                if (!QDir().mkdir(folder) && !QFileInfo(folder).isDir())
                    return {};
            } else if (!info.isDir()) {
                return {}; // a file or a broken link stands where a folder is needed
            }
            deepest = folder;
        }
        return deepest;
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
        const QString target = GetShortPathEx(fileName, false);
        struct stat info = {};
        const bool present = ::stat(QFile::encodeName(target).constData(), &info) == 0;
        if (present && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
            // A device or the like cannot be replaced by a new file: it is written in place.
            QFile device(target);
            if (!device.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return FileFailure::messageOfDevice(device);
            return SaveStringToDevice(device, text, characterReferences);
        }
        // The new content replaces the old one only when it is complete.
        return WholeFileReplacer::replace(target, [&text, characterReferences](QIODevice& file) {
            return SaveStringToDevice(file, text, characterReferences);
        });
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
