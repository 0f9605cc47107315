#include "SmallDisk.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "ChildProcess.h"

namespace testsupport {

namespace {

// The child's value when it could not mount: no check ran.
constexpr int kCannotMount = 125;

bool writeProcFile(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), static_cast<std::size_t>(text.size())) == text.size();
    ::close(fd);
    return written;
}

// A namespace where this process may mount: its own mount namespace when it is privileged, else a
// user namespace in which it is root.
bool enterOwnNamespace()
{
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) == 0)
        return true;
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    writeProcFile("/proc/self/setgroups", "deny");
    return writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
           && writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1");
}

} // namespace

std::optional<int> onSmallDisk(const QString& folder, qint64 bytes, const std::function<int()>& check)
{
    QDir().mkpath(folder);
    const std::optional<int> value = inChildProcess([&]() -> int {
        if (!enterOwnNamespace())
            return kCannotMount;
        // Mounts made here must not reach the namespace the copy came from.
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        const QByteArray target = QFile::encodeName(folder);
        const QByteArray size = "size=" + QByteArray::number(bytes);
        if (::mount("tmpfs", target.constData(), "tmpfs", 0, size.constData()) != 0)
            return kCannotMount;
        return check();
    });
    if (value == kCannotMount)
        return std::nullopt;
    return value;
}

bool fillDisk(const QString& folder)
{
    const QByteArray name = QFile::encodeName(QDir(folder).filePath(QStringLiteral("filler")));
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), static_cast<std::size_t>(block.size())) > 0) {
    }
    // A last partial block may still have found room: fill byte by byte.
    while (::write(fd, "f", 1) == 1) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

} // namespace testsupport
