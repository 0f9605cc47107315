#pragma once

#include <QString>

namespace platform::family {

// The family's error dialog: shows an error's text, source and number and returns when the
// person closes it. The arguments travel by reference, as the component takes them.
class ErrorDialog
{
public:
    virtual ~ErrorDialog() = default;
    virtual void ErrorMsgBox(QString& description, QString& source, int& number, QString& helpText) = 0;
};

} // namespace platform::family
