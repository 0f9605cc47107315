#include "frmDiadocAutorization.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "SignInControls.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/VbText.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "platform/diadoc/DiadocCertificate.h"

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmDiadocAutorization";

// The older forms name a certificate by its name and the year and day its validity ends.
QString nodeText(const std::shared_ptr<platform::diadoc::DiadocCertificate>& certificate)
{
    const QDateTime end = certificate->EndDate();
    return certificate->Name() + u' ' + end.toString(u"yyyy"_s) + u" (действителен до "_s
           + end.toString(u"dd.MM.yyyy"_s) + u')';
}

} // namespace

frmDiadocAutorization::frmDiadocAutorization(Variant variant, core::UiServices& ui, core::mFetchlingOptions& options,
                                             const diadoc::mDiadoc& diadoc, const core::Clock& clock, QWidget* parent)
    : QDialog(parent)
    , m_variant(variant)
    , m_ui(ui)
    , m_options(options)
    , m_diadoc(diadoc)
    , m_clock(clock)
{
    switch (variant) {
    case Variant::frmDiadocAutorization:
        setObjectName(u"frmDiadocAutorization"_s);
        break;
    case Variant::frmDiadocAutorization1:
        setObjectName(u"frmDiadocAutorization1"_s);
        break;
    case Variant::frmDiadocAutorization3:
        setObjectName(u"frmDiadocAutorization3"_s);
        break;
    }
    buildControls();
}

frmDiadocAutorization::~frmDiadocAutorization() = default;

void frmDiadocAutorization::buildControls()
{
    auto* theTitle = new QLabel(u"Авторизация в Диадок"_s, this);
    theTitle->setObjectName(u"theTitle"_s);
    QFont titleFont = theTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSize(12);
    theTitle->setFont(titleFont);
    theTitle->setAlignment(Qt::AlignCenter);

    theTabs = new QTabWidget(this);
    theTabs->setObjectName(u"theTabs"_s);
    auto* panel = new QWidget;
    panel->setObjectName(u"thePanelAutorization"_s);
    theTabs->addTab(panel, u"Авторизация"_s);

    theButtomAutorization = new QPushButton(u"Авторизоваться"_s, this);
    theButtomAutorization->setObjectName(u"theButtomAutorization"_s);
    theCancel = new QPushButton(u"Отмена"_s, this);
    theCancel->setObjectName(u"theCancel"_s);
    for (QPushButton* button : {theButtomAutorization, theCancel})
        button->setAutoDefault(false);

    m_controls = std::make_unique<SignInControls>(panel, theButtomAutorization);
    SignInControls& c = *m_controls;
    theKeyDiadocAPI = new QLineEdit;
    theKeyDiadocAPI->setObjectName(u"theKeyDiadocAPI"_s);

    auto* grid = new QGridLayout(panel);
    grid->addWidget(c.theOptionLoginPassword, 0, 0);
    grid->addWidget(c.theLabelPassword, 0, 1);
    grid->addWidget(c.theLogin, 1, 0);
    grid->addWidget(c.thePassword, 1, 1);
    grid->addWidget(c.theOptionCertificate, 2, 0, 1, 2);
    grid->addWidget(c.theTreeViewCertificates, 3, 0, 1, 2);
    grid->addWidget(c.theAutomaticAutorization, 4, 0, 1, 2);
    if (m_variant == Variant::frmDiadocAutorization) {
        auto* keyPanel = new QWidget;
        keyPanel->setObjectName(u"thePanelKeyDiadocAPI"_s);
        auto* keyLayout = new QVBoxLayout(keyPanel);
        auto* keyLabel = new QLabel(u"Ключ для использования Диадок API"_s);
        keyLabel->setObjectName(u"theLabelKeyDiadocAPI"_s);
        keyLayout->addWidget(keyLabel);
        keyLayout->addWidget(theKeyDiadocAPI);
        keyLayout->addWidget(c.theLabelDiadocServerURL);
        keyLayout->addWidget(c.theDiadocServerURL);
        keyLayout->addStretch();
        theTabs->addTab(keyPanel, u"Ключ к Диадок API"_s);
    } else {
        // The key box is there but the user never sees it.
        theKeyDiadocAPI->setParent(panel);
        theKeyDiadocAPI->hide();
        grid->addWidget(c.theLabelDiadocServerURL, 5, 0, 1, 2);
        grid->addWidget(c.theDiadocServerURL, 6, 0, 1, 2);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(theButtomAutorization);
    buttons->addWidget(theCancel);
    buttons->addStretch();
    auto* window = new QVBoxLayout(this);
    window->addWidget(theTitle);
    window->addWidget(theTabs, 1);
    window->addLayout(buttons);
    resize(660, 420);

    connect(theButtomAutorization, &QPushButton::clicked, this, [this] {
        fResult = true;
        done(QDialog::Accepted);
    });
    connect(theCancel, &QPushButton::clicked, this, [this] {
        fResult = false;
        done(QDialog::Rejected);
    });
}

bool frmDiadocAutorization::Execute()
{
    try {
        fResult = false;
        setWindowTitle(QString::fromUtf16(core::kApplicationTitle) + u" Авторизация"_s);
        m_controls->FillTreeView(m_diadoc, m_clock.currentDateTime(), &nodeText);
        RestorePersistent();
    } catch (...) {
        failed(u"Execute");
        return false;
    }
    exec();
    try {
        StorePersistent();
    } catch (...) {
        failed(u"Execute");
        return false;
    }
    return fResult;
}

void frmDiadocAutorization::failed(const char16_t* procedure)
{
    if (m_variant != Variant::frmDiadocAutorization)
        core::ReportError(m_ui, kModule, procedure);
    fResult = false;
    hide();
}

void frmDiadocAutorization::RestorePersistent()
{
    try {
        theKeyDiadocAPI->setText(m_options.Get_KeyDiadocAPI());
        m_controls->RestorePersistent(m_options);
    } catch (...) {
        core::PropagateError(kModule, u"RestorePersistent");
    }
}

void frmDiadocAutorization::StorePersistent()
{
    if (!fResult)
        return;
    try {
        m_options.Set_KeyDiadocAPI(core::Trim(theKeyDiadocAPI->text()));
        m_controls->StorePersistent(m_options);
    } catch (...) {
        core::PropagateError(kModule, u"StorePersistent");
    }
}

void frmDiadocAutorization::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace dialogs
