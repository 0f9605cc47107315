#pragma once

#include "platform/family/ErrorDialog.h"

class QWidget;

namespace platform::family {

// The family's error dialog as a modal box: the trail as its text, source and number below it.
class ErrorDialogWindow final : public ErrorDialog
{
public:
    explicit ErrorDialogWindow(QWidget* parent = nullptr);
    void ErrorMsgBox(QString& description, QString& source, int& number, QString& helpText) override;

private:
    QWidget* m_parent = nullptr;
};

} // namespace platform::family
