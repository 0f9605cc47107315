#pragma once

#include <optional>

#include <QDialog>
#include <QString>
#include <QTimer>

#include "diadoc/AccessTest.h"

class QLabel;
class QPushButton;
class QTextEdit;

namespace core {
class Clock;
class UiServices;
} // namespace core
namespace platform::diadoc {
class DiadocClientFactory;
}

namespace dialogs {

// The window of the access test (diadoc::AccessTest): runs it once when shown and writes every
// line it tells into a coloured log. It reads no setting and stores nothing.
class frmChecks final : public QDialog
{
    Q_OBJECT

public:
    // Log colours in the platform's encoding, 0x00BBGGRR.
    static constexpr quint32 kColorBlack = 0;
    static constexpr quint32 kColorDarkRed = 0xC0;
    static constexpr quint32 kColorGreen = 0x8000;

    frmChecks(core::UiServices& ui, platform::diadoc::DiadocClientFactory& factory, const core::Clock& clock,
              QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmChecks)

    // Shows the window, which runs the test once by itself and stays open until "Закрыть" is
    // pressed. Authorization type 2 signs in by certificate, any other by login and password. An
    // empty INN ends the test after the list of organisations. Always True.
    bool Execute(const QString& aKeyDiadocAPI, const QString& aDiadocServerURL, int aAuthorizationType,
                 const QString& aLogin, const QString& aPassword, const QString& aCertificateThumbprint,
                 const QString& aINN);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void theStartingTimer_Timer();
    void theClose_Click();
    void DoTest();
    // Runs the access test's steps and shows their lines; raises the error of a call that is
    // not guarded.
    void runSteps();
    void LogAdd(const QString& text, bool success, std::optional<quint32> color = std::nullopt, bool bold = false);

    core::UiServices& m_ui;
    platform::diadoc::DiadocClientFactory& m_factory;
    const core::Clock& m_clock;
    diadoc::AccessTest::Arguments m_arguments;
    bool m_running = false;
    bool m_timerEnabled = false;

    QLabel* theCaption = nullptr;
    QTextEdit* theRichTextBox = nullptr;
    QPushButton* theClose = nullptr;
    QTimer theStartingTimer;
};

} // namespace dialogs
