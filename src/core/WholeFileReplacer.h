#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

class QIODevice;

namespace core {

// Replaces a file's whole content so that a crash leaves either the old or the new file in place,
// never a half-written one: the content goes to a temporary file in the same folder, which then
// takes the file's name. Unlike QSaveFile it does not wait for the disk after every file, a cost
// that adds up over thousands of small files (metadata files, shortcuts).
class WholeFileReplacer final
{
public:
    // The writer fills the device and answers the empty text or the failure's message. Answers the
    // writer's message or the system's message of a failed file operation ("Disk full", ...); on a
    // failure the old file stays as it was. A symbolic link is followed to the file it names.
    static QString replace(const QString& fileName, const std::function<QString(QIODevice&)>& writer);

    // The same for content at hand, written straight to the file. A device or the like (a name that
    // is neither a file nor a folder) cannot be replaced by a new file: it is written in place.
    static QString replace(const QString& fileName, const QByteArray& content);

private:
    // Writes the content through the open file; answers the empty text or the failure's message.
    using Filler = std::function<QString(int fd)>;
    static QString replaceThrough(const QString& fileName, bool devicesInPlace, const Filler& fill);
};

} // namespace core
