#pragma once

#include <QString>

#include "diadoc/AsyncContentsListener.h"
#include "diadoc/AsyncTasksListener.h"
#include "engine/FetchlingListener.h"
#include "run/DiskSpace.h"

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace run {

class RunObserver;

// The run's watch over its queues: it counts the failed attempts, pauses before a retry, stops
// the run on a failure after which it cannot go on (with its message), and hands the stop to the
// engine through every cancel flag. One watch serves one engine and must outlive it.
class FailureWatch final : public engine::FetchlingListener,
                           public diadoc::AsyncTasksListener,
                           public diadoc::AsyncContentsListener
{
public:
    // The free bytes below which a write error or "Disk full" is taken for a full disk.
    static constexpr double kLowDiskBytes = 50000000.0;
    // The slice of the pause before a retry after which a stop is looked for.
    static constexpr int kPauseSliceMs = 100;

    FailureWatch(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                 RunObserver& observer, DiskSpaceProbe probe);

    // The person's stop: no reason.
    void requestStop() { m_stop = true; }
    // A stop with its reason and no message, when the message itself cannot be shown.
    void requestStop(const QString& reason)
    {
        m_stopReason = reason;
        m_stop = true;
    }
    // An allocation failed inside the run, outside the handlers of the queues: the run stops as
    // it does when a queue reports "bad allocation", with the message of the list requests or,
    // once the downloads were fed, of the downloads.
    void memoryStop(bool duringDownloads);
    bool stopRequested() const { return m_stop; }
    // The text of the last failure that stopped the run; empty for the person's stop.
    const QString& stopReason() const { return m_stopReason; }
    int listFailures() const { return m_listFailures; }
    int downloadFailures() const { return m_downloadFailures; }
    int badUnloadCount() const { return m_badUnloadCount; }
    // -1 before the first list.
    int maxDocsInOneList() const { return m_maxDocsInOneList; }

    void OnChangedTasks(diadoc::AsyncTasks&, bool& rCancel) override { rCancel = m_stop; }
    void OnChangedDocs(diadoc::AsyncContents&, bool& rCancel) override { rCancel = m_stop; }
    void OnWait(bool& rCancel) override { rCancel = m_stop; }
    // The engine's count of folders moved aside is watched; the queue's own event of the same name
    // keeps the listener's default.
    using diadoc::AsyncContentsListener::OnBadUnloadDoc;
    void OnBadUnloadDoc(int& count, bool& rCancel) override;
    void OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& rec) override;
    void OnAddedInSecondaryQueue(const AsyncTasksListener::Record& rec, int position) override;
    void OnAddedInSecondaryQueue(const AsyncContentsListener::Record& rec) override;
    void OnAddedInПустыеЗапросы(const AsyncContentsListener::Record& rec) override;

    // The message for a failed list request, empty when the run goes on.
    static QString listFailureMessage(const QString& error);
    // The message for a failed download, empty when the run goes on; the probe is asked only for
    // a write error.
    static QString downloadFailureMessage(const QString& error, const QString& path, const DiskSpaceProbe& probe);
    // The message for a document stored among the ignored, empty when the run goes on.
    static QString ignoredMessage(const QString& error, const QString& path, const DiskSpaceProbe& probe);
    static QString diskFullReason();

private:
    // The delay before a failed request or download is tried again (TimeOut is in hundredths).
    void pause();
    // Stops the run with its reason, then shows the message.
    void fatal(const QString& message, const QString& reason);

    const core::mFetchlingOptions& m_options;
    core::Clock& m_clock;
    core::UiServices& m_ui;
    RunObserver& m_observer;
    DiskSpaceProbe m_probe;
    bool m_stop = false;
    QString m_stopReason;
    int m_listFailures = 0;
    int m_downloadFailures = 0;
    int m_badUnloadCount = 0;
    int m_maxDocsInOneList = -1;
};

} // namespace run
