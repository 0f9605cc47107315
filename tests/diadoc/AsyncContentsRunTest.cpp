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
// is judged failed with its own text, tried again, and given up at the cap; the others go on.
class TimeOutTest : public ContentsFixture, public ::testing::WithParamInterface<bool>
{
};

TEST_P(TimeOutTest, ADownloadThatNeverCompletesIsJudgedFailedAtTheTimeOutAndTriedAgain)
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
    EXPECT_EQ(failures.count(u"2 "_s + failure), 1);
    EXPECT_EQ(failures.count(u"3 "_s + failure), diadoc::AsyncContents::kMaxAttempts - 1);
    EXPECT_EQ(failures.size(), diadoc::AsyncContents::kMaxAttempts);
    EXPECT_GE(clock.nowMs(), qint64{diadoc::AsyncContents::kMaxAttempts} * diadoc::kOperationTimeOutMs);
}

INSTANTIATE_TEST_SUITE_P(BothModes, TimeOutTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

INSTANTIATE_TEST_SUITE_P(BothModes, RunTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& mode) { return mode.param ? "Zip" : "Folder"; });

} // namespace
} // namespace contentstest
