#include "frmDiadocAutorization2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "SignInControls.h"
#include "SignInLayout.h"
#include "TwipsLayout.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mN7CommonCalc.h"
#include "core/mOther.h"
#include "diadoc/mDiadoc.h"
#include "platform/family/GlobalUtility.h"

using namespace Qt::StringLiterals;
namespace layout = dialogs::signin_layout;

namespace dialogs {

namespace {

constexpr char16_t kModule[] = u"frmDiadocAutorization";

// The picture of the show-password button: an open eye.
QIcon eyeIcon()
{
    QPixmap pixmap(24, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawEllipse(QRectF(1.5, 2.5, 21, 11));
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(8.5, 4.5, 7, 7));
    return QIcon(pixmap);
}

QString placementKey()
{
    return QString::fromUtf16(core::mFetchlingOptions::kSignInKey);
}

} // namespace

frmDiadocAutorization2::frmDiadocAutorization2(core::UiServices& ui, core::mFetchlingOptions& options,
                                               const diadoc::mDiadoc& diadoc, const core::Clock& clock, QWidget* parent)
    : QDialog(parent)
    , m_ui(ui)
    , m_options(options)
    , m_diadoc(diadoc)
    , m_clock(clock)
{
    setObjectName(u"frmDiadocAutorization2"_s);
    buildControls();
}

frmDiadocAutorization2::~frmDiadocAutorization2() = default;

void frmDiadocAutorization2::buildControls()
{
    const layout::WindowPlaces window;
    const layout::PanelPlaces panel;

    theTitle = new QLabel(u"Авторизация в Диадок"_s, this);
    theTitle->setObjectName(u"theTitle"_s);
    QFont titleFont = theTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSize(12);
    theTitle->setFont(titleFont);
    theTitle->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    theTabs = new QTabWidget(this);
    theTabs->setObjectName(u"theTabs"_s);
    thePanelAutorization = new QWidget;
    thePanelAutorization->setObjectName(u"thePanelAutorization"_s);
    theTabs->addTab(thePanelAutorization, u"Авторизация"_s);

    theButtomAutorization = new QPushButton(u"Авторизоваться"_s, this);
    theButtomAutorization->setObjectName(u"theButtomAutorization"_s);
    theSave = new QPushButton(u"Сохранить"_s, this);
    theSave->setObjectName(u"theSave"_s);
    theCancel = new QPushButton(u"Выход"_s, this);
    theCancel->setObjectName(u"theCancel"_s);
    // Neither Enter nor Escape has a meaning for the whole dialog.
    for (QPushButton* button : {theButtomAutorization, theSave, theCancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_controls = std::make_unique<SignInControls>(thePanelAutorization, theButtomAutorization);
    SignInControls& c = *m_controls;
    theViewPassword = new QToolButton(thePanelAutorization);
    theViewPassword->setObjectName(u"theViewPassword"_s);
    theViewPassword->setCheckable(true);
    theViewPassword->setFocusPolicy(Qt::StrongFocus);
    theViewPassword->setToolTip(u"Посмотреть пароль"_s);
    theViewPassword->setIcon(eyeIcon());
    theViewPassword->installEventFilter(this);

    auto* windowLayout =
        new TwipsLayout(this, QSize(layout::kDesignInnerWidth, layout::kDesignInnerHeight)); // owned by the dialog
    windowLayout->add(theTitle, window.title);
    windowLayout->add(theTabs, window.tabs);
    windowLayout->add(theButtomAutorization, window.buttomAutorization);
    windowLayout->add(theSave, window.save);
    windowLayout->add(theCancel, window.cancel);
    windowLayout->setRules([](int innerWidth, int innerHeight, QList<TwipsRect>& places) {
        layout::WindowPlaces p{places[0], places[1], places[2], places[3], places[4]};
        layout::layoutWindow(p, innerWidth, innerHeight);
        places = {p.title, p.tabs, p.buttomAutorization, p.save, p.cancel};
    });
    // The least size without the frame, so that it stays the same whatever frame the desktop draws
    // and whenever the frame becomes known.
    windowLayout->setMinimum([] { return layout::innerSize(layout::windowSize({0, 0})); });

    auto* panelLayout = new TwipsLayout(thePanelAutorization);
    panelLayout->add(c.theOptionLoginPassword, panel.optionLoginPassword, true);
    panelLayout->add(c.theLogin, panel.login);
    panelLayout->add(c.theLabelPassword, panel.labelPassword, true);
    panelLayout->add(c.thePassword, panel.password);
    panelLayout->add(theViewPassword, panel.viewPassword);
    panelLayout->add(c.theOptionCertificate, panel.optionCertificate, true);
    panelLayout->add(c.theTreeViewCertificates, panel.treeViewCertificates);
    panelLayout->add(c.theAutomaticAutorization, panel.automaticAutorization, true);
    panelLayout->add(c.theLabelDiadocServerURL, panel.labelDiadocServerURL, true);
    panelLayout->add(c.theDiadocServerURL, panel.diadocServerURL);
    panelLayout->setRules([](int panelWidth, int panelHeight, QList<TwipsRect>& places) {
        layout::PanelPlaces p;
        p.treeViewCertificates = places[6];
        p.automaticAutorization = places[7];
        p.labelDiadocServerURL = places[8];
        p.diadocServerURL = places[9];
        layout::layoutPanel(p, panelWidth, panelHeight);
        places[6] = p.treeViewCertificates;
        places[7] = p.automaticAutorization;
        places[8] = p.labelDiadocServerURL;
        places[9] = p.diadocServerURL;
    });

    setTabOrder(c.theOptionLoginPassword, c.theLogin);
    setTabOrder(c.theLogin, c.thePassword);
    setTabOrder(c.thePassword, theViewPassword);
    setTabOrder(theViewPassword, c.theOptionCertificate);
    setTabOrder(c.theOptionCertificate, c.theTreeViewCertificates);
    setTabOrder(c.theTreeViewCertificates, c.theAutomaticAutorization);
    setTabOrder(c.theAutomaticAutorization, c.theDiadocServerURL);
    setTabOrder(c.theDiadocServerURL, theButtomAutorization);
    setTabOrder(theButtomAutorization, theSave);
    setTabOrder(theSave, theCancel);

    // The shared controls refresh what is enabled first; then the dialog marks itself modified.
    const auto modified = [this] { SetModified(true); };
    connect(c.theLogin, &QLineEdit::textChanged, this, modified);
    connect(c.thePassword, &QLineEdit::textChanged, this, modified);
    connect(c.theDiadocServerURL, &QLineEdit::textChanged, this, modified);
    connect(c.theAutomaticAutorization, &QCheckBox::toggled, this, modified);
    connect(c.theOptionLoginPassword, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SetModified(true);
    });
    connect(c.theOptionCertificate, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SetModified(true);
    });
    connect(theButtomAutorization, &QPushButton::clicked, this, [this] { theButtomAutorization_Click(); });
    connect(theSave, &QPushButton::clicked, this, [this] { theSave_Click(); });
    connect(theCancel, &QPushButton::clicked, this, [this] { theCancel_Click(); });
}

bool frmDiadocAutorization2::Execute()
{
    try {
        fResult = false;
        fBaseCaption = QString::fromUtf16(core::kApplicationTitle) + u" Авторизация"_s;
        Form_Load();
        RestorePersistent();
        SetModified(false);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"Execute");
        return false;
    }
    exec();
    try {
        if (fResult)
            StorePersistent();
    } catch (...) {
        core::ReportError(m_ui, kModule, u"Execute");
        return false;
    }
    return fResult;
}

