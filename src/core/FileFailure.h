#pragma once

#include <QString>

class QIODevice;

namespace core {

// The system's run-time messages for failures of file operations, so that every writer answers
// the same texts ("Disk full" above all, which callers compare).
class FileFailure final
{
public:
    // The error number and message for an errno value.
    static int numberOfErrno(int code);
    static QString messageOfErrno(int code);
    // The message for a failed device: its error text is matched against the system's texts.
    static QString messageOfDevice(const QIODevice& device);
    // The message of a failure whose cause the system did not name.
    static QString unnamedMessage();
};

} // namespace core
