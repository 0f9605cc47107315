#include "mErrorHandling.h"

#include "UiServices.h"
#include "base/Error.h"
#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"

using namespace Qt::StringLiterals;

namespace core {

void PropagateError(QStringView module, QStringView procedure, int line)
{
    Error error = currentError();
    error.addPlace(module, procedure, line);
    throw error;
}

void ReportError(UiServices& ui, QStringView module, QStringView procedure, int line) noexcept
{
    try {
        const Error error = currentError();
        QString description = describeAt(module, procedure, line, error.source(), error.description());
        QString source = error.source();
        int number = error.number();

        if (!ui.isUnattended()) {
            ui.setMousePointer(MousePointer::Default);
            try {
                if (auto splash = ui.createSplashWindow())
                    splash->CloseSplashImmediately();
            } catch (...) {
                // A splash window that cannot be closed changes nothing for the report.
            }
        }

        std::unique_ptr<platform::family::ErrorDialog> dialog;
        try {
            dialog = ui.createErrorDialog();
        } catch (...) {
            dialog.reset();
        }
        if (dialog) {
            try {
                QString help;
                dialog->ErrorMsgBox(description, source, number, help);
            } catch (...) {
                // The dialog's own failure leaves nothing further to show.
            }
            return;
        }
        ui.setMousePointer(MousePointer::Default);
        ui.msgBox(description, msgbox::vbCritical | msgbox::vbOKOnly, u"Сбой программы"_s);
    } catch (...) {
        // Reporting must never raise: the handler that called it ends normally.
    }
}

} // namespace core
