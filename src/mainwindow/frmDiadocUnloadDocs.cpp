#include "frmDiadocUnloadDocs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

#include "OrganisationTree.h"
#include "Prerequisites.h"
#include "QueueViews.h"
#include "RunControl.h"
#include "SSSplitter.h"
#include "SignInLabel.h"
#include "core/ApplicationTitle.h"
#include "core/AutoStartSwitch.h"
#include "core/Clock.h"
#include "core/DateText.h"
#include "core/FamilySettings.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/VbNumbers.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mFolderSelectDialog.h"
#include "core/mN7Files.h"
#include "core/mRegistryTools.h"
#include "core/mSystem.h"
#include "core/widgets/mN7GraphLight.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadoc.h"
#include "dialogs/frmDiadocAutorization.h"
#include "dialogs/frmDiadocAutorization2.h"
#include "dialogs/frmOptions.h"
#include "platform/family/GlobalUtility.h"
#include "run/NodeKey.h"
#include "run/Services.h"
#include "run/SignIn.h"
#include "run/StartSequence.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";

QString applicationTitle()
{
    return QString::fromUtf16(core::kApplicationTitle);
}

QString pane(const char16_t* name)
{
    return QString::fromUtf16(name);
}

int checkValue(const QCheckBox* box)
{
    return box->isChecked() ? 1 : 0;
}

QString dateText(const QDateEdit* box)
{
    return core::dateText(box->date());
}

// A box counts as ticked when its value is 1; the greyed value does not.
bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

void selectTabByKey(QTabBar* tabs, const QString& key)
{
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabData(i).toString() == key) {
            tabs->setCurrentIndex(i);
            return;
        }
    }
}

// (whole − design) \ 2: the difference made whole, halves to even, then halved toward zero.
int centred(double whole, int design)
{
    return static_cast<int>(core::vbRoundHalfEven(whole - design)) / 2;
}

