#pragma once

#include <QString>

namespace core {

class UiServices;

// The folder chooser with which the unload folder is picked, opened at the folder chosen before.
// The owner window is the one the UiServices were made for.

// The title the windows give the chooser; its "c" is a Latin letter.
inline constexpr char16_t kSelectFolderTitle[] = u"Выберите папку c файлами";
inline constexpr int BIF_RETURNONLYFSDIRS = 0x1;
inline constexpr int BIF_NEWDIALOGSTYLE = 0x40;

// True and the chosen folder in folder when the person confirms one; False and folder unchanged
// when the person cancels. Only file-system folders can be chosen, whatever the flags say.
bool RunSHBrowseForFolder(UiServices& ui, QString& folder, const QString& title, int flags);

} // namespace core
