#pragma once

#include <functional>
#include <vector>

#include <QStringList>

#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/SignIn.h"

namespace run {

// The observer of an unattended run: when the run has ended it prints the end text and the
// run's counts, line by line.
class PrintingObserver final : public RunObserver
{
public:
    explicit PrintingObserver(std::function<void(const QString&)> print);
    void runEnded(const RunOutcome& outcome) override;

    static QStringList summaryLines(const RunOutcome& outcome);

private:
    std::function<void(const QString&)> m_print;
};

// One whole unloading without a person, as /AUTOSTART does it: signs in with the stored settings,
// checks the unload folder and the ticked nodes, runs over the period that the date rules give and
// writes the protocols; then keeps the end date for the next run when the date rules say so.
// Raises core::Error when the run cannot start (the message is the error's text).
class UnattendedRun final
{
public:
    // Exit codes of the program for an unattended run.
    static constexpr int kExitDone = 0;
    static constexpr int kExitRefused = 1;
    static constexpr int kExitStopped = 2;
    // The run went to its end, but some list requests or downloads failed for good.
    static constexpr int kExitIncomplete = 3;
    // The run ended, but a protocol it was to write could not be written.
    static constexpr int kExitProtocolsFailed = 4;

    UnattendedRun(const Services& services, RunObserver& observer, DiskSpaceProbe probe = diskFreeSpace);

    RunOutcome run();
    static int exitCode(const RunOutcome& outcome);

    // The run's engine and what the sign-in found, for a caller that looks closer after run().
    engine::Fetchling& fetchling();
    const engine::PersonsCollection& persons() const { return *m_organisations.persons; }
    const std::vector<OrgNode>& nodes() const { return m_organisations.nodes; }
    engine::SummaryRows summaryRows(const QString& kind) const { return m_run.summaryRows(kind); }

private:
    const Services& m_services;
    Organisations m_organisations;
    Run m_run;
};

} // namespace run