bool startDetached(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool openWithDesktop(const QString& file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

} // namespace

frmDiadocUnloadDocs::frmDiadocUnloadDocs(MainWindowServices services, QWidget* parent)
    : QMainWindow(parent)
    , m_services(std::move(services))
{
    setObjectName(u"frmDiadocUnloadDocs"_s);
    if (!m_services.startProgram)
        m_services.startProgram = &startDetached;
    if (!m_services.openFile)
        m_services.openFile = &openWithDesktop;
    m_c = MainWindowControls::build(*this);
    m_organisationTree = new OrganisationTree(*m_c.theTreeViewPersons, *m_c.thePopupMenu, ui(), this);
    m_signInLabel =
        new SignInLabel(*m_c.theBoxAuthorization, *m_c.theLabelAuthorization, *m_c.theButtonAuthorization, this);
    if (m_services.runServices != nullptr)
        m_runControl = std::make_unique<RunControl>(static_cast<RunWindow&>(*this), *m_services.runServices,
                                                    m_services.runListener, m_services.openFile);
    m_queueViews =
        std::make_unique<QueueViews>(*m_c.theTabsTasks, *m_c.theGridTasks, *m_c.theTabsDocs, *m_c.theGridDocs, ui(),
                                     m_services.clock, [this] { return fPersons.get(); });
    setWindowTitle(QString::fromUtf16(kDesignCaption));
    resize(kDesignWidth / core::TwipsPerPixelX(), kDesignHeight / core::TwipsPerPixelY());
    connectControls();
    m_c.theTimerStatusBar->start();
}

frmDiadocUnloadDocs::~frmDiadocUnloadDocs() = default;

void frmDiadocUnloadDocs::connectControls()
{
    // Every handler shows its own failure: no error leaves a slot.
    const auto guarded = [this](const char16_t* procedure, auto handler) {
        return [this, procedure, handler] {
            try {
                handler();
            } catch (...) {
                core::ReportError(ui(), kModule, procedure);
            }
        };
    };
    connect(m_c.theButtonOptions, &QPushButton::clicked, this,
            guarded(u"theButtonOptions_Click", [this] { theButtonOptions_Click(); }));
    connect(m_c.theButtonAuthorization, &QPushButton::clicked, this,
            guarded(u"theButtonAuthorization_Click", [this] { DoAuthorizationEx(true); }));
    connect(m_c.theButtonExecute, &QPushButton::clicked, this,
            guarded(u"theButtonExecute_Click", [this] { theButtonExecute_Click(); }));
    connect(m_c.theButtonExit, &QPushButton::clicked, this,
            guarded(u"theButtonExit_Click", [this] { theButtonExit_Click(); }));
    connect(m_c.theButtonSelectFolder, &QPushButton::clicked, this,
            guarded(u"theButtonSelectFolder_Click", [this] { theButtonSelectFolder_Click(); }));
    connect(m_c.theCheckFinished, &QCheckBox::toggled, this,
            guarded(u"theCheckFinished_Click", [this] { theCheckSignatureRejectedRefresh(); }));
    connect(m_c.thePath, &QLineEdit::textChanged, this, guarded(u"thePath_Change", [this] { thePathRefresh(); }));
    const QPushButton* developerButtons[] = {m_c.Command0, m_c.Command1, m_c.Command2, m_c.Command3};
    for (int variant = 0; variant < 4; ++variant) {
        connect(developerButtons[variant], &QPushButton::clicked, this,
                guarded(u"CommandN_Click", [this, variant] { runSignInDialogVariant(variant); }));
    }
    connect(m_c.theStartingTimer, &QTimer::timeout, this,
            guarded(u"theStartingTimer_Timer", [this] { theStartingTimer_Timer(); }));
    connect(m_c.theTimerStatusBar, &QTimer::timeout, this,
            guarded(u"theTimerStatusBar_Timer", [this] { theTimerStatusBar_Timer(); }));
    connect(m_c.theSSSplitter, &SSSplitter::SplitterEndDrag, this, guarded(u"theSSSplitter_SplitterEndDrag", [this] {
                fPaneFiltersWidth = m_c.theSSSplitter->paneWidth(pane(SSSplitter::kPaneFilters));
            }));
}

QString frmDiadocUnloadDocs::statusPanelText(int index) const
{
    return index >= 1 && index <= 4 ? m_c.statusPanels[index - 1]->text() : QString();
}

void frmDiadocUnloadDocs::Form_Load()
{
    // Qt's fonts hold every script, so no control needs its character set switched to Cyrillic.
    try {
        fBaseCaption = applicationTitle() + u" Версия "_s + core::mOther::GetVersion() + u" (+DiadocAPI v. "_s
                       + m_services.diadoc.GetVersionDiadocAPI() + u", Ж7W v. "_s
                       + core::mOther::GetVersionN7W(m_services.versionInfo) + u", "_s
                       + core::mOther::GetExcelVersion(m_services.excelFactory) + u")"_s;
        setWindowTitle(fBaseCaption);

        fAutoStart = core::IsAutoStartCommandLine(m_services.commandLine);
        fPersons = std::make_shared<engine::PersonsCollection>();

        if (m_services.prerequisites.GetDotNet45VersionLong() < Prerequisites::kRequiredFrameworkRelease) {
            m_c.theLabelHeader->setText(u"Для работы программы на компьютере должен быть установлен .NET Framework "
                                        u"версии 4.6.2 или более новый."_s);
            m_c.theBoxMessage->show();
            m_c.theBoxAuthorization->hide();
            m_c.theBoxAuthorization->setEnabled(false);
        } else if (m_services.prerequisites.IsDiadocAPI()) {
            m_c.theBoxMessage->hide();
            m_c.theBoxAuthorization->setEnabled(true);
        } else {
            m_c.theLabelHeader->setText(u"На вашем компьютере не установлена компонента DiadocAPI. Без неё утилита "
                                        u"работать не может."_s);
            m_c.theBoxMessage->show();
            m_c.theBoxAuthorization->hide();
            m_c.theBoxAuthorization->setEnabled(false);
        }

        selectTabByKey(m_c.theTabsTasks, u"ExecutingList"_s);
        selectTabByKey(m_c.theTabsDocs, u"UnloadingList"_s);
        SetBusyMode(0);

        if (m_c.theBoxAuthorization->isEnabled())
            DoAuthorizationEx(false);
        else
            thePathRefresh();

        m_c.theComboBoxTypeDate->clear();
        m_c.theComboBoxTypeDate->addItem(u"Получения или отправки"_s, 0);
        m_c.theComboBoxTypeDate->addItem(u"Документа"_s, 1);
    } catch (...) {
        // A failure before the window's choices are read is shown; the load goes on with them.
        core::ReportError(ui(), kModule, u"Form_Load");
    }

    try {
        m_c.thePath->setText(options().GetDefault_Path());
        m_c.theComboBoxTypeDate->setCurrentIndex(0);
        const run::DateRules::Period period =
            run::DateRules::atStart(options(), m_services.clock.currentDateTime().date());
        m_replacedDates = period.replaced;
        showPeriod(period);

        m_c.theCheckFinished->setChecked(options().Get_Finished() == 1);
        theCheckSignatureRejectedRefresh();
        m_c.theCheckInternal->setChecked(options().Get_Internal() == 1);
        m_c.theCheckNoSended->setChecked(options().Get_NoSended() == 1);
        m_c.theCheckRevoked->setChecked(options().GetDefault_Revoked() == 1);
        m_c.theCheckSignatureRejected->setChecked(options().GetDefault_SignatureRejected() == 1);
        m_c.theCheckProtocol->setChecked(options().GetDefault_Protocol() == 1);
        m_c.theCheckZip->setChecked(options().Get_LoadContentByZip() != 0);
        m_c.theCheckZip->setToolTip(
            u"Скачивать документы в виде множества файлов или zip-архивом с последующей распаковкой"_s);

        setWindowTitle(MeCaption());
        applyPlacement();

        resetCounters();

        if (fAutoStart) {
            m_c.theStartingTimer->setInterval(1000);
            m_c.theStartingTimer->start();
        }
    } catch (...) {
        // The window still opens, centred at its design size; nothing is shown.
        try {
            applyDefaultPlacement();
        } catch (...) {
            // Nothing more can be done for the placement.
        }
    }
}

void frmDiadocUnloadDocs::showPeriod(const run::DateRules::Period& period)
{
    m_c.theDateFrom->setDate(period.from);
    m_c.theDateTo->setDate(period.to);
    m_c.theOldEndDate->setText(period.oldEnd);
    m_c.theOldEndDate->setHidden(period.oldEnd.isEmpty());
}

int frmDiadocUnloadDocs::centredLeft() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen == nullptr ? 0 : screen->geometry().width() * core::TwipsPerPixelX();
    return centred(screenWidth, kDesignWidth);
}

