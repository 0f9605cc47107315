#pragma once

#include <QString>
#include <QStringList>

namespace platform::shell {

// Identifiers of the special folders the program asks for, with the values Windows gives them.
inline constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x19;
inline constexpr int CSIDL_APPDATA = 0x1A;
inline constexpr int CSIDL_WINDOWS = 0x24;
inline constexpr int CSIDL_PROGRAM_FILES = 0x26;
inline constexpr int CSIDL_PROFILE = 0x28;

// Where the system keeps its special folders: the user's profile and application data, the
// shared desktop, the system's own folder and the program files folder.
class SpecialFolders
{
public:
    virtual ~SpecialFolders() = default;

    // The folder's path; created first when it is the user's own and missing. The empty text when
    // the system has no such folder.
    virtual QString folderPath(int csidl) const = 0;
    // System folders beyond the system folder and the program files folder that must never
    // receive files, nor anything below them; Windows keeps all of them in those two.
    virtual QStringList otherSystemFolders() const = 0;
    // Folders of the system that must not receive files themselves, although what lies below them
    // may (a drive mounted there); none on Windows, where a drive's root is a data drive.
    virtual QStringList systemRoots() const { return {}; }
    // Folders inside the system's own folders below which data may stand (removable drives, a
    // scratch folder); the folder itself stays refused. None on Windows.
    virtual QStringList dataFoldersInside() const { return {}; }
};

} // namespace platform::shell
