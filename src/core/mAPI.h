#pragma once

#include <QString>

namespace platform::shell {
class SpecialFolders;
}

namespace core {

// Checks of the unload folder against the system's special folders: folders of the system and of
// other users are refused, the user's own profile and the shared desktop draw a warning.
class mAPI final
{
public:
    explicit mAPI(const platform::shell::SpecialFolders& folders);

    // The special folder's path, or the empty text when the system has none.
    QString GetPath(int csidl) const;
    QString GetPathAPPDATA() const;

    bool IsFolderBanned(const QString& path) const;
    bool IsFolderNotRecommended(const QString& path) const;

private:
    const platform::shell::SpecialFolders& m_folders;
};

} // namespace core