int frmDiadocUnloadDocs::centredTop() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenHeight = screen == nullptr ? 0 : screen->geometry().height() * core::TwipsPerPixelY();
    return centred(screenHeight, kDesignHeight);
}

void frmDiadocUnloadDocs::applyPlacement()
{
    const platform::family::GlobalUtility& utility = options().utility();
    const QString key = QString::fromUtf16(kPlacementKey);
    const int tx = core::TwipsPerPixelX();
    const int ty = core::TwipsPerPixelY();
    move(utility.RegistryGetLong(key, u"Left"_s, centredLeft()) / tx, y());
    move(x(), utility.RegistryGetLong(key, u"Top"_s, centredTop()) / ty);
    resize(utility.RegistryGetLong(key, u"Width"_s, kDesignWidth) / tx, height());
    resize(width(), utility.RegistryGetLong(key, u"Height"_s, kDesignHeight) / ty);
    if (fAutoStart) {
        setWindowState(Qt::WindowMinimized);
    } else {
        const int state = utility.RegistryGetLong(key, u"WindowState"_s, 0);
        setWindowState(state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    }
    fPaneFiltersWidth = utility.RegistryGetLong(key, u"PaneFiltersWidth"_s, int(m_designPaneFiltersWidth));
    m_c.theSSSplitter->setPaneWidth(pane(SSSplitter::kPaneFilters), fPaneFiltersWidth);
    m_c.theSSSplitter->setPaneHeight(pane(SSSplitter::kPaneTasks),
                                     utility.RegistryGetLong(key, u"PaneTasksHeight"_s, kDesignPaneTasksHeight));
}

void frmDiadocUnloadDocs::applyDefaultPlacement()
{
    const int tx = core::TwipsPerPixelX();
    const int ty = core::TwipsPerPixelY();
    move(centredLeft() / tx, centredTop() / ty);
    resize(kDesignWidth / tx, kDesignHeight / ty);
    setWindowState(Qt::WindowNoState);
    m_c.theSSSplitter->setPaneWidth(pane(SSSplitter::kPaneFilters), m_designPaneFiltersWidth);
    m_c.theSSSplitter->setPaneHeight(pane(SSSplitter::kPaneTasks), kDesignPaneTasksHeight);
}

QString frmDiadocUnloadDocs::MeCaption() const
{
    try {
        QString caption = fBaseCaption;
        if (options().Get_CreateLogFile() != 0) {
            caption = u"+Log/ "_s + caption;
            if (options().Get_LoadContentByZip() != 0)
                caption = u"+Zip/"_s + caption;
        }
        return caption;
    } catch (...) {
        core::PropagateError(kModule, u"MeCaption");
    }
}

void frmDiadocUnloadDocs::DoOptions()
{
    try {
        QList<core::DocTypesProvider*> organisations;
        if (fPersons) {
            for (const auto& person : *fPersons)
                organisations.append(person.get());
        }
        dialogs::frmOptions dialog(ui(), options(), this);
        dialog.Execute(organisations);
    } catch (...) {
        core::PropagateError(kModule, u"DoOptions");
    }
}

void frmDiadocUnloadDocs::theButtonOptions_Click()
{
    DoOptions();
    m_c.thePath->setText(options().GetDefault_Path());
    run::DateRules::Period shown;
    shown.from = m_c.theDateFrom->date();
    shown.to = m_c.theDateTo->date();
    shown.replaced = m_replacedDates;
    const run::DateRules::Period period =
        run::DateRules::moved(options(), shown, m_services.clock.currentDateTime().date());
    m_replacedDates = period.replaced;
    showPeriod(period);
    m_c.theCheckZip->setChecked(options().Get_LoadContentByZip() != 0);
    setWindowTitle(MeCaption());
}

void frmDiadocUnloadDocs::DoAuthorizationEx(bool showDialog)
{
    try {
        if (m_services.runServices != nullptr) {
            const run::Services& services = *m_services.runServices;
            const run::SignIn signIn(services.options, services.diadoc, services.ui);
            bool goAhead = false;
            if (showDialog) {
                dialogs::frmDiadocAutorization2 dialog(ui(), options(), diadocAccess(), m_services.clock, this);
                goAhead = dialog.Execute();
            } else {
                goAhead = run::SignIn::signsInAtStart(options(), fAutoStart);
            }
            // Without an account nothing is tried: the last sign-in's organisations and text stay.
            if (goAhead && signIn.hasAccount()) {
                fPersons = std::make_shared<engine::PersonsCollection>();
                m_organisationTree->clear();
                const run::SignIn::Outcome outcome = signIn.signIn();
                fPersons = outcome.organisations.persons;
                m_organisationTree->FillTreeViewPersonsEx(outcome.organisations);
                m_signInLabel->showOutcome(outcome);
                if (!outcome.failed && m_c.theTreeViewPersons->topLevelItemCount() > 0)
                    m_c.theTreeViewPersons->scrollToItem(m_c.theTreeViewPersons->topLevelItem(0));
            }
        }
        m_c.theTreeViewPersons->setEnabled(m_c.theTreeViewPersons->topLevelItemCount() > 0);
        thePathRefresh();
    } catch (...) {
        core::PropagateError(kModule, u"DoAuthorizationEx");
    }
}

void frmDiadocUnloadDocs::theButtonExecute_Click()
{
    // A click let through while the window closes starts nothing.
    if (m_runControl && !m_closing)
        m_runControl->theButtonExecute_Click();
}

void frmDiadocUnloadDocs::runSignInDialogVariant(int variant)
{
    using Variant = dialogs::frmDiadocAutorization::Variant;
    if (variant == 2) {
        dialogs::frmDiadocAutorization2 dialog(ui(), options(), diadocAccess(), m_services.clock, this);
        dialog.Execute();
        return;
    }
    const Variant older = variant == 0   ? Variant::frmDiadocAutorization
                          : variant == 1 ? Variant::frmDiadocAutorization1
                                         : Variant::frmDiadocAutorization3;
    dialogs::frmDiadocAutorization dialog(older, ui(), options(), diadocAccess(), m_services.clock, this);
    dialog.Execute();
}

int frmDiadocUnloadDocs::lastRunUnloadedCount() const
{
    return m_runControl ? m_runControl->lastRunUnloadedCount() : -1;
}

void frmDiadocUnloadDocs::releaseRun()
{
    if (m_runControl)
        m_runControl->releaseRun();
}

int frmDiadocUnloadDocs::autoStartExitCode() const
{
    return m_runControl ? m_runControl->exitCode() : run::StartSequence::kExitRefused;
}

std::vector<run::OrgNode> frmDiadocUnloadDocs::treeNodes() const
{
    return m_organisationTree->nodes();
}

void frmDiadocUnloadDocs::theStartingTimer_Timer()
{
    // Disabled first, so that a tick arriving while the run processes messages does nothing.
    if (m_c.theStartingTimer->isActive())
        m_c.theStartingTimer->stop();
    else
        return;
    if (fAutoStart) {
        theButtonExecute_Click();
        theButtonExit_Click();
    }
}

void frmDiadocUnloadDocs::theTimerStatusBar_Timer()
{
    const core::ProcessMemoryCounters memory = core::mSystem::Get_ProcessMemoryInfo();
    m_c.statusPanels[1]->setText(u"Используется "_s + core::mSystem::MemCStr(double(memory.WorkingSetSize), true)
                                 + u" ОЗУ (пик "_s + core::mSystem::MemCStr(double(memory.PeakWorkingSetSize), true)
                                 + u") "_s);
    ui().processEvents();
}

bool frmDiadocUnloadDocs::isDeveloperMode() const
{
    return options().Get_Login() == QString::fromUtf16(kDeveloperLogin) && options().Get_TypeDiadocAccount() == 1;
}

void frmDiadocUnloadDocs::thePathRefresh()
{
    try {
        SSSplitter& splitter = *m_c.theSSSplitter;
        const QString panePath = pane(SSSplitter::kPanePath);
        const auto setPanePathHeight = [&splitter, &panePath](int twips) {
            splitter.setPaneLockHeight(panePath, false);
            splitter.setPaneHeight(panePath, twips);
            splitter.setPaneLockHeight(panePath, true);
        };
        QPalette palette = m_c.thePath->palette();
        if (isDeveloperMode()) {
            m_c.theButtonSelectFolder->setEnabled(true);
            m_c.theButtonSelectFolder->show();
            palette.setColor(QPalette::Base, m_c.thePanelPath->palette().color(QPalette::Base));
            if (m_c.thePath->text().size() < kLongPathLength) {
                if (!m_c.theLabelVeryLongPath->isHidden()) {
                    m_c.theLabelVeryLongPath->hide();
                    m_c.theImageVeryLongPath->hide();
                    setPanePathHeight(kPanePathHeight);
                }
            } else if (m_c.theLabelVeryLongPath->isHidden()) {
                setPanePathHeight(kPanePathHeightWithWarning);
                m_c.theLabelVeryLongPath->show();
                m_c.theImageVeryLongPath->show();
            }
        } else {
            m_c.theButtonSelectFolder->setEnabled(false);
            m_c.theButtonSelectFolder->hide();
            palette.setColor(QPalette::Base, m_c.thePanelPath->palette().color(QPalette::Button));
            m_c.theLabelVeryLongPath->hide();
            m_c.theImageVeryLongPath->hide();
            setPanePathHeight(kPanePathHeight);
        }
        m_c.thePath->setPalette(palette);
        const bool editable = m_c.theButtonSelectFolder->isEnabled();
        m_c.thePath->setReadOnly(!editable);
        m_c.thePath->setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    } catch (...) {
        core::ReportError(ui(), kModule, u"thePathRefresh");
    }
}

void frmDiadocUnloadDocs::theCheckSignatureRejectedRefresh()
{
    try {
        m_c.theCheckSignatureRejected->setEnabled(checkValue(m_c.theCheckFinished) != 1);
    } catch (...) {
        core::ReportError(ui(), kModule, u"theCheckSignatureRejectedRefresh");
    }
}

void frmDiadocUnloadDocs::theButtonSelectFolder_Click()
{
    QString folder = m_c.thePath->text();
    if (core::RunSHBrowseForFolder(ui(), folder, QString::fromUtf16(core::kSelectFolderTitle),
                                   core::BIF_NEWDIALOGSTYLE))
        m_c.thePath->setText(folder);
}

void frmDiadocUnloadDocs::SetBusyMode(int mode)
{
    try {
        if (mode != 0 && mode != 2 && mode != 3) {
            fBusyMode = mode;
            return;
        }
        const bool idle = mode == 0;
        m_c.theButtonExecute->setText(idle        ? u"Начать выгрузку"_s
                                      : mode == 2 ? u"Остановить выгрузку"_s
                                                  : u"Остановить"_s);
        m_c.theButtonExecute->setEnabled(true);
        m_c.theButtonOptions->setEnabled(idle);
        m_c.theButtonExit->setEnabled(idle);
        m_c.theButtonAuthorization->setEnabled(idle);
        m_c.theButtonSelectFolder->setEnabled(idle && !m_c.theButtonSelectFolder->isHidden());
        m_c.thePath->setEnabled(idle);
        m_c.theDateTo->setEnabled(idle);
        m_c.theDateFrom->setEnabled(idle);
        m_c.theTreeViewPersons->setEnabled(idle);
        fBusyMode = mode;
    } catch (...) {
        core::PropagateError(kModule, u"SetBusyMode");
    }
}

void frmDiadocUnloadDocs::SaveParameters()
{
    try {
        core::mFetchlingOptions& store = options();
        store.Set_Path(m_c.thePath->text());
        store.Set_DateTypeSelect(m_c.theComboBoxTypeDate->currentIndex());
        store.Set_FromDate(dateText(m_c.theDateFrom));
        store.Set_ToDate(dateText(m_c.theDateTo));
        for (QTreeWidgetItemIterator node(m_c.theTreeViewPersons); *node != nullptr; ++node) {
            const QString text = (*node)->data(0, Qt::UserRole).toString();
            const run::NodeKey key = run::NodeKey::parse(text);
            store.Set_OrgChecked(key.isEmpty() ? text : key.storedName(),
                                 (*node)->checkState(0) == Qt::Checked ? 1 : 0);
        }
        store.Set_Finished(checkValue(m_c.theCheckFinished));
        store.Set_Internal(checkValue(m_c.theCheckInternal));
        store.Set_NoSended(checkValue(m_c.theCheckNoSended));
        store.Set_Revoked(checkValue(m_c.theCheckRevoked));
        store.Set_SignatureRejected(checkValue(m_c.theCheckSignatureRejected));
        store.Set_Protocol(checkValue(m_c.theCheckProtocol));
    } catch (...) {
        core::PropagateError(kModule, u"SaveParameters");
    }
}

run::RunRequest frmDiadocUnloadDocs::runChoices() const
{
    const MainWindowControls& c = m_c;
    run::RunRequest request;
    request.unloadFolder = c.thePath->text();
    request.from = c.theDateFrom->date();
    request.to = c.theDateTo->date();
    request.dateType = std::max(0, c.theComboBoxTypeDate->currentIndex());
    request.flags.withProtocol = ticked(c.theCheckProtocol);
    request.flags.withNoSended = ticked(c.theCheckNoSended);
    request.flags.withDeleted = ticked(c.theCheckDeleted);
    request.flags.withRevoked = ticked(c.theCheckRevoked);
    request.flags.withInternal = ticked(c.theCheckInternal);
    request.flags.withSignatureRejected = ticked(c.theCheckSignatureRejected);
    request.flags.onlyFinished = ticked(c.theCheckFinished);
    request.nodes = treeNodes();
    request.programCaption = MeCaption();
    request.notes = m_replacedDates;
    return request;
}

run::Organisations frmDiadocUnloadDocs::signedIn() const
{
    run::Organisations organisations;
    if (fPersons)
        organisations.persons = fPersons;
    organisations.nodes = treeNodes();
    return organisations;
}

void frmDiadocUnloadDocs::showUnloadFolder(const QString& folder)
{
    m_c.thePath->setText(folder);
}

void frmDiadocUnloadDocs::showNextStart(const QDate& from)
{
    if (from.isValid())
        m_c.theDateFrom->setDate(from);
}

void frmDiadocUnloadDocs::setExecuteEnabled(bool enabled)
{
    m_c.theButtonExecute->setEnabled(enabled);
}

void frmDiadocUnloadDocs::selectQueueTabs(const QString& tasksKey, const QString& docsKey)
{
    selectTabByKey(m_c.theTabsTasks, tasksKey);
    selectTabByKey(m_c.theTabsDocs, docsKey);
}

void frmDiadocUnloadDocs::showTabCaptions(const QList<RunStatus::TabCaption>& tasks,
                                          const QList<RunStatus::TabCaption>& docs)
{
    const auto show = [](QTabBar* tabs, const QList<RunStatus::TabCaption>& captions) {
        for (const auto& [key, caption] : captions)
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->tabData(i).toString() == key)
                    tabs->setTabText(i, caption);
    };
    show(m_c.theTabsTasks, tasks);
    show(m_c.theTabsDocs, docs);
}

