#include "WholeFileReplacer.h"

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "FileFailure.h"

using namespace Qt::StringLiterals;

namespace core {

namespace {

constexpr char16_t kPathFileAccess[] = u"Path/File access error";

// The file that takes the new content: a symbolic link is followed to the file it names, even a
// missing one, as QSaveFile does.
QString finalPathOf(const QString& fileName)
{
    QFileInfo info(fileName);
    if (!info.isSymLink())
        return fileName;
    int depth = 128;
    while (--depth > 0 && info.isSymLink())
        info.setFile(info.symLinkTarget());
    return depth > 0 ? info.filePath() : fileName;
}

// The temporary file until it has taken the final name: closed, and removed when it has a name.
class TemporaryFile final
{
public:
    TemporaryFile() = default;
    ~TemporaryFile()
    {
        if (!m_name.isEmpty())
            ::unlink(m_name.constData());
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Q_DISABLE_COPY_MOVE(TemporaryFile)

    // An unnamed file in the folder where the file system has them (it vanishes with the process),
    // otherwise a new hidden file beside the target.
    bool open(const QByteArray& folder, const QByteArray& target, mode_t mode)
    {
        m_fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (m_fd >= 0 || (errno != EISDIR && errno != EOPNOTSUPP && errno != EINVAL))
            return m_fd >= 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray name = uniqueNameBeside(target);
            m_fd = ::open(name.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
            if (m_fd >= 0) {
                m_name = name;
                return true;
            }
            if (errno != EEXIST)
                return false;
        }
        return false;
    }

    int fd() const { return m_fd; }

    // Gives the content the target's name, replacing an older file there in one step.
    bool commit(const QByteArray& target, bool replacing)
    {
        if (m_name.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
            if (!replacing
                && ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) == 0)
                return true;
            if (!replacing && errno != EEXIST)
                return false;
            // A file is there: the content gets a name of its own, which then replaces it.
            for (int attempt = 0; m_name.isEmpty() && attempt < 100; ++attempt) {
                const QByteArray name = uniqueNameBeside(target);
                if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                    m_name = name;
                else if (errno != EEXIST)
                    return false;
            }
            if (m_name.isEmpty())
                return false;
        }
        if (::rename(m_name.constData(), target.constData()) != 0)
            return false;
        m_name.clear();
        return true;
    }

private:
    static QByteArray uniqueNameBeside(const QByteArray& target)
    {
        const qsizetype slash = target.lastIndexOf('/');
        return target.left(slash + 1) + '.' + target.mid(slash + 1) + '.'
               + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
    }

    int m_fd = -1;
    QByteArray m_name;
};

// Writes all bytes, taking a short write as progress; answers the failure's message.
QString writeAll(int fd, const QByteArray& content)
{
    for (qsizetype written = 0; written < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + written, static_cast<size_t>(content.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return FileFailure::messageOfErrno(n < 0 ? errno : ENOSPC);
        written += n;
    }
    return {};
}

// The usual case, a new file, costs no look at the name (a run writes thousands of small files,
// each costing a path walk per look): the content is written unnamed and then given the name,
// which fails when anything at all stands there. Answers nothing when the careful way must take
// over: a name that is taken, or a file system without unnamed files.
std::optional<QString> writeNewFile(const QString& fileName, const std::function<QString(int fd)>& fill)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return std::nullopt;
    QString message = fill(fd);
    if (message.isEmpty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        const QByteArray target = QFile::encodeName(fileName);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0) {
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return message;
}

bool isDevice(const struct stat& info)
{
    return !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode);
}

} // namespace

QString WholeFileReplacer::replace(const QString& fileName, const std::function<QString(QIODevice&)>& writer)
{
    return replaceThrough(fileName, false, [&writer](int fd) {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return FileFailure::messageOfDevice(file);
        if (QString message = writer(file); !message.isEmpty())
            return message;
        return file.flush() ? QString() : FileFailure::messageOfDevice(file);
    });
}

QString WholeFileReplacer::replace(const QString& fileName, const QByteArray& content)
{
    return replaceThrough(fileName, true, [&content](int fd) { return writeAll(fd, content); });
}

QString WholeFileReplacer::replaceThrough(const QString& fileName, bool devicesInPlace, const Filler& fill)
{
    if (std::optional<QString> message = writeNewFile(fileName, fill))
        return *message;

    struct stat old = {};
    const QByteArray given = QFile::encodeName(fileName);
    const bool present = ::lstat(given.constData(), &old) == 0;
    const bool link = present && S_ISLNK(old.st_mode);
    if (link) {
        const QFileInfo existing(fileName);
        if (existing.isDir() || (existing.exists() && !existing.isWritable()))
            return QString::fromUtf16(kPathFileAccess);
    } else if (present && (S_ISDIR(old.st_mode) || ::access(given.constData(), W_OK) != 0)) {
        return QString::fromUtf16(kPathFileAccess);
    }
    const QString finalPath = link ? finalPathOf(fileName) : fileName;
    const QByteArray target = QFile::encodeName(finalPath);
    const bool replacing = link ? ::stat(target.constData(), &old) == 0 : present;

    if (devicesInPlace && replacing && isDevice(old)) {
        const int fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            return FileFailure::messageOfErrno(errno);
        QString message = fill(fd);
        if (::close(fd) != 0 && message.isEmpty())
            message = FileFailure::messageOfErrno(errno);
        return message;
    }

    const QByteArray folder = QFile::encodeName(QFileInfo(finalPath).absolutePath());
    TemporaryFile temporary;
    // Until it has the old file's permissions, the new content is readable by the owner only.
    if (!temporary.open(folder, target, replacing ? 0600 : 0666))
        return FileFailure::messageOfErrno(errno);
    if (replacing && ::fchmod(temporary.fd(), old.st_mode & 07777) != 0)
        return FileFailure::messageOfErrno(errno);
    if (QString message = fill(temporary.fd()); !message.isEmpty())
        return message;
    if (!temporary.commit(target, replacing))
        return FileFailure::messageOfErrno(errno);
    return {};
}

} // namespace core
