#pragma once

#include <memory>

#include <QDateTime>
#include <QString>

namespace diadoc {
class AsyncDocRecord;
class AsyncTskRecord;
} // namespace diadoc

namespace engine {
class Fetchling;
}

namespace run {

struct RunOutcome;

// The sizes of the list-request queue's lists as one change left them.
struct TaskCounts
{
    int waiting = 0;   // list 1: requests waiting to start
    int retrying = 0;  // list 2: requests waiting to be retried
    int executing = 0; // list 3: requests in flight
    int executed = 0;  // list 4: requests executed with a non-empty list
    int empty = 0;     // requests that ended with an empty list or were dropped
    int documents = 0; // documents listed by the executed requests
};

// The sizes of the download queue's lists as one change left them.
struct DocCounts
{
    int waiting = 0;   // list 1
    int retrying = 0;  // list 2
    int unloading = 0; // list 3
    int unloaded = 0;  // list 4
    int ignored = 0;   // list 5
};

enum class ProtocolKind
{
    Html,
    Excel,
    Csv,
};

// What a run tells the one who started it, besides the boxes that go through UiServices: the
// window shows it in its grids, counters and status bar; the unattended start prints the end.
// Every call comes synchronously from inside the run; none may start another run. A window lets
// its messages through in these calls, so a stop asked meanwhile is handed to the engine by the
// very event that was being answered.
class RunObserver
{
public:
    virtual ~RunObserver() = default;

    // The start normalised the unload folder (whether or not the start goes on): a window shows
    // the folder as it will be used.
    virtual void unloadFolderChecked(const QString& folder) { static_cast<void>(folder); }
    // A new run begins (before its engine exists), at this moment.
    virtual void runBegins(const QDateTime& start) { static_cast<void>(start); }
    // The run's engine and its two queues exist: a window binds its queue views to them here.
    virtual void runStarted(engine::Fetchling& engine) { static_cast<void>(engine); }
    // The engine of the last run is about to go (a new run replaces it, or the run is released):
    // whatever still points to its queues lets go of them here.
    virtual void releasingEngine(engine::Fetchling& engine) { static_cast<void>(engine); }
    // The list-request queue was made or changed.
    virtual void tasksChanged(const TaskCounts& counts) { static_cast<void>(counts); }
    // The download queue was made or changed.
    virtual void docsChanged(const DocCounts& counts) { static_cast<void>(counts); }
    // A queue waits for its operations in flight (one pass of its polling).
    virtual void waiting() {}
    // The folder of a failed download was moved aside; the engine's count of them in this run.
    virtual void folderRemovalsCounted(int count) { static_cast<void>(count); }
    // A failed attempt was counted: the run's totals of failed list requests and downloads.
    virtual void failuresCounted(int listFailures, int downloadFailures)
    {
        static_cast<void>(listFailures);
        static_cast<void>(downloadFailures);
    }
    // A failure put a record into a list: a list request into its secondary queue (at position,
    // counted from 1), a download into its secondary queue, or a document among the ignored.
    // Called after the failure was counted and paused for, and before it is judged, so that a
    // window shows the list again before any message about it.
    virtual void failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>& rec, int position)
    {
        static_cast<void>(rec);
        static_cast<void>(position);
    }
    virtual void failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>& rec, bool ignored)
    {
        static_cast<void>(rec);
        static_cast<void>(ignored);
    }
    // The largest document count of one list so far.
    virtual void maxDocsInOneListChanged(int count) { static_cast<void>(count); }
    // The queue work is over; the protocols are written next.
    virtual void protocolsStarting() {}
    // A protocol begins, has written numberStep of its stepCount rows, is finished.
    virtual void protocolBegins(ProtocolKind kind) { static_cast<void>(kind); }
    virtual void protocolStep(ProtocolKind kind, int stepCount, int numberStep)
    {
        static_cast<void>(kind);
        static_cast<void>(stepCount);
        static_cast<void>(numberStep);
    }
    virtual void protocolEnds(ProtocolKind kind) { static_cast<void>(kind); }
    // Every chosen protocol was written or given up; the end message follows.
    virtual void protocolsWritten() {}
    // The run and its protocols are done; the end text is final.
    virtual void runEnded(const RunOutcome& outcome) { static_cast<void>(outcome); }
    // The person chose to see the saved Excel protocol, and the file is there (never asked in an
    // unattended run). Answers whether a program took the file; the run tells the person if none did.
    virtual bool openProtocol(const QString& file)
    {
        static_cast<void>(file);
        return false;
    }
};

} // namespace run