void frmDiadocUnloadDocs::showTaskCounts(int empty, int documents)
{
    m_c.theEmptyTasks->setText(RunStatus::countText(empty));
    m_c.theDocsCountAll->setText(RunStatus::countText(documents));
}

void frmDiadocUnloadDocs::showFailureCounts(int listFailures, int downloadFailures)
{
    if (listFailures != fTasksFailureCount)
        UpdateTasksFailureCounter(listFailures);
    if (downloadFailures != fDocsFailureCount)
        UpdateDocsFailureCounter(downloadFailures);
}

void frmDiadocUnloadDocs::resetCounters()
{
    fMaxDocsInOneList = -1;
    UpdateTasksFailureCounter(0);
    UpdateDocsFailureCounter(0);
    UpdateMaxDocsCountInOneList(0);
}

void frmDiadocUnloadDocs::showStatusText(int panel, const QString& text)
{
    if (panel >= 1 && panel <= 4)
        m_c.statusPanels[panel - 1]->setText(text);
}

core::DProgressBar& frmDiadocUnloadDocs::progressBar()
{
    return *m_c.theProgressBar;
}

void frmDiadocUnloadDocs::UpdateTasksFailureCounter(int count)
{
    fTasksFailureCount = count;
    m_c.theTasksFailureCounter->setText(QString::number(count));
    ui().processEvents();
}

