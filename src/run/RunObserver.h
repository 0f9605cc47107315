#pragma once

#include <memory>

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

// What a run tells the one who started it, besides the boxes that go through UiServices: the
// window shows it in its grids, counters and status bar; the unattended start prints the end.
// Every call comes synchronously from inside the run; none may start another run.
class RunObserver
{
public:
    virtual ~RunObserver() = default;

    // The run's engine and its two queues exist: a window binds its queue views to them here.
    virtual void runStarted(engine::Fetchling& engine) { static_cast<void>(engine); }
    // The engine of the last run and its queues are about to go, before a new run makes its own:
    // a window lets go of them here.
    virtual void runReleasing(engine::Fetchling& engine) { static_cast<void>(engine); }
    // A failed attempt was counted: the run's totals of failed list requests and downloads.
    virtual void failuresCounted(int listFailures, int downloadFailures)
    {
        static_cast<void>(listFailures);
        static_cast<void>(downloadFailures);
    }
    // A failure put a record into a list: a list request or a download into its secondary queue,
    // or a document among the ignored. Called after the failure was counted and paused for, and
    // before it is judged, so that a window shows the list again before any message about it.
    virtual void failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>& rec) { static_cast<void>(rec); }
    virtual void failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>& rec, bool ignored)
    {
        static_cast<void>(rec);
        static_cast<void>(ignored);
    }
    // The largest document count of one list so far.
    virtual void maxDocsInOneListChanged(int count) { static_cast<void>(count); }
    // The queue work is over; the protocols are written next.
    virtual void protocolsStarting() {}
    // The run and its protocols are done; the end text is final.
    virtual void runEnded(const RunOutcome& outcome) { static_cast<void>(outcome); }
    // The person chose to see the saved Excel protocol (never asked in an unattended run).
    virtual void openProtocol(const QString& file) { static_cast<void>(file); }
};

} // namespace run
