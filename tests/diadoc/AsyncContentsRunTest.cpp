#include <QDirIterator>
#include <QFile>

#include "AsyncContentsTestFixture.h"
#include "diadoc/OperationTimeOut.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultEffect;

namespace contentstest {
namespace {

constexpr int kDocuments = 1000;

// A thousand generated documents downloaded five at a time, with faults of every kind spread over
// them: every document must end unloaded or ignored with a reason, whatever the mode.
class RunTest : public ContentsFixture, public ::testing::WithParamInterface<bool>
{
protected:
    RunTest()
        : ContentsFixture(kDocuments, 3)
    {
    }
};

TEST_P(RunTest, ThousandDocumentsAllEndUnloadedOrIgnoredWithReasons)
{
    const bool zip = GetParam();
    // Every 10th document meets one fault; the kinds rotate.
    const struct
    {
        QString operation;
        FaultEffect effect;
        QString text;
        int firstAttempts;
    } faults[] = {
        {u"SaveContentResult"_s, FaultEffect::Error, u"WIN32[0x00000005]Access is denied."_s, 0},
        {u"SaveContentResult"_s, FaultEffect::Error, u"bad allocation"_s, 2},
        {u"SaveContentResult"_s, FaultEffect::False, {}, 1},
        {u"SaveContentResult"_s, FaultEffect::False, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::NoFiles, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Hostile, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Corrupt, {}, 0},
        {u"SaveContentResult"_s, FaultEffect::Truncated, {}, 0},
        {zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s, FaultEffect::Error,
         u"COM1C[0x80004005]Unspecified error"_s, 1},
        {zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s, FaultEffect::Nothing, {}, 1},
    };
    for (int n = 10, k = 0; n <= kDocuments; n += 10, ++k) {
        const auto& f = faults[k % std::size(faults)];
        fault(n, f.operation, f.effect, f.text, f.firstAttempts);
    }

    auto& q = makeQueue(5);
    int most = 0;
    trace.onChanged = [&](bool&) { most = std::max(most, q.Count(3)); };
    for (int n = 1; n <= kDocuments; ++n)
        add(n, zip);
    // The repeat of a document already taken.
    add(1, zip, out + u"/repeat"_s);
    const auto results = drain();

    EXPECT_LE(most, 5);
    EXPECT_GE(most, 2);
    EXPECT_EQ(q.Count(1) + q.Count(2) + q.Count(3), 0);
    EXPECT_EQ(q.Count(4) + q.Count(5), kDocuments + 1);
    EXPECT_EQ(static_cast<int>(results.size()), q.Count(4));
    EXPECT_GT(q.Count(4), kDocuments * 8 / 10);
    for (const Record& r : q.UnloadedList()) {
        EXPECT_TRUE(r->ErrorDescription.isEmpty()) << r->ErrorDescription.toStdString();
        EXPECT_FALSE(QDir(r->PathForDownload).isEmpty(QDir::Files)) << r->PathForDownload.toStdString();
        EXPECT_FALSE(QFile::exists(r->PathForDownload + u"/content.zip"_s));
    }
    int repeats = 0;
    for (const Record& r : q.IgnoredList()) {
        EXPECT_FALSE(r->ErrorDescription.isEmpty()) << numberOf(r);
        repeats += r->ErrorDescription == QString::fromUtf16(diadoc::AsyncContents::kRepeatReason) ? 1 : 0;
    }
    EXPECT_EQ(repeats, 1);
    EXPECT_EQ(q.FailedCount(), q.Count(5) - repeats) << "every ignored document but the repeat failed for good";

    // Nothing written outside the documents' folders.
    QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        EXPECT_TRUE(path.startsWith(out + u"/doc"_s)) << path.toStdString();
    }
    QDirIterator outside(dir.path(), QDir::Files);
    EXPECT_FALSE(outside.hasNext());
}

// A download that never completes holds its document no longer than the operation time-out: it
// is judged failed with its own text and tried again; after its second time-out it is given up at
// once, failed for good, so that a hung download holds the run about ten minutes, not fifty. The
// others go on.
class TimeOutTest : public ContentsFixture, public ::testing::WithParamInterface<bool>
{
};

TEST_P(TimeOutTest, ADownloadThatNeverCompletesIsGivenUpAtItsSecondTimeOut)
{
    const bool zip = GetParam();
    const QString start = zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s;
    fault(2, start, FaultEffect::Never, {}, 1);
    fault(3, start, FaultEffect::Never);
    auto& q = makeQueue(2);
    QStringList failures;
    trace.onAddedInSecondary = [&](const Record& r) {
        EXPECT_FALSE(r->AsyncResultContentDoc) << "the operation is let go";
        failures.append(QString::number(numberOf(r)) + u' ' + r->ErrorDescription + u" @ "_s + r->ErrorPlace);
    };
    // A queue that still waits after two hours would wait for ever: it is cancelled.
    trace.onWait = [&](bool& cancel) { cancel = clock.nowMs() > 2LL * 3600 * 1000; };
    for (int n = 1; n <= 4; ++n)
        add(n, zip);

    drain();

    EXPECT_FALSE(q.isCancelled());
    EXPECT_EQ(q.Count(4), 3);
    ASSERT_EQ(q.Count(5), 1);
    const Record& lost = q.IgnoredList().Item(1);
    EXPECT_EQ(numberOf(lost), 3);
    EXPECT_EQ(lost->ErrorDescription, QString::fromUtf16(diadoc::kOperationTimeOutText));
    EXPECT_EQ(q.FailedCount(), 1);
    const QString failure =
        QString::fromUtf16(diadoc::kOperationTimeOutText)
        + u" @ AsyncContents.РазобратьРаботающиеЗапросы() - dDoc.AsyncResultContentDoc.IsCompleted"_s;
    EXPECT_EQ(failures, (QStringList{u"2 "_s + failure, u"3 "_s + failure}));
    EXPECT_GE(clock.nowMs(), qint64{diadoc::kTimeOutsBeforeGivingUp} * diadoc::kOperationTimeOutMs);
    EXPECT_LT(clock.nowMs(), qint64{diadoc::kTimeOutsBeforeGivingUp + 1} * diadoc::kOperationTimeOutMs);
}

// Time-outs and other failures of one document: the second time-out gives it up whatever failed
// before, while a document that timed out once and then fails otherwise keeps the attempt cap.
TEST_P(TimeOutTest, OnlyTheSecondTimeOutCutsTheAttemptsShort)
{
    const bool zip = GetParam();
    const QString start = zip ? u"SaveAllContentZipAsync"_s : u"SaveAllContentAsync"_s;
    const QString failed = u"COM1C[0x80004005]Unspecified error"_s;
    const QString timeOut = QString::fromUtf16(diadoc::kOperationTimeOutText);
    struct Case
    {
        const char* name;
        // (effect, failing attempts from the first, 0 for all), the first matching rule counts
        std::vector<std::pair<FaultEffect, int>> rules;
        int attempts;
        QString reason;
    };
    const Case cases[] = {
        {"hangs on every attempt", {{FaultEffect::Never, 0}}, 2, timeOut},
        {"fails three times, then hangs", {{FaultEffect::Error, 3}, {FaultEffect::Never, 0}}, 5, timeOut},
        {"hangs once, then fails",
         {{FaultEffect::Never, 1}, {FaultEffect::Error, 0}},
         diadoc::AsyncContents::kMaxAttempts,
         failed},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++n;
        for (const auto& [effect, firstAttempts] : c.rules)
            fault(n, start, effect, effect == FaultEffect::Error ? failed : QString(), firstAttempts);
        auto& q = makeQueue(1);
        const qint64 since = clock.nowMs();
        trace.onWait = [&](bool& cancel) { cancel = clock.nowMs() - since > 24LL * 3600 * 1000; };
        add(n, zip);

        EXPECT_TRUE(drain().empty());

        EXPECT_FALSE(q.isCancelled());
        ASSERT_EQ(q.Count(5), 1);
        EXPECT_EQ(q.IgnoredList().Item(1)->ErrorDescription, c.reason);
        EXPECT_EQ(q.FailedCount(), 1);
        EXPECT_EQ(q.statistics().starts, c.attempts);
    }
}

INSTANTIATE_TEST_SUITE_P(BothModes, TimeOutTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

INSTANTIATE_TEST_SUITE_P(BothModes, RunTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

} // namespace
} // namespace contentstest