void frmDiadocUnloadDocs::UpdateDocsFailureCounter(int count)
{
    fDocsFailureCount = count;
    m_c.theDocsFailureCounter->setText(QString::number(count));
    ui().processEvents();
}

void frmDiadocUnloadDocs::UpdateMaxDocsCountInOneList(int count)
{
    if (count <= fMaxDocsInOneList)
        return;
    fMaxDocsInOneList = count;
    m_c.theMaxDocsCountInOneList->setText(QString::number(count));
    ui().processEvents();
}

void frmDiadocUnloadDocs::theButtonExit_Click()
{
    close();
}

void frmDiadocUnloadDocs::showRefusal()
{
    const QString kind = fBusyMode == 2   ? u" выгрузки документов"_s
                         : fBusyMode == 3 ? u" формирования протокола выгрузки"_s
                                          : u"..."_s;
    core::mOther::iMsgBox(ui(), u"Пока идёт процесс"_s + kind + u",\r\nзакрыть окно невозможно."_s,
                          core::msgbox::vbInformation | core::msgbox::vbOKOnly, applicationTitle());
}

void frmDiadocUnloadDocs::closeEvent(QCloseEvent* event)
{
    // The close lets the window's messages through (the viewer question, the wait for the last
    // run's downloads): a close asked meanwhile is this one, not a second.
    if (m_closing) {
        event->ignore();
        return;
    }
    m_closing = true;
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (!cancel)
        Form_Unload(cancel);
    m_closing = false;
    if (cancel)
        event->ignore();
    else
        event->accept();
}

