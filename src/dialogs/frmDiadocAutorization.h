#pragma once

#include <memory>

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTabWidget;

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

// The older forms of the sign-in dialog, kept behind the main window's developer buttons. They
// edit the same settings plus the API client key, store them only when the user signs in, and ask
// nothing on leaving.
class frmDiadocAutorization final : public QDialog
{
    Q_OBJECT

public:
    enum class Variant
    {
        // The API key and the server address on a tab of their own; errors end it silently.
        frmDiadocAutorization,
        // The API key hidden, the server address with the sign-in controls; errors are reported.
        frmDiadocAutorization1,
        frmDiadocAutorization3,
    };

    frmDiadocAutorization(Variant variant, core::UiServices& ui, core::mFetchlingOptions& options,
                          const diadoc::mDiadoc& diadoc, const core::Clock& clock, QWidget* parent = nullptr);
    ~frmDiadocAutorization() override;
    Q_DISABLE_COPY_MOVE(frmDiadocAutorization)

    // True when the user left by "Авторизоваться", the settings then stored.
    bool Execute();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void RestorePersistent();
    void StorePersistent();
    void failed(const char16_t* procedure);

    Variant m_variant;
    core::UiServices& m_ui;
    core::mFetchlingOptions& m_options;
    const diadoc::mDiadoc& m_diadoc;
    const core::Clock& m_clock;
    bool fResult = false;

    QTabWidget* theTabs = nullptr;
    QLineEdit* theKeyDiadocAPI = nullptr;
    QPushButton* theButtomAutorization = nullptr;
    QPushButton* theCancel = nullptr;
    std::unique_ptr<SignInControls> m_controls;
};

} // namespace dialogs
