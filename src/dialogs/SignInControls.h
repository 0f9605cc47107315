#pragma once

#include <functional>
#include <memory>

#include <QDateTime>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace core {
class mFetchlingOptions;
}
namespace diadoc {
class mDiadoc;
}
namespace platform::diadoc {
class DiadocCertificate;
}

namespace dialogs {

// The controls of the tab "Авторизация" and the procedures that the sign-in dialog and its older
// variants share: the certificate list, restoring and storing the sign-in settings, and which
// controls are enabled. The controls are children of the panel; the dialog places them.
class SignInControls final
{
public:
    using NodeText = std::function<QString(const std::shared_ptr<platform::diadoc::DiadocCertificate>&)>;

    // The sign-in button belongs to the dialog; RefreshEnabled switches it.
    SignInControls(QWidget* panel, QPushButton* buttomAutorization);
    Q_DISABLE_COPY_MOVE(SignInControls)

    // One node per qualified certificate still valid at now, keyed by thumbprint. A thumbprint
    // listed twice gets one node. When the list cannot be had, the tree stays empty (so that
    // signing in by certificate cannot be chosen) and tells why in its tool tip.
    void FillTreeView(const diadoc::mDiadoc& diadoc, const QDateTime& now, const NodeText& text);
    // Server address, sign-in kind, login, password, ticked certificate and automatic sign-in
    // from the store, the tree already filled.
    void RestorePersistent(const core::mFetchlingOptions& options);
    // The same into the store. The password is kept exactly as typed: its blanks are part of it.
    void StorePersistent(core::mFetchlingOptions& options) const;
    void RefreshEnabled() const;
    // The key of the first ticked node, or the empty text.
    QString checkedThumbprint() const;
    bool anyTicked() const;
    QString nodeKey(const QTreeWidgetItem* item) const;

    QRadioButton* theOptionLoginPassword = nullptr;
    QLineEdit* theLogin = nullptr;
    QLabel* theLabelPassword = nullptr;
    QLineEdit* thePassword = nullptr;
    QRadioButton* theOptionCertificate = nullptr;
    QTreeWidget* theTreeViewCertificates = nullptr;
    QCheckBox* theAutomaticAutorization = nullptr;
    QLabel* theLabelDiadocServerURL = nullptr;
    QLineEdit* theDiadocServerURL = nullptr;

private:
    void nodeCheck(QTreeWidgetItem* item) const;

    QPushButton* m_buttomAutorization = nullptr;
};

// Selects or clears an option button; clearing is allowed even when no other button of its group
// is selected, so that both sign-in kinds can stand unselected.
void setOptionSelected(QRadioButton* option, bool selected);

} // namespace dialogs
