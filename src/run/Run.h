#pragma once

#include <memory>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

#include "engine/ProtocolSource.h"
#include "run/DiskSpace.h"
#include "run/RunRequest.h"
#include "run/Services.h"

namespace engine {
class Fetchling;
}

namespace run {

class FailureWatch;
class RunObserver;

// What a run came to.
struct RunOutcome
{
    QString unloadFolder; // with its closing "/"
    QString from;         // the period, as core::dateText writes it, for printing
    QString to;
    int ticked = 0;           // nodes handed to the engine
    int listRequests = 0;     // executed list requests
    int listed = 0;           // documents in the executed lists
    int unloaded = 0;         // the unloaded list
    int ignored = 0;          // the ignored list, repeats included
    int repeats = 0;          // documents listed twice, ignored as repeats
    int left = 0;             // documents still in a queue (a stopped run)
    int listFailures = 0;     // failed attempts of list requests
    int downloadFailures = 0; // failed attempts of downloads
    int listsFailed = 0;      // list requests failed for good: their documents were never listed
    int downloadsFailed = 0;  // documents among the ignored whose download failed for good
    int folderRemovals = 0;
    bool stopped = false;
    bool protocolsStopped = false; // the person stopped the writing of the protocols
    // The run went to its end and nothing failed for good.
    bool complete() const { return !stopped && listsFailed == 0 && downloadsFailed == 0; }
    QString stopReason; // the failure that stopped the run; empty for the person's stop
    QString endText; // "Выгрузка документов завершена." or "… прервана.", with what failed for good
    QString endMessage;          // the end text with the protocol files
    QStringList protocols;       // full names of the protocol files written, HTML, Excel, CSV
    QStringList failedProtocols; // full names of the chosen protocols that could not be written
};

// One unloading run through the engine, for the window and the unattended start alike: it owns
// the run's engine and its failure watch, hands the ticked nodes over, lets the engine list and
// download, writes the protocols and tells how it ended. The engine and its queues stay after
// the run, so that a window still shows their lists, until the next run replaces them.
class Run final
{
public:
    Run(const Services& services, RunObserver& observer, DiskSpaceProbe probe = diskFreeSpace);
    ~Run();
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;

    // Runs to the end. Raises core::Error while another run goes on or is being released (also
    // from inside the run's own events), after a run that ran out of memory (until the program is
    // restarted), and for every failure of the run itself but one: an allocation that fails
    // anywhere inside the run stops it as a memory failure that a queue reports does, and the run
    // still writes its protocols and tells how it ended.
    RunOutcome execute(const RunRequest& request, const Organisations& organisations);

    bool isBusy() const { return m_busy; }
    // The person's stop: the run ends at the next event of its engine.
    void requestStop();
    bool stopRequested() const;
    // The person's stop of the protocols: the Excel protocol is left out if it has not begun, and
    // every later row of a protocol hands the stop to its writer. Lasts until the next run.
    void requestProtocolStop();
    bool protocolStopRequested() const;
    // The stop reason of the last run; empty after the person's stop or a run to its end.
    QString stopReason() const;
    // True once a run was stopped by "bad allocation": a new one cannot start before a restart.
    bool refusesNewRuns() const { return m_refuseNewRuns; }
    // The message that tells why no new run can start.
    QString refusalText() const;

    // Lets the last run's engine and its queues go (the window closes): first waits, on the
    // clock, for the downloads still in flight (at most diadoc::AsyncContents::kReleaseWaitMs),
    // and stays busy meanwhile, so that nothing started from the messages let through during the
    // wait can start a run. Refused while a run goes on.
    void release();

    // The engine of the last run, nothing before the first.
    engine::Fetchling* engine();
    const engine::Fetchling* engine() const;
    const FailureWatch* watch() const;
    const RunOutcome& lastOutcome() const { return m_outcome; }
    // When the last run began; invalid before the first.
    QDateTime startedAt() const;

    // The summary rows at the head of a protocol, "xls" for the Excel form, anything else for
    // HTML; they tell the choices that the last run took, and zero counts before the first run.
    engine::SummaryRows summaryRows(const QString& kind) const;

    // Times of day as the status bar and the summary write them: hours without a leading zero.
    static QString timeText(const QTime& time);
    // The message for a file that no program of the desktop would open.
    static QString noProgramText(const QString& file);

private:
    struct Session;
    class Relay;

    void runEngine(Session& session);
    // The stop of a run in which an allocation failed outside the queues' own failure handling.
    void memoryStop(Session& session);
    // Waits for the last engine's downloads in flight, then lets it go.
    void replaceSession();
    void collect(Session& session);
    void finish(Session& session);
    void releaseSession();
    void openProtocol(const QString& file);
    QString caption() const;
    // The end text's first line and a line for each kind of failure for good.
    static QString endText(bool stopped, int listsFailed, int downloadsFailed);

    const Services& m_services;
    RunObserver& m_observer;
    DiskSpaceProbe m_probe;
    std::unique_ptr<Session> m_session;
    RunOutcome m_outcome;
    // The engine's count of moved-aside folders as last reported; a new run keeps it until its
    // own engine reports one.
    int m_folderRemovals = 0;
    bool m_busy = false;
    bool m_refuseNewRuns = false;
};

} // namespace run
