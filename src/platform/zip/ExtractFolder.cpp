#include "ExtractFolder.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "EntryName.h"

using namespace Qt::StringLiterals;

namespace platform::zip {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

constexpr char kTemporaryPrefix[] = ".n7unzip-";
constexpr char kTemporarySuffix[] = ".tmp";

QString folded(const QStringList& folders, const QString& name)
{
    // Names that differ only in case are one name on the file systems the folder may be shared on.
    return QString(folders.join(u'/') + u'/' + name).toCaseFolded();
}

// Removes the temporary files that an extraction killed before its end left in the folder. A file
// still being written is locked by its writer (the lock goes with the writer's process), so an
// extraction that runs now elsewhere keeps its own.
void removeLeftovers(int folderFd)
{
    // The folder's own descriptor lists it: it serves only as the base of names after this, so
    // its reading position does not matter, and a folder listed the usual way (a copy of the
    // descriptor, its flags, a stream) costs several more calls for each document.
    QList<QByteArray> leftovers;
    alignas(dirent64) std::array<char, 8192> buffer; // filled by the system before it is read
    for (;;) {
        const ssize_t got = ::getdents64(folderFd, buffer.data(), buffer.size());
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + at);
            const QByteArrayView name(entry->d_name);
            if (name.startsWith(kTemporaryPrefix) && name.endsWith(kTemporarySuffix))
                leftovers.append(name.toByteArray());
            at += entry->d_reclen;
        }
    }
    for (const QByteArray& name : std::as_const(leftovers)) {
        const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info = {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(folderFd, name.constData(), 0);
        ::close(fd);
    }
}

} // namespace

ExtractFolder::ExtractFolder(QByteArray path, std::optional<FileIdentity> archive, WriteCall write)
    : m_path(std::move(path))
    , m_archive(archive)
    , m_write(std::move(write))
{
}

ExtractFolder::~ExtractFolder()
{
    for (const int fd : std::as_const(m_openFds))
        ::close(fd);
    if (m_rootFd >= 0)
        ::close(m_rootFd);
}

int ExtractFolder::open()
{
    // The folder is usually there (the archive lies in it): it is made only when opening it fails.
    m_rootFd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_rootFd < 0 && errno == ENOENT) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(m_path.toStdString()), error);
        if (error && error != std::errc::file_exists)
            return error.value();
        m_rootFd = ::open(m_path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (m_rootFd < 0)
        return errno;
    removeLeftovers(m_rootFd);
    return 0;
}

int ExtractFolder::folderFd(const QStringList& folders)
{
    int fd = m_rootFd;
    for (const QString& folder : folders) {
        const QByteArray name = folder.toUtf8();
        if (::mkdirat(fd, name.constData(), 0777) != 0 && errno != EEXIST)
            return -1;
        // O_NOFOLLOW: a link planted where a folder should be is refused, never entered.
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0)
            return -1;
        m_openFds.append(next);
        removeLeftovers(next);
        fd = next;
    }
    return fd;
}

ExtractFolder::Slot ExtractFolder::reserve(int folderFd, const QStringList& folders, const QString& fileName)
{
    Slot slot;
    slot.folderFd = folderFd;
    for (int copy = 1;; ++copy) {
        const QString candidate = EntryName::numbered(fileName, copy);
        if (m_taken.contains(folded(folders, candidate)))
            continue;
        struct stat existing = {};
        const QByteArray bytes = candidate.toUtf8();
        if (::fstatat(folderFd, bytes.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISREG(existing.st_mode))
                continue;
            if (m_archive && existing.st_dev == m_archive->device && existing.st_ino == m_archive->inode)
                continue;
            slot.replacesFile = true;
            slot.existingMtime = existing.st_mtim.tv_sec;
        }
        m_taken.insert(folded(folders, candidate));
        slot.name = candidate;
        slot.relativePath = folders.isEmpty() ? candidate : folders.join(u'/') + u'/' + candidate;
        return slot;
    }
}

void ExtractFolder::reserveNames(const QStringList& names)
{
    for (const QString& name : names)
        m_taken.insert(folded({}, name));
}

int ExtractFolder::write(const Slot& slot, const std::function<long(char* buffer, std::size_t size)>& read,
                         qint64 mtime)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary =
            kTemporaryPrefix + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + kTemporarySuffix;
        fd = ::openat(slot.folderFd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    // Held until the file is renamed or gone: it tells a later extraction that this file is alive.
    ::flock(fd, LOCK_EX | LOCK_NB);

    auto fail = [&](int error) {
        ::close(fd);
        ::unlinkat(slot.folderFd, temporary.constData(), 0);
        return error;
    };

    // Left as it is: read fills what is written (clearing 64 KB cost more than a small file's bytes).
    std::array<char, kChunk> buffer;
    for (;;) {
        const long got = read(buffer.data(), buffer.size());
        if (got < 0)
            return fail(-1);
        if (got == 0)
            break;
        std::size_t done = 0;
        while (done < static_cast<std::size_t>(got)) {
            const long put = m_write(fd, buffer.data() + done, static_cast<std::size_t>(got) - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return fail(put < 0 ? errno : ENOSPC);
            done += static_cast<std::size_t>(put);
        }
    }
    if (mtime > 0) {
        const std::array<timespec, 2> times = {timespec{mtime, 0}, timespec{mtime, 0}};
        ::futimens(fd, times.data());
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlinkat(slot.folderFd, temporary.constData(), 0);
        return error;
    }
    // rename replaces a plain file in one step; a link in the way was never chosen as a slot.
    const QByteArray finalName = slot.name.toUtf8();
    if (::renameat(slot.folderFd, temporary.constData(), slot.folderFd, finalName.constData()) != 0) {
        const int error = errno;
        ::unlinkat(slot.folderFd, temporary.constData(), 0);
        return error;
    }
    return 0;
}

} // namespace platform::zip