void frmDiadocAutorization2::Form_Load()
{
    try {
        const platform::family::GlobalUtility& utility = m_options.utility();
        const QString key = placementKey();
        const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
        const QSize screenTwips = screen ? screen->geometry().size() * kTwipsPerPixel : QSize(0, 0);
        const int left =
            utility.RegistryGetLong(key, u"Left"_s, (screenTwips.width() - layout::kDesignWindowWidth) / 2);
        const int top =
            utility.RegistryGetLong(key, u"Top"_s, (screenTwips.height() - layout::kDesignWindowHeight) / 2);
        // The size without the frame, as it is stored: the frame is known only once the desktop
        // has framed the shown window, and differs from one desktop to another.
        const int width = utility.RegistryGetLong(key, u"Width"_s, layout::kDesignInnerWidth);
        const int height = utility.RegistryGetLong(key, u"Height"_s, layout::kDesignInnerHeight);
        int state = utility.RegistryGetLong(key, u"WindowState"_s, 0);
        if (state != 0 && state != 2)
            state = 0;
        move(twipsToPixels(left), twipsToPixels(top));
        resize(twipsToPixels(width), twipsToPixels(height));
        setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    } catch (...) {
        core::PropagateError(kModule, u"Form_Load");
    }
}

void frmDiadocAutorization2::RestorePersistent()
{
    try {
        m_controls->FillTreeView(m_diadoc, m_clock.currentDateTime(), &diadoc::mDiadoc::GetNameCertificate);
        m_controls->RestorePersistent(m_options);
    } catch (...) {
        core::PropagateError(kModule, u"RestorePersistent");
    }
}

void frmDiadocAutorization2::StorePersistent()
{
    try {
        m_controls->StorePersistent(m_options);
        SetModified(false);
    } catch (...) {
        core::PropagateError(kModule, u"StorePersistent");
    }
}

