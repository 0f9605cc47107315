#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "UnattendedChild.h"
#include "platform/diadoc/SandboxGenerator.h"

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using testsupport::ChildOutcome;

const QString kSample = QStringLiteral(FETCHLING_SAMPLE_SANDBOX);
const QString kMemoryCause = QString::fromUtf16(apptest::kMemoryCause);
// The counts line of the run's summary: the run came to its end and said what it did.
const QString kCounts = u"выгружено: "_s;

struct LimitCase
{
    const char* name;
    int documents;   // 0: the bundled sample
    qint64 ulimitKb; // as `ulimit -v` takes it
    std::chrono::milliseconds deadline;
};

void PrintTo(const LimitCase& limit, std::ostream* out)
{
    *out << limit.name;
}

// A container's or a scheduler's memory limit on the unattended run: whatever the limit, the run
// ends by itself with one of its own exit codes: 0 done, 2 stopped (the memory stop names itself),
// 3 ended with failures. The limits span the range where Qt's painter used to lose a thread it
// could not create and then wait for it for ever.
class MemoryLimitTest : public testing::TestWithParam<LimitCase>
{
};

TEST_P(MemoryLimitTest, TheUnattendedRunEndsWithItsOwnExitCode)
{
    if (!testsupport::addressSpaceLimitsWork())
        GTEST_SKIP() << "a sanitized program cannot start under an address-space limit";
    const LimitCase& limit = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString sandbox = kSample;
    if (limit.documents > 0) {
        sandbox = dir.filePath(u"sandbox"_s);
        platform::diadoc::SandboxGenerator::Settings settings;
        settings.documents = limit.documents;
        platform::diadoc::SandboxGenerator::write(sandbox, settings);
    }
    const apptest::UnattendedChild child(dir.path(), sandbox);
    ASSERT_EQ(child.setupFailure(), "");

    const ChildOutcome outcome = child.run({.addressSpaceBytes = limit.ulimitKb * 1024}, limit.deadline);

    ASSERT_EQ(outcome.end, ChildOutcome::End::Exited) << outcome.describe();
    EXPECT_TRUE(outcome.exitCode == 0 || outcome.exitCode == 2 || outcome.exitCode == 3) << outcome.describe();
    EXPECT_TRUE(outcome.output.contains(kCounts)) << outcome.describe();
    if (outcome.exitCode == 2) {
        EXPECT_TRUE(outcome.output.contains(kMemoryCause)) << outcome.describe();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, MemoryLimitTest,
    testing::Values(LimitCase{"Sample300MB", 0, 300000, 120s}, LimitCase{"Sample350MB", 0, 350000, 120s},
                    LimitCase{"Sample400MB", 0, 400000, 120s}, LimitCase{"Sample450MB", 0, 450000, 120s},
                    LimitCase{"Sample500MB", 0, 500000, 120s}, LimitCase{"Sample550MB", 0, 550000, 120s},
                    LimitCase{"Sample600MB", 0, 600000, 120s}, LimitCase{"Sample700MB", 0, 700000, 120s},
                    // Long enough for the painter's helper threads to retire and be wanted again
                    // mid-run, when the run has used most of the memory.
                    LimitCase{"Documents5000At500MB", 5000, 500000, 240s}),
    [](const testing::TestParamInfo<LimitCase>& caseInfo) { return std::string(caseInfo.param.name); });

// A process that can start no thread at all (every new thread reserves a stack larger than its
// whole address space) cannot paint: the program says so and ends as a run that could not start,
// where it used to wait for ever at its first picture.
TEST(MemoryLimit, WithoutAThreadToPaintWithTheProgramRefusesToStart)
{
    if (!testsupport::addressSpaceLimitsWork())
        GTEST_SKIP() << "a sanitized program cannot start under an address-space limit";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const apptest::UnattendedChild child(dir.path(), kSample);
    ASSERT_EQ(child.setupFailure(), "");

    const ChildOutcome outcome = child.run({.addressSpaceBytes = qint64(1) << 30, .stackBytes = qint64(2) << 30}, 120s);

    ASSERT_EQ(outcome.end, ChildOutcome::End::Exited) << outcome.describe();
    EXPECT_EQ(outcome.exitCode, 1) << outcome.describe();
    EXPECT_TRUE(outcome.output.contains(kMemoryCause)) << outcome.describe();
    EXPECT_FALSE(outcome.output.contains(kCounts)) << outcome.describe();
}

} // namespace
