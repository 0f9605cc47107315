#include "SignInControls.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "base/Error.h"
#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "diadoc/mDiadoc.h"
#include "platform/diadoc/DiadocCertificate.h"
#include "platform/diadoc/DiadocList.h"

using namespace Qt::StringLiterals;
using platform::diadoc::DiadocCertificate;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmDiadocAutorization";
constexpr int kKeyRole = Qt::UserRole;

// A value the store cannot read as a Boolean counts as False, as an empty one does.
bool isQualified(const DiadocCertificate& certificate)
{
    try {
        const platform::diadoc::Variant value = certificate.IsQualifiedElectronicSignature();
        return !value.isEmpty() && !value.isNull() && value.toBool();
    } catch (const core::Error&) {
        return false;
    }
}

} // namespace

void setOptionSelected(QRadioButton* option, bool selected)
{
    if (option->isChecked() == selected)
        return;
    if (selected) {
        option->setChecked(true);
        return;
    }
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

SignInControls::SignInControls(QWidget* panel, QPushButton* buttomAutorization)
    : theOptionLoginPassword(new QRadioButton(u"Логин:"_s, panel))
    , theLogin(new QLineEdit(panel))
    , theLabelPassword(new QLabel(u"Пароль:"_s, panel))
    , thePassword(new QLineEdit(panel))
    , theOptionCertificate(new QRadioButton(u"Сертификаты:"_s, panel))
    , theTreeViewCertificates(new QTreeWidget(panel))
    , theAutomaticAutorization(new QCheckBox(u"Запомнить и авторизоваться автоматически"_s, panel))
    , theLabelDiadocServerURL(new QLabel(u"URL сервера Диадок"_s, panel))
    , theDiadocServerURL(new QLineEdit(panel))
    , m_buttomAutorization(buttomAutorization)
{
    theOptionLoginPassword->setObjectName(u"theOptionLoginPassword"_s);
    theOptionLoginPassword->setChecked(true);
    theLogin->setObjectName(u"theLogin"_s);
    theLabelPassword->setObjectName(u"theLabelPassword"_s);
    thePassword->setObjectName(u"thePassword"_s);
    thePassword->setEchoMode(QLineEdit::Password);
    thePassword->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);
    theOptionCertificate->setObjectName(u"theOptionCertificate"_s);
    theTreeViewCertificates->setObjectName(u"theTreeViewCertificates"_s);
    theTreeViewCertificates->setHeaderHidden(true);
    theTreeViewCertificates->setRootIsDecorated(false);
    theTreeViewCertificates->setColumnCount(1);
    theAutomaticAutorization->setObjectName(u"theAutomaticAutorization"_s);
    theAutomaticAutorization->setChecked(true);
    theAutomaticAutorization->setEnabled(false);
    theLabelDiadocServerURL->setObjectName(u"theLabelDiadocServerURL"_s);
    theDiadocServerURL->setObjectName(u"theDiadocServerURL"_s);

    QObject::connect(theLogin, &QLineEdit::textChanged, panel, [this] { RefreshEnabled(); });
    QObject::connect(theOptionLoginPassword, &QRadioButton::toggled, panel, [this](bool on) {
        if (on)
            RefreshEnabled();
    });
    QObject::connect(theOptionCertificate, &QRadioButton::toggled, panel, [this](bool on) {
        if (on)
            RefreshEnabled();
    });
    QObject::connect(theTreeViewCertificates, &QTreeWidget::itemChanged, panel,
                     [this](QTreeWidgetItem* item) { nodeCheck(item); });
}

void SignInControls::FillTreeView(const diadoc::mDiadoc& diadoc, const QDateTime& now, const NodeText& text)
{
    const QSignalBlocker blocker(theTreeViewCertificates);
    theTreeViewCertificates->clear();
    theTreeViewCertificates->setToolTip(QString());
    QString errorText;
    try {
        const auto list = diadoc.GetDiadocPersonalCertificates(errorText);
        if (!list)
            throw core::Error(91, errorText.isEmpty() ? u"Object variable not set"_s : errorText);
        QList<QTreeWidgetItem*> nodes;
        QStringList keys;
        const int count = list->Count();
        for (int i = 0; i < count; ++i) {
            const auto certificate = list->itemAs<DiadocCertificate>(i);
            if (!certificate || certificate->EndDate() < now || !isQualified(*certificate))
                continue;
            const QString key = certificate->Thumbprint();
            if (keys.contains(key))
                continue;
            auto* node = new QTreeWidgetItem(QStringList{text(certificate)});
            node->setData(0, kKeyRole, key);
            node->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            node->setCheckState(0, Qt::Unchecked);
            nodes.append(node);
            keys.append(key);
        }
        theTreeViewCertificates->addTopLevelItems(nodes);
    } catch (...) {
        // Signing in by login must stay possible when the certificate store fails.
        theTreeViewCertificates->clear();
        theTreeViewCertificates->setToolTip(u"Список сертификатов не получен: "_s + core::currentError().description());
    }
}

