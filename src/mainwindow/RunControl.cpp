#include "RunControl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>

#include "QueueViews.h"
#include "RunStatus.h"
#include "core/ApplicationTitle.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mOther.h"
#include "core/widgets/DProgressBar.h"
#include "engine/Fetchling.h"
#include "frmDiadocUnloadDocs.h"
#include "run/DateRules.h"
#include "run/Services.h"
#include "run/UnattendedRun.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";
const QString kDateFormat = u"dd.MM.yyyy"_s;

QString title()
{
    return QString::fromUtf16(core::kApplicationTitle);
}

// A box counts as ticked when its value is 1; the greyed value does not.
bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

int tabIndex(const QTabBar* tabs, const QString& key)
{
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabData(i).toString() == key)
            return i;
    return -1;
}

void selectTab(QTabBar* tabs, const QString& key)
{
    if (const int index = tabIndex(tabs, key); index >= 0)
        tabs->setCurrentIndex(index);
}

void showCaptions(QTabBar* tabs, const QList<RunStatus::TabCaption>& captions)
{
    for (const auto& [key, caption] : captions)
        if (const int index = tabIndex(tabs, key); index >= 0)
            tabs->setTabText(index, caption);
}

// The run's events are answered by the window: an error in one is shown, and the run goes on.
template <typename Handler> void guarded(core::UiServices& ui, const char16_t* procedure, Handler handler)
{
    try {
        handler();
    } catch (...) {
        core::ReportError(ui, kModule, procedure);
    }
}

} // namespace

RunControl::RunControl(frmDiadocUnloadDocs& window, const run::Services& services)
    : m_window(window)
    , m_services(services)
    , m_run(services, *this)
    , m_progress(*window.m_c.theProgressBar, services.clock, services.ui)
    , m_exitCode(run::UnattendedRun::kExitRefused)
{
}

int RunControl::lastRunUnloadedCount() const
{
    return m_run.engine() != nullptr ? m_run.lastOutcome().unloaded : -1;
}

void RunControl::releaseRun()
{
    m_run.release();
}

void RunControl::theButtonExecute_Click()
{
    // While a run or its protocols go on, a click comes from inside the run's own events (the
    // window lets its messages through there): it only asks whether to stop.
    if (m_window.fBusyMode == 2)
        askToStopRun();
    else if (m_window.fBusyMode == 3)
        askToStopProtocols();
    else
        startRun();
}

void RunControl::askToStopRun()
{
    QPushButton* button = m_window.m_c.theButtonExecute;
    button->setEnabled(false);
    using namespace core::msgbox;
    const int answer =
        core::mOther::iMsgBox(m_services.ui, u"Вы действительно хотите прервать выгрузку документов из Диадок?"_s,
                              vbYesNo | vbQuestion | vbDefaultButton2, title());
    if (answer == vbYes) {
        // The button stays disabled until the busy mode changes.
        m_run.requestStop();
        m_window.fStopRun = true;
        m_window.fStoreLastDateEnd = false;
    } else {
        button->setEnabled(true);
    }
}

void RunControl::askToStopProtocols()
{
    QPushButton* button = m_window.m_c.theButtonExecute;
    button->setEnabled(false);
    using namespace core::msgbox;
    const int answer = core::mOther::iMsgBox(
        m_services.ui, u"Вы действительно хотите прервать формирование протокола выгрузки документов из Диадок?"_s,
        vbYesNo | vbQuestion | vbDefaultButton2, title());
    if (answer == vbYes) {
        m_run.requestProtocolStop();
        m_window.fStopProtocols = true;
        m_window.fStoreLastDateEnd = false;
    } else {
        button->setEnabled(true);
    }
}

void RunControl::startRun()
{
    frmDiadocUnloadDocs& w = m_window;
    core::UiServices& ui = m_services.ui;
    if (m_run.refusesNewRuns()) {
        w.fStoreLastDateEnd = false;
        core::mOther::iMsgBox(ui, m_run.refusalText(), core::msgbox::vbOKOnly | core::msgbox::vbInformation, title());
        m_exitCode = run::UnattendedRun::kExitRefused;
        dateStep();
        return;
    }
    const core::MousePointer pointer = ui.mousePointer();
    try {
        w.SaveParameters();
        w.fStoreLastDateEnd = false;
        w.SetBusyMode(2);
        selectTab(w.m_c.theTabsTasks, u"ExecutingList"_s);
        selectTab(w.m_c.theTabsDocs, u"UnloadingList"_s);
        w.fStopRun = false;
        w.fStopProtocols = false;
        ui.setMousePointer(core::MousePointer::Hourglass);
        m_exitCode = run::UnattendedRun::kExitRefused;
        if (const auto request = prepareRunChoices()) {
            w.fStoreLastDateEnd = true;
            DoUnloadExecute(*request);
            // A run stopped by a failure, or one whose list was given up, keeps the old end date,
            // so that the next run does not skip the part of the period it never received.
            w.fStoreLastDateEnd = w.fStoreLastDateEnd && run::DateRules::keepsEndDate(m_run.lastOutcome());
        }
        ui.setMousePointer(pointer);
        w.SetBusyMode(0);
        dateStep();
    } catch (...) {
        // Shown with its trail; the end date is not stored.
        m_exitCode = run::UnattendedRun::kExitRefused;
        core::ReportError(ui, kModule, u"theButtonExecute_Click");
        ui.setMousePointer(pointer);
        guarded(ui, u"theButtonExecute_Click", [&w] { w.SetBusyMode(0); });
    }
}

