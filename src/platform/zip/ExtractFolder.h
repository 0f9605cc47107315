#pragma once

#include <functional>
#include <optional>

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace platform::zip {

// The target folder of one extraction. It picks a free name for every entry (a second entry of
// the same name gets " (2)"), never follows or writes through a link, never replaces the archive
// being read, and writes each file as a temporary file renamed into place when complete. The
// temporary files that a killed extraction left in a folder go when the next one opens it.
class ExtractFolder final
{
public:
    // Writes through this call (POSIX write semantics: bytes written, or -1 with errno set), so
    // that tests can make the disk fill up.
    using WriteCall = std::function<long(int fd, const char* data, std::size_t size)>;

    struct FileIdentity
    {
        dev_t device = 0;
        ino_t inode = 0;
    };

    // What is decided for one entry before its bytes are written.
    struct Slot
    {
        int folderFd = -1;
        QString name;         // the file name inside that folder
        QString relativePath; // with "/" between the folders below the target
        bool replacesFile = false;
        qint64 existingMtime = 0;
    };

    ExtractFolder(QByteArray path, std::optional<FileIdentity> archive, WriteCall write);
    ~ExtractFolder();
    ExtractFolder(const ExtractFolder&) = delete;
    ExtractFolder& operator=(const ExtractFolder&) = delete;

    // Creates the folder when missing and opens it; 0 or an errno value.
    int open();

    // Opens (creating when missing) the clean folder components below the target; -1 with errno
    // when one of them cannot be made or is not a plain folder.
    int folderFd(const QStringList& folders);

    // The name under which an entry called fileName goes into the folder: the first of
    // "name", "name (2)", ... that no entry of this run took, that is not the archive and that is
    // not a link, folder or other non-file on disk. An existing plain file may be replaced.
    Slot reserve(int folderFd, const QStringList& folders, const QString& fileName);

    // Names that no entry may take directly in the target folder, as if an earlier entry had them.
    void reserveNames(const QStringList& names);

    // Writes the file of a slot from the chunks that read gives (0 at the end, -1 on a read
    // failure) and renames it into place. Answers 0, or the errno of a write failure; a read
    // failure answers -1. Nothing of a failed file stays on disk.
    int write(const Slot& slot, const std::function<long(char* buffer, std::size_t size)>& read, qint64 mtime);

private:
    QByteArray m_path;
    std::optional<FileIdentity> m_archive;
    WriteCall m_write;
    int m_rootFd = -1;
    QList<int> m_openFds;
    QSet<QString> m_taken; // folded relative paths given out in this run
};

} // namespace platform::zip
