#include <csignal>

#include <gtest/gtest.h>

#include "support/LimitedChild.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using testsupport::ChildOutcome;

const QString kShell = u"/bin/sh"_s;

ChildOutcome shell(const QString& script, const testsupport::ProcessLimits& limits = {},
                   std::chrono::milliseconds deadline = 30s)
{
    return testsupport::runLimited(kShell, {u"-c"_s, script}, QProcessEnvironment::systemEnvironment(), limits,
                                   deadline);
}

// The harness the memory tests stand on: the limits reach the child, a hang ends at the deadline,
// a crash is told from an exit.
TEST(LimitedChild, TheChildRunsUnderTheLimitsAndTheTestDoesNot)
{
    const ChildOutcome outcome =
        shell(u"ulimit -v; ulimit -s"_s, {.addressSpaceBytes = 300000 * 1024, .stackBytes = 16384 * 1024});

    ASSERT_EQ(outcome.end, ChildOutcome::End::Exited) << outcome.describe();
    EXPECT_EQ(outcome.output, u"300000\n16384\n"_s);
    EXPECT_NE(shell(u"ulimit -v"_s).output, u"300000\n"_s);
}

TEST(LimitedChild, AChildStillRunningAtTheDeadlineIsKilledAndCalledHung)
{
    const ChildOutcome outcome = shell(u"echo started; exec sleep 60"_s, {}, 300ms);

    EXPECT_EQ(outcome.end, ChildOutcome::End::Hung);
    EXPECT_LT(outcome.elapsedMs, 30000);
    EXPECT_EQ(outcome.output, u"started\n"_s);
}

TEST(LimitedChild, AChildEndedByASignalIsToldFromOneThatExited)
{
    const ChildOutcome crashed = shell(u"kill -SEGV $$"_s);
    const ChildOutcome exited = shell(u"exit 3"_s);

    EXPECT_EQ(crashed.end, ChildOutcome::End::Signalled);
    EXPECT_EQ(crashed.exitCode, SIGSEGV);
    EXPECT_EQ(exited.end, ChildOutcome::End::Exited);
    EXPECT_EQ(exited.exitCode, 3);
}

} // namespace
