#include "mFolderSelectDialog.h"

#include "UiServices.h"
#include "mErrorHandling.h"

namespace core {

bool RunSHBrowseForFolder(UiServices& ui, QString& folder, const QString& title, int flags)
{
    try {
        // The chooser of UiServices offers file-system folders only, which BIF_RETURNONLYFSDIRS
        // asks for; the other flags choose the look of a dialog it does not have.
        Q_UNUSED(flags);
        const QString chosen = ui.browseForFolder(title, folder);
        if (chosen.isEmpty())
            return false;
        folder = chosen;
        return true;
    } catch (...) {
        PropagateError(u"mFolderSelectDialog", u"RunSHBrowseForFolder");
    }
}

} // namespace core
