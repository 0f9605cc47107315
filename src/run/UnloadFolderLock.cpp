#include "UnloadFolderLock.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "base/Error.h"

using namespace Qt::StringLiterals;

namespace run {

namespace {

// Each turn follows a holder that removed the file between our opening and our locking it.
constexpr int kMaxTurns = 16;

bool sameFile(int descriptor, const QByteArray& name)
{
    struct stat held = {};
    struct stat named = {};
    return ::fstat(descriptor, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
           && held.st_ino == named.st_ino;
}

} // namespace

UnloadFolderLock::UnloadFolderLock(const QString& folder)
{
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(QString::fromUtf16(kFileName));
    const QByteArray name = QFile::encodeName(file);
    for (int turn = 0; turn < kMaxTurns; ++turn) {
        const int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (descriptor < 0)
            return;
        if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
            const int code = errno;
            ::close(descriptor);
            if (code == EWOULDBLOCK)
                break;
            // A file system without locks: nothing to keep another run out with.
            return;
        }
        // The holder before us removes the file as it lets go: only a lock on the file that the
        // name still names keeps the next run out.
        if (sameFile(descriptor, name)) {
            m_file = file;
            m_descriptor = descriptor;
            return;
        }
        ::close(descriptor);
    }
    throw core::Error(kRefusedNumber, refusalText(folder));
}

UnloadFolderLock::~UnloadFolderLock()
{
    if (m_descriptor < 0)
        return;
    // Removed while still held, so that a run waiting for it finds the name free or its own file.
    ::unlink(QFile::encodeName(m_file).constData());
    ::close(m_descriptor);
}

QString UnloadFolderLock::refusalText(const QString& folder)
{
    return u"В папку \""_s + folder + u"\" уже идёт выгрузка документов другим запуском программы."_s + u"\r\n"_s
           + u"Дождитесь её окончания или укажите другую папку для выгрузки."_s;
}

} // namespace run
