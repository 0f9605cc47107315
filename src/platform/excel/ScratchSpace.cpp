#include "ScratchSpace.h"

#include <cerrno>

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

constexpr char16_t kPrefix[] = u"fetchling-";

// A process that is gone: the system knows no process of the id. One that runs under another user
// is refused a signal but stands.
bool isGone(qint64 pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

ScratchSpace::ScratchSpace(const QString& folder)
    : m_folder(folder.isEmpty() ? QDir::tempPath() : folder)
{
}

QString ScratchSpace::nameTemplate(QStringView kind) const
{
    return QDir(m_folder).filePath(QString::fromUtf16(kPrefix) + kind + u'-' + QString::number(::getpid())
                                   + u"-XXXXXX"_s);
}

qint64 ScratchSpace::ownerOf(const QString& name)
{
    // fetchling-<kind>-<pid>-<random>
    const QStringList parts = name.split(u'-');
    if (parts.size() != 4 || QString(parts[0] + u'-') != QStringView(kPrefix) || parts[1].isEmpty()
        || parts[3].isEmpty())
        return 0;
    bool ok = false;
    const qint64 pid = parts[2].toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

void ScratchSpace::removeLeftovers() const
{
    const QDir folder(m_folder);
    const QFileInfoList entries = folder.entryInfoList({QString::fromUtf16(kPrefix) + u'*'},
                                                       QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const qint64 owner = ownerOf(entry.fileName());
        // Only this user's own: in a shared temporary folder another user's entry may be a link
        // laid for whoever cleans up.
        if (owner == 0 || owner == ::getpid() || entry.ownerId() != ::geteuid() || !isGone(owner))
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

} // namespace platform::excel