std::optional<run::RunRequest> RunControl::prepareRunChoices()
{
    // The checks of the run's choices before it starts; the folder checks that are still to come
    // (system folders, folders better avoided, read-only folders) belong to UnloadFolder::check.
    using namespace core::msgbox;
    frmDiadocUnloadDocs& w = m_window;
    const MainWindowControls& c = w.m_c;
    core::UiServices& ui = m_services.ui;

    const run::UnloadFolder::Check folder = run::UnloadFolder::check(c.thePath->text(), m_services.folders, ui);
    if (!folder.folder.isEmpty())
        c.thePath->setText(folder.folder);
    if (!folder.ok()) {
        if (!folder.refusal.isEmpty())
            core::mOther::iMsgBox(ui, folder.refusal, folder.style, title());
        return std::nullopt;
    }

    run::RunRequest request;
    request.nodes = w.treeNodes();
    if (request.nodes.empty()) {
        core::mOther::iMsgBox(ui, u"Нет ни одной организации (ни одного подразделения)."_s, vbOKOnly | vbInformation,
                              title());
        return std::nullopt;
    }
    if (request.tickedCount() == 0) {
        core::mOther::iMsgBox(ui, u"Не выбрано ни одного подразделения."_s, vbOKOnly | vbInformation, title());
        return std::nullopt;
    }
    request.unloadFolder = folder.folder;
    request.from = c.theDateFrom->date().toString(kDateFormat);
    request.to = c.theDateTo->date().toString(kDateFormat);
    request.dateType = std::max(0, c.theComboBoxTypeDate->currentIndex());
    request.flags.withProtocol = ticked(c.theCheckProtocol);
    request.flags.withNoSended = ticked(c.theCheckNoSended);
    request.flags.withDeleted = ticked(c.theCheckDeleted);
    request.flags.withRevoked = ticked(c.theCheckRevoked);
    request.flags.withInternal = ticked(c.theCheckInternal);
    request.flags.withSignatureRejected = ticked(c.theCheckSignatureRejected);
    request.flags.onlyFinished = ticked(c.theCheckFinished);
    request.programCaption = w.MeCaption();
    return request;
}

void RunControl::DoUnloadExecute(const run::RunRequest& request)
{
    try {
        frmDiadocUnloadDocs& w = m_window;
        w.fMaxDocsInOneList = -1;
        w.UpdateTasksFailureCounter(0);
        w.UpdateDocsFailureCounter(0);
        w.UpdateMaxDocsCountInOneList(0);
        run::Organisations organisations;
        if (w.fPersons)
            organisations.persons = w.fPersons;
        organisations.nodes = request.nodes;
        m_run.execute(request, organisations);
    } catch (...) {
        core::PropagateError(kModule, u"DoUnloadExecute");
    }
}

void RunControl::dateStep()
{
    // Runs in the outer click only: a stop question answered during the run moves no date.
    frmDiadocUnloadDocs& w = m_window;
    core::mFetchlingOptions& options = m_services.options;
    if (w.fStoreLastDateEnd)
        options.Set_LastDateEnd(w.m_c.theDateTo->date().toString(kDateFormat));
    const QString lastDateEnd = options.GetDefault_LastDateEnd();
    if (options.Get_DateBeginMove() != 0 && !lastDateEnd.isEmpty()) {
        const QDate date = QDate::fromString(lastDateEnd.trimmed(), kDateFormat);
        if (date.isValid())
            w.m_c.theDateFrom->setDate(date);
    }
}

void RunControl::UpdateStatusBar1()
{
    frmDiadocUnloadDocs& w = m_window;
    w.fLastStatusTime = m_services.clock.currentDateTime().time();
    w.m_c.statusPanels[0]->setText(RunStatus::timeSpan(w.fStartTime, w.fLastStatusTime));
    m_services.ui.processEvents();
}

