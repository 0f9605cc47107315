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
    // /run, /media, /mnt and /srv stay open: removable and network drives are mounted there.
    return {u"/bin"_s,   u"/boot"_s, u"/dev"_s,  u"/etc"_s, u"/lib"_s,    u"/lib32"_s,
            u"/lib64"_s, u"/proc"_s, u"/sbin"_s, u"/sys"_s, u"/var/lib"_s};
}

} // namespace platform::shell
