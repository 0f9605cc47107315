#pragma once

#include <functional>

#include "ProtocolProgress.h"
#include "run/RunObserver.h"
#include "run/StartSequence.h"

namespace run {
struct Services;
}

namespace mainwindow {

class RunWindow;

// The Execute button of the main window and the window's side of a run: it hands the window's
// choices to the start sequence, asks whether to stop the run while it goes on, and shows what
// the run reports in the window's tabs, counters, status bar and progress bar. The start, the run
// and their decisions are run::StartSequence's; nothing of them happens here.
class RunControl final : public run::RunObserver
{
public:
    RunControl(RunWindow& window, const run::Services& services, run::RunObserver* listener,
               std::function<bool(const QString&)> openFile);
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // The click of theButtonExecute: a new run when the window is idle, else the stop question.
    // A click that arrives while a start or a release is under way (from the messages let
    // through meanwhile) does nothing.
    void theButtonExecute_Click();

    // How many documents the last run unloaded; -1 before the first.
    int lastRunUnloadedCount() const;
    // Waits for the last run's downloads in flight, then releases its engine and its queues; the
    // run stays busy meanwhile.
    void releaseRun();
    // A start, a run or a release is under way: the window is not to close.
    bool isWorking() const { return m_starting || m_start.run().isBusy(); }
    // The exit code of an unattended start: that of the last start, refused when none ran.
    int exitCode() const { return m_exitCode; }
    const run::Run& currentRun() const { return m_start.run(); }

    void unloadFolderChecked(const QString& folder) override;
    void runBegins(const QDateTime& start) override;
    void runStarted(engine::Fetchling& engine) override;
    void releasingEngine(engine::Fetchling& engine) override;
    void failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>& rec, int position) override;
    void failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>& rec, bool ignored) override;
    void tasksChanged(const run::TaskCounts& counts) override;
    void docsChanged(const run::DocCounts& counts) override;
    void waiting() override;
    void folderRemovalsCounted(int count) override;
    void failuresCounted(int listFailures, int downloadFailures) override;
    void maxDocsInOneListChanged(int count) override;
    void protocolsStarting() override;
    void protocolBegins(run::ProtocolKind kind) override;
    void protocolStep(run::ProtocolKind kind, int stepCount, int numberStep) override;
    void protocolsWritten() override;
    void runEnded(const run::RunOutcome& outcome) override;
    bool openProtocol(const QString& file) override;

private:
    void askToStopRun();
    void askToStopProtocols();
    void startRun();
    void UpdateStatusBar1();

    RunWindow& m_window;
    const run::Services& m_services;
    run::RunObserver* m_listener;
    std::function<bool(const QString&)> m_openFile;
    run::StartSequence m_start;
    ProtocolProgress m_progress;
    int m_exitCode = run::StartSequence::kExitRefused;
    bool m_starting = false;
};

} // namespace mainwindow
