#include "mAPI.h"

#include <algorithm>

#include <QDir>
#include <QStringList>

#include "mErrorHandling.h"
#include "platform/shell/SpecialFolders.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr char16_t kModule[] = u"mAPI";

// Paths are compared in one spelling: "/" separators, "." and ".." resolved, doubled separators
// merged, upper case, no final separator.
QString comparable(const QString& path)
{
    QString text = path;
    text.replace(u'\\', u'/');
    text = QDir::cleanPath(text).toUpper();
    while (text.size() > 1 && text.endsWith(u'/'))
        text.chop(1);
    return text;
}

QString withSeparator(const QString& comparablePath)
{
    return comparablePath.endsWith(u'/') ? comparablePath : comparablePath + u'/';
}

// A folder holds the path when the path begins with the folder and its final separator. A folder
// that the system did not give holds nothing: it must not become "/", which holds every path.
bool contains(const QString& folder, const QString& path)
{
    if (folder.isEmpty())
        return false;
    return withSeparator(path).startsWith(withSeparator(folder));
}

// A folder whose last component is ending: the text before it followed by replacement, else empty.
QString swapEnding(const QString& folder, const QString& ending, const QString& replacement)
{
    if (!folder.endsWith(ending))
        return {};
    return folder.left(folder.size() - ending.size()) + replacement;
}

// "/" or a drive: a users folder that is a root would hold every path of the disk.
bool isRoot(const QString& folder)
{
    const QString bare = folder.endsWith(u'/') ? folder.chopped(1) : folder;
    return bare.isEmpty() || (bare.size() == 2 && bare.at(1) == u':');
}

} // namespace

mAPI::mAPI(const platform::shell::SpecialFolders& folders)
    : m_folders(folders)
{
}

QString mAPI::GetPath(int csidl) const
{
    try {
        const QString path = m_folders.folderPath(csidl);
        const qsizetype nul = path.indexOf(QChar(u'\0'));
        return nul < 0 ? path : path.left(nul);
    } catch (...) {
        PropagateError(kModule, u"GetPath");
    }
}

QString mAPI::GetPathAPPDATA() const
{
    try {
        return GetPath(platform::shell::CSIDL_APPDATA);
    } catch (...) {
        PropagateError(kModule, u"GetPathAPPDATA");
    }
}

bool mAPI::IsFolderBanned(const QString& path) const
{
    try {
        const QString target = comparable(path);

        const QString rawProfile = GetPath(platform::shell::CSIDL_PROFILE);
        if (!rawProfile.isEmpty()) {
            const QString profile = comparable(rawProfile);
            const QString users = profile.left(profile.lastIndexOf(u'/') + 1);
            if (!isRoot(users) && withSeparator(target).startsWith(users))
                return !contains(profile, target);
            // A profile right below the root (root's own /root) lies among the system's folders:
            // what is below it is the user's own, the profile itself is not.
            if (!isRoot(profile) && target != profile && contains(profile, target))
                return false;
        }
        for (const QString& data : m_folders.dataFoldersInside()) {
            const QString folder = comparable(data);
            if (target != folder && contains(folder, target))
                return false;
        }

        QStringList refused;
        QStringList added;
        for (const int csidl : {platform::shell::CSIDL_WINDOWS, platform::shell::CSIDL_PROGRAM_FILES}) {
            const QString raw = GetPath(csidl);
            if (raw.isEmpty())
                continue;
            const QString folder = comparable(raw);
            refused.append(folder);
            if (const QString other = swapEnding(folder, u"/PROGRAM FILES (X86)"_s, u"/PROGRAM FILES"_s);
                !other.isEmpty())
                added.append(other);
            else if (const QString other64 = swapEnding(folder, u"/PROGRAM FILES"_s, u"/PROGRAM FILES (X86)"_s);
                     !other64.isEmpty())
                added.append(other64);
        }
        refused.append(added);
        for (const QString& other : m_folders.otherSystemFolders())
            refused.append(comparable(other));

        for (const QString& folder : refused) {
            if (contains(folder, target))
                return true;
        }
        const QStringList roots = m_folders.systemRoots();
        return std::any_of(roots.cbegin(), roots.cend(),
                           [&target](const QString& root) { return comparable(root) == target; });
    } catch (...) {
        PropagateError(kModule, u"IsFolderBanned");
    }
}

bool mAPI::IsFolderNotRecommended(const QString& path) const
{
    try {
        const QString target = comparable(path);
        QStringList warned;
        QStringList added;
        for (const int csidl : {platform::shell::CSIDL_PROFILE, platform::shell::CSIDL_COMMON_DESKTOPDIRECTORY}) {
            const QString raw = GetPath(csidl);
            if (raw.isEmpty())
                continue;
            const QString folder = comparable(raw);
            warned.append(folder);
            if (QString users = swapEnding(folder, u"/USERS/PUBLIC/DESKTOP"_s, u"/USERS"_s); !users.isEmpty())
                added.append(users);
            else if (QString allUsers =
                         swapEnding(folder, u"/DOCUMENTS AND SETTINGS/ALL USERS/РАБОЧИЙ СТОЛ"_s, u"/ALL USERS"_s);
                     !allUsers.isEmpty())
                added.append(allUsers);
        }
        warned.append(added);
        for (const QString& folder : warned) {
            if (contains(folder, target))
                return true;
        }
        return false;
    } catch (...) {
        PropagateError(kModule, u"IsFolderNotRecommended");
    }
}

} // namespace core