void SignInControls::RestorePersistent(const core::mFetchlingOptions& options)
{
    try {
        const int kind = options.Get_TypeDiadocAccount();
        theDiadocServerURL->setText(options.Get_DiadocServerURL());
        theOptionLoginPassword->setEnabled(true);
        setOptionSelected(theOptionLoginPassword, kind == 1);
        theLogin->setText(options.Get_Login());
        thePassword->setText(options.GetDefault_Password());
        const QString stored = options.GetDefault_Certificate();
        {
            const QSignalBlocker blocker(theTreeViewCertificates);
            for (int i = 0; i < theTreeViewCertificates->topLevelItemCount(); ++i) {
                QTreeWidgetItem* node = theTreeViewCertificates->topLevelItem(i);
                const QString key = nodeKey(node);
                if (!stored.isEmpty() && !key.isEmpty() && stored.contains(key, Qt::CaseSensitive))
                    node->setCheckState(0, Qt::Checked);
            }
        }
        RefreshEnabled();
        theOptionCertificate->setEnabled(theTreeViewCertificates->topLevelItemCount() > 0);
        setOptionSelected(theOptionCertificate, kind == 2 && theOptionCertificate->isEnabled());
        theAutomaticAutorization->setChecked(options.Get_AutomaticAutorization() >= 1);
        theAutomaticAutorization->setEnabled(true);
    } catch (...) {
        core::PropagateError(kModule, u"RestorePersistent");
    }
}

void SignInControls::StorePersistent(core::mFetchlingOptions& options) const
{
    try {
        options.Set_DiadocServerURL(core::Trim(theDiadocServerURL->text()));
        options.Set_TypeDiadocAccount(theOptionLoginPassword->isChecked() ? 1 : 2);
        options.Set_Login(core::Trim(theLogin->text()));
        options.Set_Password(thePassword->text());
        options.Set_Certificate(checkedThumbprint());
        options.Set_AutomaticAutorization(theAutomaticAutorization->isChecked() ? 1 : 0);
    } catch (...) {
        core::PropagateError(kModule, u"StorePersistent");
    }
}

void SignInControls::RefreshEnabled() const
{
    const bool byLogin = theOptionLoginPassword->isChecked();
    theLogin->setEnabled(byLogin);
    thePassword->setEnabled(byLogin);
    theTreeViewCertificates->setEnabled(theOptionCertificate->isChecked());
    // The login is tested untrimmed: blanks count; the password is never required.
    m_buttomAutorization->setEnabled(byLogin ? !theLogin->text().isEmpty() : anyTicked());
}

QString SignInControls::checkedThumbprint() const
{
    for (int i = 0; i < theTreeViewCertificates->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = theTreeViewCertificates->topLevelItem(i);
        if (node->checkState(0) == Qt::Checked)
            return nodeKey(node);
    }
    return QString();
}

bool SignInControls::anyTicked() const
{
    for (int i = 0; i < theTreeViewCertificates->topLevelItemCount(); ++i) {
        if (theTreeViewCertificates->topLevelItem(i)->checkState(0) == Qt::Checked)
            return true;
    }
    return false;
}

QString SignInControls::nodeKey(const QTreeWidgetItem* item) const
{
    return item->data(0, kKeyRole).toString();
}

void SignInControls::nodeCheck(QTreeWidgetItem* item) const
{
    if (item->checkState(0) == Qt::Checked) {
        const QSignalBlocker blocker(theTreeViewCertificates);
        for (int i = 0; i < theTreeViewCertificates->topLevelItemCount(); ++i) {
            QTreeWidgetItem* other = theTreeViewCertificates->topLevelItem(i);
            if (other != item)
                other->setCheckState(0, Qt::Unchecked);
        }
    }
    RefreshEnabled();
}

} // namespace dialogs
