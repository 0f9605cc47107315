#include "mIO.h"

#include <QFile>
#include <QFileInfo>

#include "VbText.h"
#include "mErrorHandling.h"
#include "mN7Files.h"

using namespace Qt::StringLiterals;

namespace core::mIO {

namespace {

constexpr char16_t kModule[] = u"mIO";

bool isUncForm(const QString& path)
{
    return path.size() > 2 && (path.startsWith(u"//"_s) || path.startsWith(u"\\\\"_s));
}

} // namespace

bool IsFolderExistsEx(UiServices& ui, const QString& folder)
{
    try {
        // A relative folder would test the working directory, and an empty one would let a
        // failed folder creation pass for success.
        if (folder.isEmpty() || !QFileInfo(folder).isAbsolute())
            return false;
        QString probe = PathToPathEx(mN7Files::ConcatFileName(folder, QString::fromUtf16(kProbeFileName)));
        PrepareForLFN(probe);
        if (mN7Files::IsFileExists(probe))
            return true;
        {
            // A new file only: whatever already stands under the probe's name is left alone.
            QFile file(probe);
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                return false;
        }
        mN7Files::DeleteFile(ui, probe, false);
        return true;
    } catch (...) {
        PropagateError(kModule, u"IsFolderExistsEx");
    }
}

void PrepareForLFN(QString& /*path*/)
{
}

QString PathToPathEx(const QString& path)
{
    try {
        return Trim(path);
    } catch (...) {
        PropagateError(kModule, u"PathToPathEx");
    }
}

QString GetUncFromMappedDrive(const QString& path)
{
    return path;
}

bool IsPathNetPath(const QString& path)
{
    return isUncForm(path);
}

bool IsUNCPathValid(const QString& path)
{
    return isUncForm(path);
}

QString StripPathToRoot(const QString& path)
{
    try {
        if (path.startsWith(u'/') && path.size() > 1 && path.count(u'/') < path.size())
            return u"/"_s;
        return u"?:"_s;
    } catch (...) {
        PropagateError(kModule, u"StripPathToRoot");
    }
}

QString TrimNull(const QString& text)
{
    try {
        const qsizetype nul = text.indexOf(QChar(u'\0'));
        return nul < 0 ? text : text.left(nul);
    } catch (...) {
        PropagateError(kModule, u"TrimNull");
    }
}

QString FixBadChars(const QString& text)
{
    try {
        QString result = text;
        result.replace(u"и\u0306"_s, u"й"_s);
        result.replace(u"И\u0306"_s, u"Й"_s);
        result.replace(u"е\u0308"_s, u"ё"_s);
        result.replace(u"Е\u0308"_s, u"Ё"_s);
        return result;
    } catch (...) {
        PropagateError(kModule, u"FixBadChars");
    }
}

} // namespace core::mIO
