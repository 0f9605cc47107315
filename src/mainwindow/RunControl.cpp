#include "RunControl.h"

#include <QScopedValueRollback>

#include "QueueViews.h"
#include "RunStatus.h"
#include "RunWindow.h"
#include "core/Clock.h"
#include "core/MsgBox.h"
#include "core/UiServices.h"
#include "core/mErrorHandling.h"
#include "core/mOther.h"
#include "core/widgets/DProgressBar.h"
#include "engine/Fetchling.h"
#include "run/Services.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

namespace {

constexpr char16_t kModule[] = u"frmDiadocUnloadDocs";

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

RunControl::RunControl(RunWindow& window, const run::Services& services, run::RunObserver* listener,
                       std::function<bool(const QString&)> openFile)
    : m_window(window)
    , m_services(services)
    , m_listener(listener)
    , m_openFile(std::move(openFile))
    , m_start(services, *this)
    , m_progress(window.progressBar(), services.clock, services.ui)
{
}

int RunControl::lastRunUnloadedCount() const
{
    return m_start.run().engine() != nullptr ? m_start.run().lastOutcome().unloaded : -1;
}

void RunControl::releaseRun()
{
    m_start.run().release();
}

void RunControl::theButtonExecute_Click()
{
    // While a run or its protocols go on, a click comes from inside the run's own events (the
    // window lets its messages through there): it only asks whether to stop.
    const int mode = m_window.busyMode();
    if (mode == 2)
        askToStopRun();
    else if (mode == 3)
        askToStopProtocols();
    else if (!isWorking())
        startRun();
}

void RunControl::askToStopRun()
{
    m_window.setExecuteEnabled(false);
    using namespace core::msgbox;
    const int answer =
        core::mOther::iMsgBox(m_services.ui, u"Вы действительно хотите прервать выгрузку документов из Диадок?"_s,
                              vbYesNo | vbQuestion | vbDefaultButton2);
    // The button stays disabled after Yes until the busy mode changes.
    if (answer == vbYes)
        m_start.run().requestStop();
    else
        m_window.setExecuteEnabled(true);
}

void RunControl::askToStopProtocols()
{
    m_window.setExecuteEnabled(false);
    using namespace core::msgbox;
    const int answer = core::mOther::iMsgBox(
        m_services.ui, u"Вы действительно хотите прервать формирование протокола выгрузки документов из Диадок?"_s,
        vbYesNo | vbQuestion | vbDefaultButton2);
    if (answer == vbYes)
        m_start.run().requestProtocolStop();
    else
        m_window.setExecuteEnabled(true);
}

void RunControl::startRun()
{
    const QScopedValueRollback<bool> starting(m_starting, true);
    core::UiServices& ui = m_services.ui;
    m_exitCode = run::StartSequence::kExitRefused;
    if (m_start.refusesNewRuns()) {
        m_window.showNextStart(m_start.refuse().nextFrom);
        return;
    }
    const core::MousePointer pointer = ui.mousePointer();
    try {
        m_window.SaveParameters();
        m_window.SetBusyMode(2);
        m_window.selectQueueTabs(u"ExecutingList"_s, u"UnloadingList"_s);
        ui.setMousePointer(core::MousePointer::Hourglass);
        const run::StartSequence::Result result = m_start.start(m_window.runChoices(), m_window.signedIn());
        m_exitCode = result.exitCode;
        ui.setMousePointer(pointer);
        m_window.SetBusyMode(0);
        m_window.showNextStart(result.nextFrom);
    } catch (...) {
        // Shown with its trail; the end date is not stored.
        m_exitCode = run::StartSequence::kExitRefused;
        core::ReportError(ui, kModule, u"theButtonExecute_Click");
        ui.setMousePointer(pointer);
        guarded(ui, u"theButtonExecute_Click", [this] { m_window.SetBusyMode(0); });
    }
}

void RunControl::UpdateStatusBar1()
{
    const QTime start = m_start.run().startedAt().time();
    m_window.showStatusText(1, RunStatus::timeSpan(start, m_services.clock.currentDateTime().time()));
    m_services.ui.processEvents();
}

void RunControl::runBegins(const QDateTime&)
{
    m_window.resetCounters();
}

void RunControl::unloadFolderChecked(const QString& folder)
{
    m_window.showUnloadFolder(folder);
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
        m_window.showTabCaptions(RunStatus::taskTabs(counts), {});
        m_window.showTaskCounts(counts.empty, counts.documents);
        UpdateStatusBar1();
    });
}

void RunControl::docsChanged(const run::DocCounts& counts)
{
    guarded(m_services.ui, u"fFetchling_OnChangedDocs", [this, &counts] {
        m_window.showTabCaptions({}, RunStatus::docTabs(counts));
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
        m_window.showStatusText(4, RunStatus::folderRemovals(count));
        UpdateStatusBar1();
    });
}

void RunControl::failuresCounted(int listFailures, int downloadFailures)
{
    guarded(m_services.ui, u"fAsyncTasks_OnAddedInSecondaryQueue",
            [this, listFailures, downloadFailures] { m_window.showFailureCounts(listFailures, downloadFailures); });
}

void RunControl::maxDocsInOneListChanged(int count)
{
    guarded(m_services.ui, u"fFetchling_OnExecutedTask",
            [this, count] { m_window.UpdateMaxDocsCountInOneList(count); });
}

void RunControl::protocolsStarting()
{
    if (!m_start.run().stopRequested())
        m_window.selectQueueTabs(u"ExecutedList"_s, u"UnloadedList"_s);
    UpdateStatusBar1();
    m_window.SetBusyMode(3);
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
    m_window.progressBar().hide();
}

void RunControl::runEnded(const run::RunOutcome& outcome)
{
    if (m_listener != nullptr)
        m_listener->runEnded(outcome);
}

bool RunControl::openProtocol(const QString& file)
{
    // Handed to the desktop, which opens it in its own time: nothing here waits for it.
    return m_openFile && m_openFile(file);
}

} // namespace mainwindow
