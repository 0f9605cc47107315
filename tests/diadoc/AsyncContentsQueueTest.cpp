#include <QFile>

#include "AsyncContentsTestFixture.h"

using namespace Qt::StringLiterals;
using platform::diadoc::FaultEffect;

namespace contentstest {
namespace {

// Downloads that take six polls, so that adding documents does not complete them on the way.
class QueueTest : public ContentsFixture
{
protected:
    QueueTest()
        : ContentsFixture(12, 6)
    {
    }

    // The events from the first one equal to first on.
    QStringList eventsFrom(const QString& first) const
    {
        const qsizetype at = trace.events.indexOf(first);
        return at < 0 ? QStringList() : trace.events.mid(at);
    }
};

TEST_F(QueueTest, CountSelectsOneListOrSumsAllFive)
{
    auto& q = makeQueue(1);
    add(1, false);
    add(2, false);
    add(3, false);
    q.AddDocInListIgnored(task, docs[3], u"Удалённый документ"_s);
    EXPECT_EQ(q.Count(1), 2);
    EXPECT_EQ(q.Count(3), 1);
    EXPECT_EQ(q.Count(5), 1);
    EXPECT_EQ(q.Count(4), 0);
    for (int select : {0, 6, -1})
        EXPECT_EQ(q.Count(select), 4) << select;
    EXPECT_EQ(q.Count(), 4);

    drain();
    EXPECT_EQ(q.Count(4), 3);
    EXPECT_EQ(q.Count(), 4);
}

TEST_F(QueueTest, EmptyQueueHandsOutNothingAtOnceAndSilently)
{
    auto& q = makeQueue(5);
    EXPECT_EQ(q.GetNextResult(), nullptr);
    EXPECT_EQ(q.GetFirstResult(), nullptr);
    EXPECT_TRUE(trace.events.isEmpty());
    EXPECT_EQ(clock.sleeps(), 0);
}

TEST_F(QueueTest, UnloadedDocumentsComeBackInOrderThenNone)
{
    makeQueue(5);
    for (int n = 1; n <= 3; ++n)
        add(n, false);
    const auto first = drain();
    ASSERT_EQ(first.size(), 3u);
    trace.events.clear();
    const auto again = drain();
    ASSERT_EQ(again.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(again[i], first[i]);
    EXPECT_TRUE(trace.events.isEmpty()) << trace.events.join(u", "_s).toStdString();
}

TEST_F(QueueTest, DocumentAddedAtTheLimitWaitsInMainQueue)
{
    auto& q = makeQueue(2);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Never);
    fault(2, u"SaveAllContentAsync"_s, FaultEffect::Never);
    add(1, false);
    add(2, false);
    trace.events.clear();
    add(3, false);
    EXPECT_EQ(trace.events, QStringList({u"+Main 3"_s, u"Changed"_s}));
    EXPECT_EQ(q.Count(1), 1);
    EXPECT_EQ(q.Count(3), 2);
}

TEST_F(QueueTest, FolderThatCannotBeMadeGoesStraightToIgnored)
{
    auto& q = makeQueue(5);
    QFile blocker(out + u"/file"_s);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = out + u"/file/doc"_s;
    add(1, false, path);
    EXPECT_EQ(trace.events, QStringList({u"+Main 1"_s, u"Changed"_s, u"-Main 1"_s, u"+Ignored 1"_s, u"Changed"_s}));
    ASSERT_EQ(q.Count(5), 1);
    const Record r = q.IgnoredList().Item(1);
    EXPECT_EQ(r->ErrorDescription, u"Не удалось создать папку: "_s + path);
    EXPECT_EQ(r->ErrorPlace, u"AsyncContentsCreateDir aAsyncDocRecord.Path"_s);
    EXPECT_EQ(r->State, 0);
}

TEST_F(QueueTest, CollectedRecordsRaiseTheirEventsInOrder)
{
    auto& q = makeQueue(1);
    add(1, false);
    add(2, false);
    while (q.Count(4) == 0)
        q.РазобратьРаботающиеЗапросы();
    EXPECT_EQ(eventsFrom(u"Before 1"_s), QStringList({u"Before 1"_s, u"+Unloaded 1"_s, u"-Unloading 1"_s, u"Changed"_s,
                                                      u"-Main 2"_s, u"+Unloading 2"_s, u"Changed"_s}));
}

TEST_F(QueueTest, CollectedRecordIsInBothListsWhileItsAddedEventRuns)
{
    auto& q = makeQueue(5);
    std::vector<std::pair<int, int>> counts;
    trace.onUnloaded = [&](const Record&) { counts.emplace_back(q.Count(4), q.Count(3)); };
    trace.onIgnored = [&](const Record&) { counts.emplace_back(q.Count(5), q.Count(3)); };
    fault(2, u"SaveContentResult"_s, FaultEffect::Error, u"WIN32[0x00000005]Access is denied."_s);
    add(1, false);
    add(2, false);
    drain();
    ASSERT_EQ(counts.size(), 2u);
    for (const auto& [target, unloading] : counts) {
        EXPECT_EQ(target, 1);
        EXPECT_GE(unloading, 1);
    }
}

TEST_F(QueueTest, SecondaryQueueIsStartedOnlyWhenMainQueueIsEmpty)
{
    auto& q = makeQueue(1);
    fault(1, u"SaveContentResult"_s, FaultEffect::False, {}, 1);
    QStringList lastErrors;
    trace.onUnloading = [&](const Record& r) { lastErrors.append(r->LastErrorDescription); };
    add(1, false);
    add(2, false);
    add(3, false);
    drain();
    QStringList starts;
    for (const QString& e : trace.events) {
        if (e.startsWith(u"-Main"_s) || e.startsWith(u"-Second"_s))
            starts.append(e);
    }
    EXPECT_EQ(starts, QStringList({u"-Main 1"_s, u"-Main 2"_s, u"-Main 3"_s, u"-Second 1"_s}));
    EXPECT_EQ(q.Count(4), 3);
    // The retry's start keeps the failure as the last error and clears the current one.
    EXPECT_EQ(lastErrors.value(3), u"dDoc.AsyncResultContentDoc.Result оказался False."_s);
    EXPECT_EQ(q.UnloadedList().Item(3)->State, 0);
}

TEST_F(QueueTest, CancelAnsweredToChangedStopsThePassAndTheResults)
{
    auto& q = makeQueue(5);
    for (int n = 1; n <= 3; ++n)
        add(n, false);
    bool armed = false;
    trace.onBefore = [&](const Record&, QString&) { armed = true; };
    trace.onChanged = [&](bool& cancel) { cancel = armed; };
    EXPECT_EQ(q.GetFirstResult(), nullptr);
    EXPECT_EQ(eventsFrom(u"Before 1"_s),
              QStringList({u"Before 1"_s, u"+Unloaded 1"_s, u"-Unloading 1"_s, u"Changed"_s}));
    EXPECT_TRUE(q.isCancelled());
    EXPECT_EQ(q.GetNextResult(), nullptr);
    EXPECT_EQ(q.Count(3), 2);
    EXPECT_EQ(q.Count(4), 1);
}

TEST_F(QueueTest, NestedCollectionPassAnswersFalseAndChangesNothing)
{
    auto& q = makeQueue(5);
    int nested = 0;
    trace.onUnloaded = [&](const Record&) {
        const int unloading = q.Count(3);
        const int unloaded = q.Count(4);
        const qsizetype events = trace.events.size();
        EXPECT_FALSE(q.РазобратьРаботающиеЗапросы());
        EXPECT_EQ(q.Count(3), unloading);
        EXPECT_EQ(q.Count(4), unloaded);
        EXPECT_EQ(trace.events.size(), events);
        ++nested;
    };
    add(1, false);
    add(2, false);
    EXPECT_EQ(drain().size(), 2u);
    EXPECT_EQ(nested, 2);
}

TEST_F(QueueTest, RefusedDocumentIsIgnoredWithTheReasonAndTheNextIsAskedAfresh)
{
    auto& q = makeQueue(5);
    QStringList reasonsOnEntry;
    trace.onBefore = [&](const Record& r, QString& reason) {
        reasonsOnEntry.append(reason);
        if (numberOf(r) == 1)
            reason = u"Ошибка записи метаданных"_s;
    };
    add(1, false);
    add(2, false);
    drain();
    EXPECT_EQ(reasonsOnEntry, QStringList({QString(), QString()}));
    ASSERT_EQ(q.Count(5), 1);
    const Record refused = q.IgnoredList().Item(1);
    EXPECT_EQ(refused->ErrorDescription, u"Ошибка записи метаданных"_s);
    EXPECT_EQ(refused->DiadocDocument, nullptr);
    EXPECT_EQ(q.Count(4), 1);
}

TEST_F(QueueTest, WaitingRaisesWaitAndPausesOnTheClock)
{
    makeQueue(5);
    add(1, false);
    drain();
    EXPECT_GE(clock.sleeps(), 1);
    EXPECT_EQ(trace.events.count(u"Wait"_s), clock.sleeps());
    EXPECT_EQ(clock.nowMs(), 250 * clock.sleeps());
}

TEST_F(QueueTest, CancelAnsweredToWaitEndsTheResultsWithoutPause)
{
    auto& q = makeQueue(5);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Never);
    add(1, false);
    trace.onWait = [](bool& cancel) { cancel = true; };
    EXPECT_EQ(q.GetFirstResult(), nullptr);
    EXPECT_EQ(clock.sleeps(), 0);
    EXPECT_EQ(q.Count(3), 1);
}

TEST_F(QueueTest, NeverMoreThanDocsLimitDownloadsRun)
{
    auto& q = makeQueue(3);
    int most = 0;
    trace.onChanged = [&](bool&) { most = std::max(most, q.Count(3)); };
    for (int n = 1; n <= 12; ++n)
        add(n, n % 2 == 0);
    EXPECT_EQ(drain().size(), 12u);
    EXPECT_EQ(most, 3);
}

TEST_F(QueueTest, SameDocumentListedTwiceIsDownloadedOnce)
{
    auto& q = makeQueue(5);
    add(1, false);
    add(1, false, out + u"/department"_s);
    EXPECT_EQ(drain().size(), 1u);
    ASSERT_EQ(q.Count(5), 1);
    const Record repeat = q.IgnoredList().Item(1);
    EXPECT_EQ(repeat->ErrorDescription, QString::fromUtf16(diadoc::AsyncContents::kRepeatReason));
    EXPECT_EQ(repeat->DocumentId, documentId(1));
    EXPECT_FALSE(QDir(out + u"/department"_s).exists());
}

TEST_F(QueueTest, DocumentThatKeepsFailingIsGivenUpAfterTenAttemptsWithItsError)
{
    auto& q = makeQueue(5);
    fault(1, u"SaveContentResult"_s, FaultEffect::False);
    add(1, false);
    EXPECT_TRUE(drain().empty());
    EXPECT_EQ(q.statistics().starts, diadoc::AsyncContents::kMaxAttempts);
    EXPECT_EQ(trace.events.count(u"+Second 1"_s), diadoc::AsyncContents::kMaxAttempts - 1);
    ASSERT_EQ(q.Count(5), 1);
    const Record r = q.IgnoredList().Item(1);
    EXPECT_EQ(r->ErrorDescription, u"dDoc.AsyncResultContentDoc.Result оказался False."_s);
    EXPECT_EQ(r->State, 9);
}

TEST_F(QueueTest, TheReleaseStepWaitsForDownloadsInFlight)
{
    auto& q = makeQueue(5);
    add(1, false);
    add(2, false);
    trace.onWait = [](bool& cancel) { cancel = true; };
    EXPECT_EQ(q.GetFirstResult(), nullptr);
    EXPECT_FALSE(QFile::exists(folderOf(2) + u"/"_s + docs[1]->FileName()));
    q.FinishRunningDownloads();
    EXPECT_TRUE(QFile::exists(folderOf(2) + u"/"_s + docs[1]->FileName()));
}

TEST_F(QueueTest, TheReleaseStepGivesUpOnDownloadsThatNeverEnd)
{
    auto& q = makeQueue(5);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Never);
    add(1, false);
    q.FinishRunningDownloads();
    EXPECT_GE(clock.nowMs(), diadoc::AsyncContents::kReleaseWaitMs);
    EXPECT_LT(clock.nowMs(), diadoc::AsyncContents::kReleaseWaitMs + 1000);
}

// The wait may let a window's messages through: a queue that goes without its owner's release
// step waits for nothing.
TEST_F(QueueTest, AQueueThatGoesDoesNotWait)
{
    makeQueue(5);
    fault(1, u"SaveAllContentAsync"_s, FaultEffect::Never);
    add(1, false);
    const qint64 before = clock.nowMs();
    queue.reset();
    EXPECT_EQ(clock.nowMs(), before);
}

} // namespace
} // namespace contentstest
