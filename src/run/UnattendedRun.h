#pragma once

#include <functional>
#include <vector>

#include <QStringList>

#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/SignIn.h"
#include "run/StartSequence.h"

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

// One whole unloading without a window, over the stored settings: signs in, then goes through
// the start sequence with the stored choices (the program's /AUTOSTART goes through the window's
// Execute button and the same sequence). Raises core::Error when the run cannot start (the
// message is the error's text). Used where no window is wanted: the benchmark and the tests.
class UnattendedRun final
{
public:
    UnattendedRun(const Services& services, RunObserver& observer, DiskSpaceProbe probe = diskFreeSpace);

    RunOutcome run();

    // The run's engine and what the sign-in found, for a caller that looks closer after run().
    engine::Fetchling& fetchling();
    const engine::PersonsCollection& persons() const { return *m_organisations.persons; }
    const std::vector<OrgNode>& nodes() const { return m_organisations.nodes; }
    engine::SummaryRows summaryRows(const QString& kind) const { return m_start.run().summaryRows(kind); }

private:
    const Services& m_services;
    Organisations m_organisations;
    StartSequence m_start;
};

} // namespace run
