#pragma once

#include <QString>

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
    // A failed attempt was counted: the run's totals of failed list requests and downloads.
    virtual void failuresCounted(int listFailures, int downloadFailures)
    {
        static_cast<void>(listFailures);
        static_cast<void>(downloadFailures);
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
