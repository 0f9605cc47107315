#pragma once

#include <memory>

#include <QString>

#include "MsgBox.h"

namespace platform::family {
class ErrorDialog;
class SplashWindow;
} // namespace platform::family

namespace core {

// Everything through which the lower layers reach a person: message boxes, prompts, the folder
// chooser, the mouse pointer and the family's error dialog and splash window. In an unattended
// run no box waits: its text is written out and the default answer is taken.
class UiServices
{
public:
    virtual ~UiServices() = default;

    virtual bool isUnattended() const = 0;

    // Shows a box with a style of core::msgbox and answers the button's number.
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // Asks for a line of text; an empty text when the person cancels.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // Asks for a folder; an empty text when the person cancels.
    virtual QString browseForFolder(const QString& title, const QString& startFolder) = 0;

    virtual MousePointer mousePointer() const = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;
    // Lets the window handle the messages that wait.
    virtual void processEvents() = 0;

    // The family's error dialog and splash window; nothing when the component is missing.
    virtual std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() = 0;
    virtual std::unique_ptr<platform::family::SplashWindow> createSplashWindow() = 0;
};

} // namespace core
