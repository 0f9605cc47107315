#pragma once

#include <functional>
#include <optional>

#include <QString>

class QIODevice;

namespace platform::family {
class FilesLib;
class VersionInfo;
} // namespace platform::family

namespace core {

class UiServices;

// What the version caption reads of a spreadsheet application.
struct ExcelIdentity
{
    QString Name;
    QString version;
    QString Build;
};

// Creates a spreadsheet application and reads its identity; nothing when none can be created.
// The spreadsheet stand-in plugs in here.
using ExcelApplicationFactory = std::function<std::optional<ExcelIdentity>()>;

// Tokens of a text, path shortening, folder creation, text files, version texts and the message
// box that keeps the mouse pointer. Paths use "/" as separator.
namespace mOther {

// The part before the first delimiter; text keeps the part after it. Without a delimiter (or
// with an empty delimiter) the whole text, and text becomes empty. A failure (memory) is shown in
// a critical box titled "Ошибка в функции GetNext" with the failing step's line and the message;
// then the part cut so far is returned and text keeps what it held.
QString GetNext(UiServices& ui, QString& text, const QString& delimiter);
// The part after the last delimiter; text keeps the part before it. Without one, as GetNext; a
// failure as GetNext's, in a box titled "Ошибка в функции GetLast".
QString GetLast(UiServices& ui, QString& text, const QString& delimiter);

// The short form of a path. Linux has no short (8.3) names and no 260-character limit, so every
// path is its own short form.
QString GetShortPathEx(const QString& path, bool onlyLongPaths);

// Creates every missing folder of the path below the root; the last component (a file name or
// mask such as "*") is never created. Answers the deepest folder without a final "/", or the
// empty text when a folder cannot be created or something other than a folder is in the way.
QString CreateFolderTree(const QString& path);

// The same, telling also whether the deepest folder was made by this call (it did not stand
// before): a folder made a moment ago holds nothing of an earlier run.
struct FolderTree
{
    QString folder;
    bool madeDeepest = false;
};
FolderTree MakeFolderTree(const QString& path);

// Writes the text in windows-1251 as the whole content of the file, with no line end added.
// Answers the empty text, or the system's message of the failure ("Disk full", ...).
// With characterReferences, a character that windows-1251 lacks is written as "&#NNNN;" instead
// of "?", for XML and HTML files.
QString SaveStringToFile(const QString& fileName, const QString& text, bool characterReferences = false);
// The same onto an open device.
QString SaveStringToDevice(QIODevice& device, const QString& text, bool characterReferences = false);

// The program's own version: major.minor.revision.
QString GetVersion();
// The family product's version, or "?.???.???.????" without the version component.
QString GetVersionN7W(const platform::family::VersionInfo* versionInfo);
// A new spreadsheet application's identity, nothing when it cannot be created.
std::optional<ExcelIdentity> NewExcelApplication(const ExcelApplicationFactory& factory);
// "<Name> v. <version>.<Build>", or "Excel ??.?" without a spreadsheet application.
QString GetExcelVersion(const ExcelApplicationFactory& factory);

// The one file library of the process.
platform::family::FilesLib& FilesLib();

// Shows a box with the default mouse pointer and restores the pointer afterwards. An empty title
// gives the application's title; help file and context are accepted for the callers' sake.
int iMsgBox(UiServices& ui, const QString& prompt, int buttons, const QString& title = {}, const QString& helpFile = {},
            int helpContext = 0);

} // namespace mOther

} // namespace core