bool frmDiadocAutorization2::SetModified(bool modified)
{
    const bool previous = fModified;
    if (modified != fModified) {
        fModified = modified;
        RefreshFormCaption();
    }
    return previous;
}

void frmDiadocAutorization2::RefreshFormCaption()
{
    setWindowTitle(fModified ? fBaseCaption + u" *"_s : fBaseCaption);
}

int frmDiadocAutorization2::askToSave()
{
    return core::mN7CommonCalc::QuestionMsgBox(m_ui, u"Данные были изменены.\r\n\r\nСохранить изменения?"_s,
                                               fBaseCaption);
}

void frmDiadocAutorization2::theButtomAutorization_Click()
{
    fResult = true;
    done(QDialog::Accepted);
}

void frmDiadocAutorization2::theSave_Click()
{
    try {
        StorePersistent();
        core::mOther::iMsgBox(m_ui, u"Информация сохранена."_s, core::msgbox::vbInformation | core::msgbox::vbOKOnly,
                              windowTitle());
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theSave_Click");
    }
}

void frmDiadocAutorization2::theCancel_Click()
{
    try {
        if (fModified) {
            const int answer = askToSave();
            if (answer == core::msgbox::vbYes)
                StorePersistent();
            else if (answer == core::msgbox::vbCancel)
                return;
        }
        fResult = false;
        done(QDialog::Rejected);
    } catch (...) {
        core::ReportError(m_ui, kModule, u"theCancel_Click");
    }
}

// Buttons and the caller's own disposal never close the dialog, so every close event comes from
// the window's frame.
void frmDiadocAutorization2::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    try {
        if (fModified) {
            const int answer = askToSave();
            if (answer == core::msgbox::vbYes)
                StorePersistent();
            else if (answer == core::msgbox::vbCancel)
                cancel = true;
        }
    } catch (...) {
        core::ReportError(m_ui, kModule, u"Form_QueryUnload");
        cancel = true;
    }
    storePlacement();
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Rejected);
}

void frmDiadocAutorization2::storePlacement()
{
    if (!isVisible())
        return;
    const int state = isMinimized() ? 1 : (isMaximized() ? 2 : 0);
    if (state == 1)
        return;
    platform::family::GlobalUtility& utility = m_options.utility();
    const QString key = placementKey();
    // Each value on its own: one that cannot be written reads as its default next time.
    const auto write = [&](const QString& name, const QVariant& value) {
        try {
            utility.RegistrySetValue(key, name, value);
        } catch (...) {
        }
    };
    write(u"WindowState"_s, QVariant::fromValue<qint16>(static_cast<qint16>(state)));
    if (state != 0)
        return;
    // The place of the frame, as move() takes it, and the size without the frame, as resize() takes
    // it: what is stored is what the next opening applies, so the dialog keeps its size.
    write(u"Left"_s, QVariant(static_cast<float>(pixelsToTwips(x()))));
    write(u"Top"_s, QVariant(static_cast<float>(pixelsToTwips(y()))));
    write(u"Width"_s, QVariant(static_cast<float>(pixelsToTwips(width()))));
    write(u"Height"_s, QVariant(static_cast<float>(pixelsToTwips(height()))));
}

void frmDiadocAutorization2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmDiadocAutorization2::changeEvent(QEvent* event)
{
    // A password shown in clear must not stay so while the user works in another window.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        showPassword(false);
    QDialog::changeEvent(event);
}

bool frmDiadocAutorization2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == theViewPassword)
        return viewPasswordEvent(event);
    return QDialog::eventFilter(watched, event);
}

void frmDiadocAutorization2::showPassword(bool shown)
{
    if (!m_controls || !theViewPassword)
        return;
    m_controls->thePassword->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
    if (!shown) {
        theViewPassword->setChecked(false);
        theViewPassword->setDown(false);
        fViewBySpace = false;
    }
}

// The password is shown while the left button, Space or Enter is held down on the button, and
// masked again on release; losing the focus masks it too.
bool frmDiadocAutorization2::viewPasswordEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return true;
        theViewPassword->setFocus(Qt::MouseFocusReason);
        theViewPassword->setDown(true);
        showPassword(true);
        m_ui.processEvents();
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return true;
        showPassword(false);
        m_ui.processEvents();
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space) {
            showPassword(true);
            m_ui.processEvents();
            fViewBySpace = true;
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            showPassword(true);
            theViewPassword->setChecked(true);
            m_ui.processEvents();
            return true;
        }
        return false;
    }
    case QEvent::KeyRelease: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat())
            return key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            showPassword(false);
            m_ui.processEvents();
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            // The click that releasing Space gives.
            if (fViewBySpace) {
                showPassword(false);
                m_ui.processEvents();
            }
            return true;
        }
        return false;
    }
    case QEvent::FocusOut:
        showPassword(false);
        return false;
    default:
        return false;
    }
}

} // namespace dialogs
