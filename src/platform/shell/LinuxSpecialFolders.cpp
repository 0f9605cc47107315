#include "LinuxSpecialFolders.h"

#include <utility>

#include <QDir>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace platform::shell {

LinuxSpecialFolders::LinuxSpecialFolders(QString homeFolder, QString configFolder)
    : m_home(std::move(homeFolder))
    , m_config(std::move(configFolder))
{
}

LinuxSpecialFolders LinuxSpecialFolders::forCurrentUser()
{
    return LinuxSpecialFolders(QDir::homePath(),
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString LinuxSpecialFolders::folderPath(int csidl) const
{
    switch (csidl) {
    case CSIDL_PROFILE:
        return m_home;
    case CSIDL_APPDATA:
        // Asked for with the flag that creates it, as the program writes below it.
        if (!m_config.isEmpty() && !QDir(m_config).exists() && !QDir().mkpath(m_config))
            return {};
        return m_config;
    case CSIDL_WINDOWS:
        return u"/usr"_s;
    case CSIDL_PROGRAM_FILES:
        return u"/opt"_s;
    default:
        return {};
    }
}

QStringList LinuxSpecialFolders::otherSystemFolders() const
{
    // /home and /root hold the users' profiles: the own profile is allowed before these are asked.
    return {u"/bin"_s,   u"/boot"_s, u"/dev"_s,  u"/etc"_s, u"/home"_s, u"/lib"_s, u"/lib32"_s,
            u"/lib64"_s, u"/proc"_s, u"/root"_s, u"/run"_s, u"/sbin"_s, u"/sys"_s, u"/var"_s};
}

QStringList LinuxSpecialFolders::systemRoots() const
{
    // Removable and network drives are mounted below /mnt, /media and /srv, never on them.
    return {u"/"_s, u"/media"_s, u"/mnt"_s, u"/srv"_s};
}

QStringList LinuxSpecialFolders::dataFoldersInside() const
{
    // Where the desktop mounts removable drives, and the scratch folder that outlives a restart.
    return {u"/run/media"_s, u"/var/tmp"_s};
}

} // namespace platform::shell
