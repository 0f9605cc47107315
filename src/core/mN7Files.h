#pragma once

#include <QString>

namespace core {

class UiServices;

// File tests, file names and deletion. The operations that touch the disk catch their own
// failures, show "Error in <operation>" and answer what they hold so far. Paths use "/".
namespace mN7Files {

// True when the path names a regular file that opens for reading.
bool IsFileExists(const QString& path);
// Folder (up to and including the last "/"), name, extension (after the file name's last ".")
// and file name (name, and "." and extension when there is one).
void SplitFileName(const QString& path, QString& folder, QString& name, QString& extension, QString& fileName);
// The folder without one final "/", "/", and the file name without one leading "/".
QString ConcatFileName(const QString& folder, const QString& fileName);
// The long form of an existing path; Linux has no other form, so the path itself, or the empty
// text when nothing exists there.
QString GetLongPathName(const QString& path);
// Gives the owner the right to write a file that nobody may write ("read-only").
void ClearReadOnlyAttributeFromFile(UiServices& ui, const QString& path);
// Clears the read-only state and deletes the file. A failure that is not ignored shows
// "Error in DeleteFile"; the caller goes on either way.
void DeleteFile(UiServices& ui, const QString& path, bool ignoreFailures);
// Raises an error numbered code (1001 for 0) described by prefix and the system's text.
[[noreturn]] void RaiseApiError(int code, const QString& prefix);
QString GetApiErrorText(int code);

} // namespace mN7Files

} // namespace core