void RunControl::runBegins(const QDateTime& start)
{
    m_window.fStartTime = start.time();
}

void RunControl::runStarted(engine::Fetchling& engine)
{
    guarded(m_services.ui, u"DoUnloadExecute", [this, &engine] {
        m_window.queueViews().bind(engine.AsyncTasks(), engine.AsyncDocs());
        m_services.ui.processEvents();
    });
}

void RunControl::releasingEngine(engine::Fetchling&)
{
    m_window.queueViews().unbind();
}

void RunControl::failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>& rec, int position)
{
    m_window.queueViews().fAsyncTasks_OnAddedInSecondaryQueue(rec, position);
}

void RunControl::failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>& rec, bool ignored)
{
    if (ignored)
        m_window.queueViews().fAsyncDocs_OnAddedInПустыеЗапросы(rec);
    else
        m_window.queueViews().fAsyncDocs_OnAddedInSecondaryQueue(rec);
}

void RunControl::tasksChanged(const run::TaskCounts& counts)
{
    guarded(m_services.ui, u"fFetchling_OnChangedTasks", [this, &counts] {
        const MainWindowControls& c = m_window.m_c;
        showCaptions(c.theTabsTasks, RunStatus::taskTabs(counts));
        c.theEmptyTasks->setText(RunStatus::countText(counts.empty));
        c.theDocsCountAll->setText(RunStatus::countText(counts.documents));
        UpdateStatusBar1();
    });
}

void RunControl::docsChanged(const run::DocCounts& counts)
{
    guarded(m_services.ui, u"fFetchling_OnChangedDocs", [this, &counts] {
        showCaptions(m_window.m_c.theTabsDocs, RunStatus::docTabs(counts));
        UpdateStatusBar1();
    });
}

void RunControl::waiting()
{
    guarded(m_services.ui, u"fFetchling_OnWait", [this] { UpdateStatusBar1(); });
}

void RunControl::folderRemovalsCounted(int count)
{
    guarded(m_services.ui, u"fFetchling_OnBadUnloadDoc", [this, count] {
        m_window.fBadUnloadCount = count;
        m_window.m_c.statusPanels[3]->setText(RunStatus::folderRemovals(count));
        UpdateStatusBar1();
    });
}

void RunControl::failuresCounted(int listFailures, int downloadFailures)
{
    guarded(m_services.ui, u"fAsyncTasks_OnAddedInSecondaryQueue", [this, listFailures, downloadFailures] {
        if (listFailures != m_window.fTasksFailureCount)
            m_window.UpdateTasksFailureCounter(listFailures);
        if (downloadFailures != m_window.fDocsFailureCount)
            m_window.UpdateDocsFailureCounter(downloadFailures);
    });
}

void RunControl::maxDocsInOneListChanged(int count)
{
    guarded(m_services.ui, u"fFetchling_OnExecutedTask",
            [this, count] { m_window.UpdateMaxDocsCountInOneList(count); });
}

void RunControl::protocolsStarting()
{
    frmDiadocUnloadDocs& w = m_window;
    if (!m_run.stopRequested()) {
        selectTab(w.m_c.theTabsDocs, u"UnloadedList"_s);
        selectTab(w.m_c.theTabsTasks, u"ExecutedList"_s);
    }
    UpdateStatusBar1();
    w.SetBusyMode(3);
}

void RunControl::protocolBegins(run::ProtocolKind kind)
{
    guarded(m_services.ui, u"fFetchling_OnBeginProtocol", [this, kind] { m_progress.begin(kind); });
}

void RunControl::protocolStep(run::ProtocolKind kind, int stepCount, int numberStep)
{
    guarded(m_services.ui, u"fFetchling_StepChangeProtocol",
            [this, kind, stepCount, numberStep] { m_progress.advance(kind, stepCount, numberStep); });
}

void RunControl::protocolsWritten()
{
    m_window.m_c.theProgressBar->hide();
}

void RunControl::runEnded(const run::RunOutcome& outcome)
{
    m_window.fStopRun = outcome.stopped;
    m_window.fStopReason = outcome.stopReason;
    m_exitCode = run::UnattendedRun::exitCode(outcome);
    if (m_window.m_services.runListener != nullptr)
        m_window.m_services.runListener->runEnded(outcome);
}

bool RunControl::openProtocol(const QString& file)
{
    // Handed to the desktop, which opens it in its own time: nothing here waits for it.
    return m_window.m_services.openFile && m_window.m_services.openFile(file);
}

} // namespace mainwindow
