#pragma once

#include <vector>

#include <QDate>
#include <QString>

#include "run/Run.h"
#include "run/RunRequest.h"

namespace core {
class mFetchlingOptions;
}

namespace run {

class RunObserver;

// The one way a run starts, from the window's Execute button and from /AUTOSTART alike: the
// checks of the unload folder, the tree and the period, each refused with its message; the run;
// the decision whether its end date is kept, the date rules after it and the program's exit
// code. The one who starts it only supplies the choices and shows what comes back.
class StartSequence final
{
public:
    // Exit codes of the program for an unattended start.
    static constexpr int kExitDone = 0;
    // The run could not start: no sign-in, a folder, tree or period refused, no new run after a
    // memory stop.
    static constexpr int kExitRefused = 1;
    // The run was stopped: by a failure after which it cannot go on, an allocation that failed
    // inside it among them.
    static constexpr int kExitStopped = 2;
    // The run went to its end, but some list requests or downloads failed for good.
    static constexpr int kExitIncomplete = 3;
    // The run ended, but a protocol it was to write could not be written.
    static constexpr int kExitProtocolsFailed = 4;

    struct Result
    {
        int exitCode = kExitRefused;
        bool ran = false;
        // The message of a start that was refused (already shown); empty when the run went.
        QString refusal;
        // The start the next run is offered; invalid when the shown start stays as it is.
        QDate nextFrom;
    };

    StartSequence(const Services& services, RunObserver& observer, DiskSpaceProbe probe = diskFreeSpace);

    // After a run stopped by "bad allocation", every start is refused until the program restarts.
    bool refusesNewRuns() const { return m_run.refusesNewRuns(); }
    // Shows why no new run can start and takes the date step without keeping an end date.
    Result refuse();
    // The whole start over the choices: the unload folder, the tree and the period are checked in
    // this order and a refusal is shown through the ui; then the run goes to its end, and the
    // date step keeps its end date only after a run that went to its end with every list.
    // Raises core::Error for a failure of the run itself; the date step is then not taken.
    Result start(const RunRequest& choices, const Organisations& organisations);

    // The choices of a start without a person: the stored unload folder and filters, the period
    // by the date rules of a start on that day, and the nodes of the sign-in.
    static RunRequest storedChoices(const core::mFetchlingOptions& options, const QDate& today,
                                    std::vector<OrgNode> nodes);
    static int exitCode(const RunOutcome& outcome);

    Run& run() { return m_run; }
    const Run& run() const { return m_run; }

private:
    // The refusal of the choices, shown; empty when they pass. The request then holds the
    // normalised folder.
    QString refusalOf(RunRequest& request);
    QDate dateStep(const QDate& endDate, bool keep);

    const Services& m_services;
    RunObserver& m_observer;
    Run m_run;
};

} // namespace run
