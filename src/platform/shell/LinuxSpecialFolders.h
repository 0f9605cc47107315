#pragma once

#include "SpecialFolders.h"

namespace platform::shell {

// The special folders of a Linux system: the home folder as profile, the configuration folder as
// application data, /usr as the system folder with the other system trees beside it, /opt for
// installed programs; there is no desktop shared by all users. Unlike a Windows drive, "/" is the
// system itself: it and its first-level folders never receive files.
class LinuxSpecialFolders final : public SpecialFolders
{
public:
    LinuxSpecialFolders(QString homeFolder, QString configFolder);
    static LinuxSpecialFolders forCurrentUser();

    QString folderPath(int csidl) const override;
    QStringList otherSystemFolders() const override;
    QStringList systemRoots() const override;
    QStringList dataFoldersInside() const override;

private:
    QString m_home;
    QString m_config;
};

} // namespace platform::shell
