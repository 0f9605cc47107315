#pragma once

#include <QString>

namespace core {

class UiServices;

// The folder test and the path helpers of the folder layout. The drive, network and long-path
// helpers keep their names; Linux has no drive letters, mapped drives or path prefixes, so they
// leave its paths as they are.
namespace mIO {

// The name of the probe file that the folder test looks for, creates and deletes.
inline constexpr char16_t kProbeFileName[] = u"_!~.~_!";

// True when a file can be created in the folder: a probe file already there counts without
// writing anything; otherwise a new probe file is created and deleted. An empty or relative
// folder is no folder to test.
bool IsFolderExistsEx(UiServices& ui, const QString& folder);
void PrepareForLFN(QString& path);
// The path without leading and trailing spaces.
QString PathToPathEx(const QString& path);
QString GetUncFromMappedDrive(const QString& path);
// True for a network path written as "//server/share...".
bool IsPathNetPath(const QString& path);
bool IsUNCPathValid(const QString& path);
// "/" for an absolute path that holds more than its root; "?:" for a bare root or no root.
QString StripPathToRoot(const QString& path);
// The text before its first NUL character.
QString TrimNull(const QString& text);
// Composes the decomposed letters й, Й, ё and Ё.
QString FixBadChars(const QString& text);

} // namespace mIO

} // namespace core
