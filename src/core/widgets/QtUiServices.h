#pragma once

#include <functional>
#include <utility>

#include "core/UiServices.h"

class QWidget;

namespace core {

// UiServices on Qt's widgets. Unattended, no box is shown: its title and text go to standard
// error and to the sink that the run sets (the run log), and the default answer is taken.
class QtUiServices final : public UiServices
{
public:
    explicit QtUiServices(bool unattended, QWidget* parent = nullptr);
    ~QtUiServices() override;

    void setParentWindow(QWidget* parent) { m_parent = parent; }
    void setUnattendedSink(std::function<void(const QString&)> sink) { m_sink = std::move(sink); }

    bool isUnattended() const override { return m_unattended; }
    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString browseForFolder(const QString& title, const QString& startFolder) override;
    MousePointer mousePointer() const override { return m_pointer; }
    void setMousePointer(MousePointer pointer) override;
    void processEvents() override;
    std::unique_ptr<platform::family::ErrorDialog> createErrorDialog() override;
    std::unique_ptr<platform::family::SplashWindow> createSplashWindow() override;

private:
    void writeUnattended(const QString& title, const QString& text, const QString& answer) const;

    bool m_unattended = false;
    QWidget* m_parent = nullptr;
    MousePointer m_pointer = MousePointer::Default;
    std::function<void(const QString&)> m_sink;
};

} // namespace core
