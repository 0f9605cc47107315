#pragma once

#include <optional>

#include "ProtocolProgress.h"
#include "run/Run.h"
#include "run/RunObserver.h"

namespace run {
struct Services;
}

namespace mainwindow {

class frmDiadocUnloadDocs;

// The Execute button of the main window and the window's side of a run: it checks the folder and
// the tree, starts the run, asks whether to stop it while it goes on, and shows what the run
// reports in the window's tabs, counters, status bar and progress bar. The run itself is
// run::Run; nothing of it happens here.
class RunControl final : public run::RunObserver
{
public:
    RunControl(frmDiadocUnloadDocs& window, const run::Services& services);
    RunControl(const RunControl&) = delete;
    RunControl& operator=(const RunControl&) = delete;

    // The click of theButtonExecute: a new run when the window is idle, else the stop question.
    void theButtonExecute_Click();

    // How many documents the last run unloaded; -1 before the first.
    int lastRunUnloadedCount() const;
    // Releases the last run's engine and its queues.
    void releaseRun();
    // The exit code of an unattended start: that of the last run, refused when none ran.
    int exitCode() const { return m_exitCode; }
    const run::Run& currentRun() const { return m_run; }

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
    // The run's choices as the window holds them, with the unload folder and the tree checked;
    // nothing, after the refusal was shown, when one of them cannot be used.
    std::optional<run::RunRequest> prepareRunChoices();
    void DoUnloadExecute(const run::RunRequest& request);
    void dateStep();
    void UpdateStatusBar1();

    frmDiadocUnloadDocs& m_window;
    const run::Services& m_services;
    run::Run m_run;
    ProtocolProgress m_progress;
    int m_exitCode;
};

} // namespace mainwindow