bool frmDiadocUnloadDocs::isBusy() const
{
    // A start in the idle mode (its refusal on screen) or a release counts as busy too.
    return fBusyMode != 0 || (m_runControl && m_runControl->isWorking());
}

void frmDiadocUnloadDocs::Form_QueryUnload(bool& cancel)
{
    try {
        cancel = isBusy();
        if (cancel)
            showRefusal();
    } catch (...) {
        core::ReportError(ui(), kModule, u"Form_QueryUnload");
    }
}

void frmDiadocUnloadDocs::Form_Unload(bool& cancel)
{
    try {
        if (isBusy()) {
            cancel = true;
            showRefusal();
            return;
        }
        SaveParameters();
        offerArchiveViewer();
        fPersons.reset();
        releaseRun();
    } catch (...) {
        core::ReportError(ui(), kModule, u"Form_Unload");
        return;
    }
    try {
        storePlacement();
    } catch (...) {
        // The placement is a convenience: a store that refuses it must not keep the window open.
    }
}

void frmDiadocUnloadDocs::offerArchiveViewer()
{
    if (lastRunUnloadedCount() <= 0 || fAutoStart)
        return;
    const int answer = core::mOther::iMsgBox(
        ui(), u"Открыть Ларимо-9: Файловый архив электронных документов в корневой папке выгрузки?"_s,
        core::msgbox::vbInformation | core::msgbox::vbYesNo, applicationTitle());
    if (answer != core::msgbox::vbYes)
        return;
    core::mRegistryTools tools(m_services.registry);
    const QString root = core::GetProductSetting_String(tools, true, u"General"_s, u"RootPath"_s, QString());
    const QString viewer = core::mN7Files::ConcatFileName(root, QString::fromUtf16(kViewerProgram));
    if (core::mN7Files::IsFileExists(viewer)) {
        // The folder goes to the viewer as one argument, whatever characters it holds.
        const QString archive =
            core::mN7Files::ConcatFileName(options().GetDefault_Path(), QString::fromUtf16(kViewerArchive));
        if (!m_services.startProgram(viewer, {archive}))
            core::mOther::iMsgBox(ui(), u"Не удалось запустить программу "_s + viewer + u"."_s,
                                  core::msgbox::vbExclamation, applicationTitle());
    } else {
        core::mOther::iMsgBox(ui(), u"Файл "_s + viewer + u" не найден."_s, core::msgbox::vbInformation,
                              applicationTitle());
    }
}

