#pragma once

#include <memory>

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
} // namespace core
namespace diadoc {
class mDiadoc;
}

namespace dialogs {

class SignInControls;

// The sign-in dialog: server address, sign-in by login and password or by a qualified personal
// certificate, and automatic sign-in at start-up. Created for one use; Execute shows it modally
// and answers whether the user chose to sign in, the settings then being in the store.
class frmDiadocAutorization2 final : public QDialog
{
    Q_OBJECT

public:
    frmDiadocAutorization2(core::UiServices& ui, core::mFetchlingOptions& options, const diadoc::mDiadoc& diadoc,
                           const core::Clock& clock, QWidget* parent = nullptr);
    ~frmDiadocAutorization2() override;
    Q_DISABLE_COPY_MOVE(frmDiadocAutorization2)

    // True when the user pressed "Авторизоваться"; False when the dialog was left otherwise or
    // an error (already shown) prevented it.
    bool Execute();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void RestorePersistent();
    void StorePersistent();
    bool SetModified(bool modified);
    void RefreshFormCaption();
    int askToSave();
    void storePlacement();
    void theButtomAutorization_Click();
    void theSave_Click();
    void theCancel_Click();
    // Shows the password in clear or masks it again.
    void showPassword(bool shown);
    bool viewPasswordEvent(QEvent* event);

    core::UiServices& m_ui;
    core::mFetchlingOptions& m_options;
    const diadoc::mDiadoc& m_diadoc;
    const core::Clock& m_clock;

    bool fResult = false;
    QString fBaseCaption;
    bool fModified = false;
    bool fViewBySpace = false;

    QLabel* theTitle = nullptr;
    QTabWidget* theTabs = nullptr;
    QWidget* thePanelAutorization = nullptr;
    QToolButton* theViewPassword = nullptr;
    QPushButton* theButtomAutorization = nullptr;
    QPushButton* theSave = nullptr;
    QPushButton* theCancel = nullptr;
    std::unique_ptr<SignInControls> m_controls;
};

} // namespace dialogs
