#include "mN7Files.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "MsgBox.h"
#include "base/Error.h"
#include "mOther.h"
#include "mSystem.h"

using namespace Qt::StringLiterals;

namespace core::mN7Files {

namespace {

constexpr int kUnknownApiErrorNumber = 1001;

void showFailure(UiServices& ui, QStringView procedure)
{
    try {
        mOther::iMsgBox(ui, u"Error in "_s + procedure.toString(), msgbox::vbOKOnly);
    } catch (...) {
        // Nothing is left to tell when even the box fails.
    }
}

} // namespace

bool IsFileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    // Only a regular file is opened: opening a pipe or a device for a test could block or act.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

void SplitFileName(const QString& path, QString& folder, QString& name, QString& extension, QString& fileName)
{
    const qsizetype separator = path.lastIndexOf(u'/');
    folder = path.left(separator + 1);
    const QString file = path.mid(separator + 1);
    const qsizetype dot = file.lastIndexOf(u'.');
    if (dot < 0) {
        name = file;
        extension.clear();
    } else {
        name = file.left(dot);
        extension = file.mid(dot + 1);
    }
    fileName = extension.isEmpty() ? name : name + u'.' + extension;
}

QString ConcatFileName(const QString& folder, const QString& fileName)
{
    if (folder.isEmpty())
        return fileName;
    QString result = folder.endsWith(u'/') ? folder.chopped(1) : folder;
    result += u'/';
    result += fileName.startsWith(u'/') ? fileName.mid(1) : fileName;
    return result;
}

QString GetLongPathName(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo info(path);
    return info.exists() ? path : QString();
}

void ClearReadOnlyAttributeFromFile(UiServices& ui, const QString& path)
{
    try {
        // One look at the name: a run clears thousands of files, most of them missing or writable.
        // A link is removed without its target's permissions: changing them would touch a file
        // outside the folder being cleaned.
        const QByteArray name = QFile::encodeName(path);
        struct stat info = {};
        if (::lstat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            return;
        const mode_t permissions = info.st_mode & 0777;
        if ((permissions & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0)
            return;
        if (::chmod(name.constData(), permissions | S_IWUSR) != 0)
            RaiseApiError(errno, QString());
    } catch (...) {
        showFailure(ui, u"ClearReadOnlyAttributeFromFile");
    }
}

void DeleteFile(UiServices& ui, const QString& path, bool ignoreFailures)
{
    try {
        // Most files asked for are missing or removable at once (a run asks for thousands): the
        // read-only attribute is cleared only when a first attempt is refused.
        const QByteArray name = QFile::encodeName(path);
        int code = ::unlink(name.constData()) == 0 ? 0 : errno;
        if (code != 0 && code != ENOENT) {
            ClearReadOnlyAttributeFromFile(ui, path);
            code = ::unlink(name.constData()) == 0 ? 0 : errno;
        }
        if (code != 0 && !ignoreFailures)
            RaiseApiError(code, u"Ошибка при удалении файла \""_s + path + u"\":\r\n"_s);
    } catch (...) {
        showFailure(ui, u"DeleteFile");
    }
}

void RaiseApiError(int code, const QString& prefix)
{
    if (code == 0)
        throw Error(kUnknownApiErrorNumber, prefix + u"Unknown API error."_s);
    throw Error(code, prefix + GetApiErrorText(code));
}

QString GetApiErrorText(int code)
{
    return mSystem::GetApiErrorMessage(code);
}

} // namespace core::mN7Files