int frmDiadocUnloadDocs::windowStateNumber() const
{
    if (isMinimized())
        return 1;
    if (isMaximized())
        return 2;
    return 0;
}

void frmDiadocUnloadDocs::storePlacement()
{
    platform::family::GlobalUtility& utility = options().utility();
    const QString key = QString::fromUtf16(kPlacementKey);
    const int state = windowStateNumber();
    if (isVisible() && (state == 0 || state == 2)) {
        utility.RegistrySetValue(key, u"WindowState"_s, QVariant::fromValue(static_cast<short>(state)));
        if (state == 0) {
            const float tx = float(core::TwipsPerPixelX());
            const float ty = float(core::TwipsPerPixelY());
            utility.RegistrySetValue(key, u"Left"_s, QVariant::fromValue(float(x()) * tx));
            utility.RegistrySetValue(key, u"Top"_s, QVariant::fromValue(float(y()) * ty));
            utility.RegistrySetValue(key, u"Width"_s, QVariant::fromValue(float(width()) * tx));
            utility.RegistrySetValue(key, u"Height"_s, QVariant::fromValue(float(height()) * ty));
        }
    }
    utility.RegistrySetValue(key, u"PaneTasksHeight"_s,
                             QVariant::fromValue(float(m_c.theSSSplitter->paneHeight(pane(SSSplitter::kPaneTasks)))));
    utility.RegistrySetValue(key, u"PaneFiltersWidth"_s,
                             QVariant::fromValue(float(m_c.theSSSplitter->paneWidth(pane(SSSplitter::kPaneFilters)))));
}

void frmDiadocUnloadDocs::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The filter column gets its remembered width back; a change of the window's width goes to the
    // queues alone.
    m_c.theSSSplitter->setPaneWidth(pane(SSSplitter::kPaneFilters), fPaneFiltersWidth);
}

} // namespace mainwindow
