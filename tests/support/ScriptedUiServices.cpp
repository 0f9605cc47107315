#include "ScriptedUiServices.h"

#include <gtest/gtest.h>

#include "platform/family/ErrorDialog.h"
#include "platform/family/SplashWindow.h"

namespace testsupport {

namespace {

class RecordingErrorDialog final : public platform::family::ErrorDialog
{
public:
    explicit RecordingErrorDialog(ScriptedUiServices& owner)
        : m_owner(owner)
    {
    }
    void ErrorMsgBox(QString& description, QString& source, int& number, QString& /*helpText*/) override
    {
        m_owner.errorDialogCalls.push_back({description, source, number});
    }

private:
    ScriptedUiServices& m_owner;
};

class CountingSplash final : public platform::family::SplashWindow
{
public:
    explicit CountingSplash(ScriptedUiServices& owner)
        : m_owner(owner)
    {
    }
    void CloseSplashImmediately() override { ++m_owner.splashCloses; }

private:
    ScriptedUiServices& m_owner;
};

} // namespace

int ScriptedUiServices::msgBox(const QString& prompt, int style, const QString& title)
{
    boxes.push_back({prompt, style, title});
    pointerDuringBoxes.push_back(m_pointer);
    if (onBox)
        onBox(Box{prompt, style, title});
    if (unattended)
        return core::msgbox::defaultAnswer(style);
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << title.toStdString() << "\": " << prompt.toStdString();
        return core::msgbox::defaultAnswer(style);
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

QString ScriptedUiServices::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    inputs.push_back({prompt, 0, title});
    if (unattended)
        return defaultText;
    if (m_inputs.empty()) {
        ADD_FAILURE() << "unexpected input prompt \"" << title.toStdString() << "\": " << prompt.toStdString();
        return {};
    }
    QString answer = m_inputs.front();
    m_inputs.pop_front();
    return answer;
}

QString ScriptedUiServices::browseForFolder(const QString& title, const QString& /*startFolder*/)
{
    if (unattended)
        return {};
    if (m_folders.empty()) {
        ADD_FAILURE() << "unexpected folder chooser \"" << title.toStdString() << "\"";
        return {};
    }
    QString answer = m_folders.front();
    m_folders.pop_front();
    return answer;
}

std::unique_ptr<platform::family::ErrorDialog> ScriptedUiServices::createErrorDialog()
{
    if (!errorDialogInstalled)
        return nullptr;
    return std::make_unique<RecordingErrorDialog>(*this);
}

std::unique_ptr<platform::family::SplashWindow> ScriptedUiServices::createSplashWindow()
{
    if (!splashInstalled)
        return nullptr;
    return std::make_unique<CountingSplash>(*this);
}

} // namespace testsupport
