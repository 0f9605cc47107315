#pragma once

#include <functional>

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
};

} // namespace core
