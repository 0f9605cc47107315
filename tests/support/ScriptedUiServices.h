#pragma once

#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "core/UiServices.h"

namespace testsupport {

// UiServices for tests: every box must have been scripted with its answer beforehand; an
// unexpected box fails the test. What was shown is kept for the assertions.
class ScriptedUiServices final : public core::UiServices
{
public:
    struct Box
    {
        QString prompt;
        int style = 0;
        QString title;
    };
    struct ErrorDialogCall
    {
        QString description;
        QString source;
        int number = 0;
    };

    void expectBox(int answer) { m_answers.push_back(answer); }
    void expectInput(QString answer) { m_inputs.push_back(std::move(answer)); }
    void expectFolder(QString answer) { m_folders.push_back(std::move(answer)); }

    bool unattended = false;
    bool errorDialogInstalled = false;
    bool splashInstalled = true;

    std::vector<Box> boxes;
    std::vector<Box> inputs;
    std::vector<ErrorDialogCall> errorDialogCalls;
    std::vector<core::MousePointer> pointerDuringBoxes;
    int splashCloses = 0;
    int processEventsCalls = 0;
    // Runs each time the messages are let through: a test acts here as a person would meanwhile.
    std::function<void()> onProcessEvents;
    // Runs while a box is shown, before its answer is given: what a person or another program
    // might do while the box waits.
    std::function<void(const Box&)> onBox;

    bool isUnattended() const override { return unattended; }
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    core::MousePointer mousePointer() const override { return m_pointer; }
    void setMousePointer(core::MousePointer pointer) override { m_pointer = pointer; }
    void processEvents() override
    {
        ++processEventsCalls;
        if (onProcessEvents)
            onProcessEvents();
    }
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override;
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override;

    bool allScriptedAnswersUsed() const { return m_answers.empty() && m_inputs.empty() && m_folders.empty(); }

private:
    core::MousePointer m_pointer = core::MousePointer::Default;
    std::deque<int> m_answers;
    std::deque<QString> m_inputs;
    std::deque<QString> m_folders;
};

} // namespace testsupport
