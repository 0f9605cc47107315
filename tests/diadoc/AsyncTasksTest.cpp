#include <algorithm>

#include <gtest/gtest.h>

#include "AsyncTasksFixture.h"
#include "base/Error.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/OperationTimeOut.h"
#include "platform/diadoc/SandboxData.h"
#include "platform/diadoc/SandboxService.h"

using namespace Qt::StringLiterals;
using namespace asynctaskstest;
using platform::diadoc::FaultEffect;
using platform::diadoc::FaultRule;
using platform::diadoc::Variant;
using Events = std::vector<std::string>;

namespace {

const QDate kJan1(2024, 1, 1);
const QString kServerError = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
const QString kInvalidTypes = u"COM1C.HTTP_ERROR[0x00000190]code 400: Document types are invalid"_s;
const QString kStartPlace = u"AsyncTasks.InitNewTask() - Set dAsyncResultDocumentList = ....GetDocumentsAsync()"_s;

FaultRule fault(const QString& operation, FaultEffect effect, const QString& text = {}, int attempt = 0)
{
    FaultRule rule;
    rule.operation = operation;
    rule.effect = effect;
    rule.text = text;
    rule.attempt = attempt;
    return rule;
}

Events eventsFrom(const Events& all, std::size_t first)
{
    return Events(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
}

int countOf(const Events& events, const std::string& event)
{
    return static_cast<int>(std::count(events.cbegin(), events.cend(), event));
}

// What a record looked like when it entered the secondary queue.
struct Snapshot
{
    int state = -1;
    QString description;
    QString number;
    QString place;
    QString last;
};

using AsyncTasksTest = AsyncTasksFixture;

// ---- Golden traces of the event order ---------------------------------------------------------

TEST_F(AsyncTasksTest, AddingARequestAppendsItAndStartsItAtOnce)
{
    makeQueue();
    addRequests(u"Invoice"_s, kJan1.addDays(4), kJan1.addDays(4));
    EXPECT_EQ(trace.events, (Events{"+Main 05.01-05.01/100", "Changed", "Allow", "-Main 05.01-05.01/100",
                                    "+Exec 05.01-05.01/100", "Changed"}));
    EXPECT_EQ(queue->Count(3), 1);
    EXPECT_EQ(queue->ExecutingList().Item(1)->State, 3);
    EXPECT_TRUE(queue->ExecutingList().Item(1)->TaskObject);
}

TEST_F(AsyncTasksTest, ACompletedListLeavesTheExecutingListBeforeItEntersTheExecutedList)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1.addDays(4), 3);
    sandbox.setListPolicy(2);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1.addDays(4), kJan1.addDays(4));
    const std::size_t added = trace.events.size();

    const auto results = drain();

    EXPECT_EQ(eventsFrom(trace.events, added),
              (Events{"Allow", "Wait", "-Exec 05.01-05.01/100", "+Done 05.01-05.01/100", "Changed",
                      "Executed 05.01-05.01/100", "Allow"}));
    ASSERT_EQ(results.size(), 1U);
    EXPECT_EQ(results[0]->State, 4);
    EXPECT_EQ(results[0]->DocumentsCount, 3);
    EXPECT_EQ(clock.sleeps(), 1);
    EXPECT_EQ(sandbox.nowMs, diadoc::AsyncTasks::kPollPauseMs);
}

TEST_F(AsyncTasksTest, AnEmptyListIsDroppedWithoutEnteringAnyList)
{
    sandbox.setListPolicy(2);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1);
    const std::size_t added = trace.events.size();

    EXPECT_TRUE(drain().empty());

    EXPECT_EQ(eventsFrom(trace.events, added), (Events{"Allow", "Wait", "-Exec 01.01-01.01/100", "Changed", "Allow"}));
    EXPECT_EQ(queue->Count(5), 1);
    EXPECT_EQ(queue->Count(), 1);
    const auto& dropped = trace.addedToMain.front();
    EXPECT_EQ(dropped->State, 5);
    EXPECT_EQ(dropped->DocumentsCount, 0);
    EXPECT_FALSE(dropped->TaskObject);
}

// The split adds requests while the results are read: every new request pushes the queue, which
// reads and starts again inside the outer reading.
TEST_F(AsyncTasksTest, ASplitAddsItsRequestsInsideTheReadingOfTheSplitRequest)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1.addDays(1), 100);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(2));
    const std::size_t added = trace.events.size();

    const auto results = drain();

    EXPECT_EQ(eventsFrom(trace.events, added), (Events{"-Exec 01.01-03.01/100",
                                                       "+Main 01.01-01.01",
                                                       "Changed",
                                                       "Allow",
                                                       "-Main 01.01-01.01",
                                                       "+Exec 01.01-01.01",
                                                       "Changed",
                                                       "+Main 02.01-02.01",
                                                       "Changed",
                                                       "-Exec 01.01-01.01",
                                                       "Changed",
                                                       "Allow",
                                                       "-Main 02.01-02.01",
                                                       "+Exec 02.01-02.01",
                                                       "Changed",
                                                       "+Main 03.01-03.01",
                                                       "Changed",
                                                       "-Exec 02.01-02.01",
                                                       "+Done 02.01-02.01",
                                                       "Changed",
                                                       "Executed 02.01-02.01",
                                                       "Allow",
                                                       "-Main 03.01-03.01",
                                                       "+Exec 03.01-03.01",
                                                       "Changed",
                                                       "Changed",
                                                       "-Exec 03.01-03.01",
                                                       "Changed",
                                                       "Allow"}));
    ASSERT_EQ(results.size(), 1U);
    EXPECT_EQ(results[0]->DocumentsCount, 100);
    const auto& split = trace.addedToMain.front();
    EXPECT_EQ(split->State, 0);
    EXPECT_FALSE(split->TaskObject);
    EXPECT_EQ(split->DocumentsCount, 100);
    EXPECT_EQ(queue->Count(), 3); // one list and two empty days; the split request is kept nowhere
}

TEST_F(AsyncTasksTest, AFailedStartGoesToTheSecondaryQueueAndIsStartedAgain)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 2);
    addFault(fault(u"GetDocumentsAsync"_s, FaultEffect::Error, kServerError, 1));
    makeQueue();
    Snapshot failed;
    trace.onAddedInSecondary = [&](const Record& rec) {
        failed = {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription};
    };
    addRequests(u"Invoice"_s, kJan1, kJan1);
    EXPECT_EQ(trace.events, (Events{"+Main 01.01-01.01/100", "Changed", "Allow", "-Main 01.01-01.01/100",
                                    "+Second 01.01-01.01/100", "Changed"}));
    EXPECT_EQ(failed.state, 9);
    EXPECT_EQ(failed.description, kServerError);
    EXPECT_EQ(failed.number, u"-2147467259"_s);
    EXPECT_EQ(failed.place, kStartPlace);
    const std::size_t added = trace.events.size();

    const auto results = drain();

    EXPECT_EQ(
        eventsFrom(trace.events, added),
        (Events{"Allow", "-Second 01.01-01.01/100", "+Exec 01.01-01.01/100", "Changed", "Wait", "-Exec 01.01-01.01/100",
                "+Done 01.01-01.01/100", "Changed", "Executed 01.01-01.01/100", "Allow"}));
    ASSERT_EQ(results.size(), 1U);
    EXPECT_EQ(results[0]->ErrorDescription, QString());
    EXPECT_EQ(results[0]->ErrorPlace, QString());
}

// ---- Starting: limits and permission -----------------------------------------------------------

TEST_F(AsyncTasksTest, WithTasksLimitOneNoSecondRequestStartsWhileOneRuns)
{
    options.Set_TasksLimit(1);
    for (int day = 0; day < 3; ++day)
        sandbox.addDocuments(u"Invoice"_s, kJan1.addDays(day), 1);
    sandbox.setListPolicy(3);
    makeQueue();
    trace.onAllow = [](bool& allow) { allow = true; };
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(2), 1);

    EXPECT_EQ(drain().size(), 3U);

    int running = 0;
    int most = 0;
    for (const std::string& event : trace.events) {
        running += event.starts_with("+Exec") ? 1 : event.starts_with("-Exec") ? -1 : 0;
        most = std::max(most, running);
    }
    EXPECT_EQ(most, 1);
    EXPECT_EQ(queue->TasksLimit(), 1);
}

TEST_F(AsyncTasksTest, ARefusedStartKeepsTheRequestFirstInLine)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    makeQueue();
    bool refuse = true;
    trace.onAllow = [&](bool& allow) { allow = !refuse; };
    addRequests(u"Invoice"_s, kJan1, kJan1);
    addRequests(u"Contract"_s, kJan1, kJan1);
    ASSERT_EQ(queue->Count(1), 2);
    EXPECT_EQ(queue->MainQueue().Item(1)->CategoryType, u"Invoice"_s);
    EXPECT_EQ(queue->Count(3), 0);

    refuse = false;
    const auto results = drain();

    const auto first = std::find(trace.events.cbegin(), trace.events.cend(), std::string("-Main 01.01-01.01/100"));
    ASSERT_NE(first, trace.events.cend());
    EXPECT_EQ(trace.addedToMain[0]->State, 4); // the invoice request, started first, found its document
    EXPECT_EQ(results.size(), 1U);
}

// Starts held back by the owner make every pass wait and pause instead of spinning.
TEST_F(AsyncTasksTest, APassThatNeitherFinishesNorStartsWaitsAndPauses)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    makeQueue();
    int refusals = 3;
    trace.onAllow = [&](bool& allow) { allow = refusals-- <= 0; };
    addRequests(u"Invoice"_s, kJan1, kJan1); // refused once here
    const std::size_t added = trace.events.size();

    EXPECT_EQ(drain().size(), 1U);

    const Events events = eventsFrom(trace.events, added);
    ASSERT_GE(events.size(), 6U);
    EXPECT_EQ(Events(events.begin(), events.begin() + 6),
              (Events{"Allow", "Wait", "Allow", "Wait", "Allow", "-Main 01.01-01.01/100"}));
    EXPECT_GE(clock.sleeps(), 2);
    EXPECT_EQ(sandbox.nowMs, clock.sleeps() * diadoc::AsyncTasks::kPollPauseMs);
}

// ---- Stop answers ------------------------------------------------------------------------------

TEST_F(AsyncTasksTest, ACancelFromTheChangeEventStopsAfterTheCurrentRecord)
{
    for (int day = 0; day < 3; ++day)
        sandbox.addDocuments(u"Invoice"_s, kJan1.addDays(day), 1);
    sandbox.setListPolicy(1, 250);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(2), 1);
    ASSERT_EQ(queue->Count(3), 3);
    trace.onChanged = [&](bool& cancel) { cancel = queue->Count(4) == 1; };

    EXPECT_TRUE(drain().empty());

    EXPECT_TRUE(queue->isCancelled());
    EXPECT_EQ(queue->Count(4), 1);
    EXPECT_EQ(queue->Count(3), 2);
    EXPECT_EQ(countOf(trace.events, "Executed 01.01-01.01/100"), 0); // not raised once stopped
    EXPECT_EQ(trace.events.back(), "Changed");
}

TEST_F(AsyncTasksTest, ACancelFromTheWaitEventReturnsWithoutPausingAndStopsTheQueue)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    sandbox.setListPolicy(1, 250);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1);
    trace.onWait = [](bool& cancel) { cancel = true; };

    EXPECT_EQ(queue->GetFirstResult(), nullptr);
    EXPECT_EQ(clock.sleeps(), 0);
    EXPECT_EQ(sandbox.nowMs, 0);
    const std::size_t stopped = trace.events.size();
    EXPECT_EQ(queue->GetNextResult(), nullptr);
    EXPECT_EQ(trace.events.size(), stopped); // stopped: nothing moves, nothing is raised

    // A stopped queue adds no more requests for a period.
    addRequests(u"Contract"_s, kJan1, kJan1);
    EXPECT_EQ(trace.events.size(), stopped);
    EXPECT_EQ(queue->Count(), 1);
}

TEST_F(AsyncTasksTest, ListenersAnswerInAttachOrderAndTheLastAnswerHolds)
{
    makeQueue();
    struct Second final : diadoc::AsyncTasksListener
    {
        std::vector<bool> seen;
        std::vector<std::string>* log = nullptr;
        void OnChanged(bool& rCancel) override
        {
            log->push_back("second");
            seen.push_back(rCancel);
            rCancel = false;
        }
    } second;
    second.log = &trace.events;
    queue->attach(&second);
    trace.onChanged = [](bool& cancel) { cancel = true; };

    addRequests(u"Invoice"_s, kJan1, kJan1);

    EXPECT_FALSE(queue->isCancelled());
    ASSERT_FALSE(second.seen.empty());
    EXPECT_TRUE(second.seen.front());
    EXPECT_EQ(Events(trace.events.begin(), trace.events.begin() + 3),
              (Events{"+Main 01.01-01.01/100", "Changed", "second"}));
    queue->detach(&second);
}

TEST_F(AsyncTasksTest, AListenerMayAddRequestsFromInsideAnEvent)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    sandbox.addDocuments(u"Contract"_s, kJan1, 2);
    makeQueue();
    bool once = true;
    trace.onExecuted = [&](const Record&) {
        if (std::exchange(once, false))
            addRequests(u"Contract"_s, kJan1, kJan1);
    };
    addRequests(u"Invoice"_s, kJan1, kJan1);

    const auto results = drain();

    ASSERT_EQ(results.size(), 2U);
    EXPECT_EQ(results[0]->CategoryType, u"Invoice"_s);
    EXPECT_EQ(results[1]->CategoryType, u"Contract"_s);
    EXPECT_EQ(queue->DocumentsCount(), 3);
}

// ---- Results and counts ------------------------------------------------------------------------

TEST_F(AsyncTasksTest, AnEmptyQueueHandsOutNothingAtOnceWithoutEvents)
{
    makeQueue();
    EXPECT_EQ(queue->GetFirstResult(), nullptr);
    EXPECT_TRUE(trace.events.empty());
    EXPECT_EQ(queue->Count(), 0);
}

TEST_F(AsyncTasksTest, CountsAndDocumentsCoverEveryListAndTheDroppedRequests)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 3);
    sandbox.addDocuments(u"Invoice"_s, kJan1.addDays(2), 5);
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(2), 1);

    const auto results = drain();

    ASSERT_EQ(results.size(), 2U);
    EXPECT_EQ(queue->Count(4), 2);
    EXPECT_EQ(queue->Count(5), 1);
    for (const int select : {0, 6, -1, 99})
        EXPECT_EQ(queue->Count(select), 3) << select;
    EXPECT_EQ(queue->Count(), 3);
    EXPECT_EQ(queue->DocumentsCount(), 8);

    // A new hand-out starts from the first result again; the total stays.
    EXPECT_EQ(queue->GetFirstResult(), results[0]);
    EXPECT_EQ(queue->GetNextResult(), results[1]);
    EXPECT_EQ(queue->GetNextResult(), nullptr);
    EXPECT_EQ(queue->DocumentsCount(), 8);
}

// ---- Failures of one request -------------------------------------------------------------------

TEST_F(AsyncTasksTest, UnusableResultsGoToTheSecondaryQueueWithTheirReason)
{
    struct Case
    {
        FaultEffect effect;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {FaultEffect::Error, kServerError, kServerError},
        {FaultEffect::Nothing, {}, u"dTask.TaskObject.Result оказался объектом Is Nothing."_s},
        {FaultEffect::False, {}, u"dTask.TaskObject.Result оказался НЕ объектом."_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        ListSandbox local;
        local.addDocuments(u"Invoice"_s, kJan1, 1);
        local.service().addFault(fault(u"GetDocumentsResult"_s, c.effect, c.text, 1));
        SandboxQueue q(local, options, ui);
        Snapshot failed;
        q.trace.onAddedInSecondary = [&](const Record& rec) {
            failed = {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription};
        };
        q.add(u"Invoice"_s, kJan1, kJan1);
        const auto first = q.tasks.GetFirstResult();

        EXPECT_EQ(failed.state, 2);
        EXPECT_EQ(failed.description, c.expected);
        EXPECT_EQ(failed.place,
                  u"AsyncTasks.РазобратьРаботающиеЗапросы() - dVarTypeResult = VarType(dTask.TaskObject.Result)"_s);
        ASSERT_NE(first, nullptr); // the next attempt reads the list
        EXPECT_EQ(first->DocumentsCount, 1);
        EXPECT_EQ(first->LastErrorDescription, QString()); // the start in between cleared it
        EXPECT_EQ(countOf(q.trace.events, "+Second 01.01-01.01/100"), 1);
    }
}

TEST_F(AsyncTasksTest, RefusedDocumentTypesDropTheRequest)
{
    makeQueue();
    addRequests(u"UnknownType"_s, kJan1, kJan1);

    EXPECT_TRUE(drain().empty());

    EXPECT_EQ(queue->Count(5), 1);
    EXPECT_EQ(queue->Count(2), 0);
    const auto& dropped = trace.addedToMain.front();
    EXPECT_EQ(dropped->State, 5);
    EXPECT_EQ(dropped->ErrorDescription, kInvalidTypes);
    EXPECT_FALSE(dropped->TaskObject);
}

TEST_F(AsyncTasksTest, TwoStartsFailingWithARetriedErrorLeaveTheFieldsClear)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    FaultRule rule = fault(u"GetDocumentsAsync"_s, FaultEffect::Error, kInvalidTypes);
    rule.firstAttempts = 2;
    addFault(rule);
    makeQueue();
    std::vector<Snapshot> failures;
    trace.onAddedInSecondary = [&](const Record& rec) {
        failures.push_back(
            {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription});
    };
    addRequests(u"Invoice"_s, kJan1, kJan1);

    EXPECT_EQ(drain().size(), 1U);

    ASSERT_EQ(failures.size(), 2U);
    for (const Snapshot& s : failures) {
        EXPECT_EQ(s.state, 0);
        EXPECT_EQ(s.description, QString());
        EXPECT_EQ(s.place, QString());
        EXPECT_EQ(s.last, QString());
    }
}

// A request that can never start ends failed after the attempt cap, with its last error kept,
// and never holds back the other requests.
TEST_F(AsyncTasksTest, ARequestThatKeepsFailingEndsFailedAtTheCapWithoutBlockingTheOthers)
{
    struct Case
    {
        QString text;
        int number;
    };
    for (const Case& c : {Case{kServerError, -2147467259}, Case{kInvalidTypes, -2147467259}}) {
        SCOPED_TRACE(c.text.toStdString());
        ListSandbox local;
        for (int day = 0; day < 3; ++day)
            local.addDocuments(u"Invoice"_s, kJan1.addDays(day), 1);
        FaultRule rule = fault(u"GetDocumentsAsync"_s, FaultEffect::Error, c.text);
        rule.type = u"Contract"_s;
        local.service().addFault(rule);
        SandboxQueue q(local, options, ui);
        q.add(u"Contract"_s, kJan1, kJan1, 1);
        q.add(u"Invoice"_s, kJan1, kJan1.addDays(2), 1);

        EXPECT_EQ(q.drain().size(), 3U);
        EXPECT_EQ(countOf(q.trace.events, "-Second 01.01-01.01/100"), diadoc::AsyncTasks::kMaxAttempts - 1);
        ASSERT_EQ(q.tasks.Count(2), 1);
        const auto& failed = q.tasks.SecondaryQueue().Item(1);
        EXPECT_EQ(failed->CategoryType, u"Contract"_s);
        EXPECT_EQ(failed->State, 9);
        EXPECT_EQ(failed->ErrorDescription, c.text);
        EXPECT_EQ(failed->ErrorNumber, QString::number(c.number));
        EXPECT_EQ(failed->ErrorPlace, kStartPlace);
        // The invoice requests came from the main queue before any retry of the failing one.
        const auto lastInvoice = std::find(q.trace.events.cbegin(), q.trace.events.cend(), "-Main 03.01-03.01/100");
        const auto firstRetry = std::find(q.trace.events.cbegin(), q.trace.events.cend(), "-Second 01.01-01.01/100");
        EXPECT_LT(lastInvoice, firstRetry);
        // Every retry was paced by a wait and a pause, never a spin.
        int retriesWithoutWait = 0;
        bool waited = true;
        for (const std::string& event : q.trace.events) {
            if (event == "Wait")
                waited = true;
            if (event.starts_with("-Second")) {
                retriesWithoutWait += waited ? 0 : 1;
                waited = false;
            }
        }
        // Only the retry at the end of the pass in which the last list finished had no pause.
        EXPECT_EQ(retriesWithoutWait, 1);
        EXPECT_EQ(local.nowMs, q.clock.sleeps() * diadoc::AsyncTasks::kPollPauseMs);
    }
}

// A view that follows the secondary queue by its events alone, inserting and removing at the rows
// they name, shows the queue's rows in their order: a request failed for good goes to the front,
// before the ones still to be tried, and a retry leaves from behind the failed ones.
TEST_F(AsyncTasksTest, TheSecondaryQueuesEventsNameTheRowsTheRecordsTakeAndLeave)
{
    addFault(fault(u"GetDocumentsAsync"_s, FaultEffect::Error, kServerError));
    makeQueue();
    struct Mirror final : diadoc::AsyncTasksListener
    {
        std::vector<Record> rows;
        int misplaced = 0;
        void OnAddedInSecondaryQueue(const Record& rec, int position) override
        {
            if (position < 1 || position > static_cast<int>(rows.size()) + 1) {
                ++misplaced;
                return;
            }
            rows.insert(rows.begin() + (position - 1), rec);
        }
        void OnRemovedFromSecondaryQueue(const Record& rec, int position) override
        {
            if (position < 1 || position > static_cast<int>(rows.size()) || rows.at(position - 1) != rec) {
                ++misplaced;
                return;
            }
            rows.erase(rows.begin() + (position - 1));
        }
    } mirror;
    queue->attach(&mirror);
    addRequests(u"Invoice"_s, kJan1, kJan1.addDays(2), 1);

    EXPECT_TRUE(drain().empty());

    EXPECT_EQ(mirror.misplaced, 0);
    ASSERT_EQ(queue->Count(2), 3);
    ASSERT_EQ(mirror.rows.size(), 3U);
    for (int row = 1; row <= 3; ++row)
        EXPECT_EQ(mirror.rows.at(static_cast<std::size_t>(row - 1)), queue->SecondaryQueue().Item(row)) << row;
    // The first request failed for good while the others still waited behind it: it took row 1 of
    // a queue of three, not the last row.
    EXPECT_NE(std::find(trace.secondaryRows.cbegin(), trace.secondaryRows.cend(), 1), trace.secondaryRows.cend());
    EXPECT_NE(std::find(trace.secondaryRows.cbegin(), trace.secondaryRows.cend(), -3), trace.secondaryRows.cend())
        << "a retry left from behind two requests failed for good";
    queue->detach(&mirror);
}

// A list that never comes holds its request no longer than the operation time-out: it is judged
// failed with its own text, tried again, and given up at its second time-out, failed for good; the
// queue never waits for ever.
TEST_F(AsyncTasksTest, AListThatNeverComesIsGivenUpAtItsSecondTimeOut)
{
    for (const int neverAttempts : {1, 0}) {
        SCOPED_TRACE(neverAttempts);
        ListSandbox local;
        local.addDocuments(u"Invoice"_s, kJan1, 2);
        FaultRule rule = fault(u"GetDocumentsResult"_s, FaultEffect::Never);
        rule.firstAttempts = neverAttempts;
        local.service().addFault(rule);
        SandboxQueue q(local, options, ui);
        std::vector<Snapshot> failures;
        std::vector<qint64> failedAt;
        q.trace.onAddedInSecondary = [&](const Record& rec) {
            failures.push_back(
                {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription});
            failedAt.push_back(local.nowMs);
            EXPECT_FALSE(rec->TaskObject) << "the operation is let go";
        };
        // A queue that still waits after two hours would wait for ever: it is cancelled.
        q.trace.onWait = [&](bool& cancel) { cancel = local.nowMs > 2LL * 3600 * 1000; };
        q.add(u"Invoice"_s, kJan1, kJan1);

        const auto results = q.drain();

        EXPECT_FALSE(q.tasks.isCancelled());
        const std::size_t attempts = neverAttempts == 0 ? diadoc::kTimeOutsBeforeGivingUp : 1;
        ASSERT_EQ(failures.size(), attempts);
        for (std::size_t i = 0; i < attempts; ++i) {
            EXPECT_EQ(failures[i].state, 2);
            EXPECT_EQ(failures[i].description, QString::fromUtf16(diadoc::kOperationTimeOutText));
            EXPECT_EQ(failures[i].place, u"AsyncTasks.РазобратьРаботающиеЗапросы() - dTask.TaskObject.IsCompleted"_s);
            // Judged at the first poll past the time-out of this attempt.
            const qint64 since = i == 0 ? 0 : failedAt[i - 1];
            EXPECT_GE(failedAt[i] - since, diadoc::kOperationTimeOutMs);
            EXPECT_LE(failedAt[i] - since, diadoc::kOperationTimeOutMs + 2 * diadoc::AsyncTasks::kPollPauseMs);
        }
        if (neverAttempts == 0) {
            EXPECT_TRUE(results.empty());
            EXPECT_EQ(q.tasks.FailedCount(), 1);
            EXPECT_EQ(q.tasks.statistics().starts, diadoc::kTimeOutsBeforeGivingUp);
        } else {
            ASSERT_EQ(results.size(), 1U);
            EXPECT_EQ(results.front()->DocumentsCount, 2);
            EXPECT_EQ(q.tasks.FailedCount(), 0);
        }
        EXPECT_EQ(q.tasks.Count(3), 0);
    }
}

// A request whose list timed out once and whose later reads fail otherwise keeps the attempt cap;
// one that failed otherwise before it hung is given up at its second time-out.
TEST_F(AsyncTasksTest, OnlyTheSecondTimeOutCutsTheAttemptsShort)
{
    const QString failed = u"COM1C[0x80004005]Unspecified error"_s;
    struct Case
    {
        const char* name;
        std::vector<std::pair<FaultEffect, int>> rules; // effect and the attempts it takes, 0 for all
        int attempts;
        QString reason;
    };
    const Case cases[] = {
        {"hangs once, then fails",
         {{FaultEffect::Never, 1}, {FaultEffect::Error, 0}},
         diadoc::AsyncTasks::kMaxAttempts,
         failed},
        {"fails three times, then hangs",
         {{FaultEffect::Error, 3}, {FaultEffect::Never, 0}},
         5,
         QString::fromUtf16(diadoc::kOperationTimeOutText)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListSandbox local;
        local.addDocuments(u"Invoice"_s, kJan1, 2);
        for (const auto& [effect, firstAttempts] : c.rules) {
            FaultRule rule = fault(u"GetDocumentsResult"_s, effect, effect == FaultEffect::Error ? failed : QString());
            rule.firstAttempts = firstAttempts;
            local.service().addFault(rule);
        }
        SandboxQueue q(local, options, ui);
        q.trace.onWait = [&](bool& cancel) { cancel = local.nowMs > 24LL * 3600 * 1000; };
        q.add(u"Invoice"_s, kJan1, kJan1);

        EXPECT_TRUE(q.drain().empty());

        EXPECT_FALSE(q.tasks.isCancelled());
        EXPECT_EQ(q.tasks.FailedCount(), 1);
        EXPECT_EQ(q.tasks.statistics().starts, c.attempts);
        ASSERT_EQ(q.tasks.SecondaryQueue().Count(), 1);
        EXPECT_EQ(q.tasks.SecondaryQueue().Item(1)->ErrorDescription, c.reason);
    }
}

// Starts that all fail must not spin: every pass without progress waits and pauses.
TEST_F(AsyncTasksTest, StartsThatAllFailArePacedByTheWaitAndThePause)
{
    addFault(fault(u"GetDocumentsAsync"_s, FaultEffect::Error, kServerError));
    makeQueue();
    addRequests(u"Invoice"_s, kJan1, kJan1);
    const std::size_t added = trace.events.size();

    EXPECT_TRUE(drain().empty());

    Events expected;
    for (int attempt = 2; attempt <= diadoc::AsyncTasks::kMaxAttempts; ++attempt)
        expected.insert(expected.end(),
                        {"Allow", "-Second 01.01-01.01/100", "+Second 01.01-01.01/100", "Changed", "Wait"});
    EXPECT_EQ(eventsFrom(trace.events, added), expected);
    EXPECT_EQ(clock.sleeps(), diadoc::AsyncTasks::kMaxAttempts - 1);
    EXPECT_EQ(sandbox.nowMs, (diadoc::AsyncTasks::kMaxAttempts - 1) * diadoc::AsyncTasks::kPollPauseMs);
    EXPECT_EQ(queue->Count(2), 1);
    EXPECT_EQ(queue->SecondaryQueue().Item(1)->ErrorDescription, kServerError);
}

TEST_F(AsyncTasksTest, AFailingGetDocumentsTaskRecordsItsErrorOnTheRequest)
{
    sandbox.addDocuments(u"Invoice"_s, kJan1, 1);
    addFault(fault(u"GetDocumentsTask"_s, FaultEffect::Error, kServerError, 1));
    makeQueue();
    Snapshot failed;
    trace.onAddedInSecondary = [&](const Record& rec) {
        failed = {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription};
    };
    addRequests(u"Invoice"_s, kJan1, kJan1);

    EXPECT_EQ(failed.state, 9);
    EXPECT_EQ(failed.description, kServerError);
    EXPECT_EQ(failed.number, u"-2147467259"_s);
    EXPECT_EQ(failed.place, u"AsyncTasks.ЗапуститьЗапрос() - Set dDocumentsTask = ...GetDocumentsTask()"_s);
    EXPECT_EQ(drain().size(), 1U);
}

TEST_F(AsyncTasksTest, ARequestForAnUnknownOrganisationFailsItsStartWithTheLookupError)
{
    makeQueue();
    Snapshot failed;
    trace.onAddedInSecondary = [&](const Record& rec) {
        failed = {rec->State, rec->ErrorDescription, rec->ErrorNumber, rec->ErrorPlace, rec->LastErrorDescription};
    };
    queue->ДобавлениеЗапросовВОчередьByDates(u"box-404"_s, {}, {}, u"Invoice"_s, u"Inbound"_s, {}, 0,
                                             Variant(QDateTime(kJan1, {})), Variant(QDateTime(kJan1, {})), true, false);

    EXPECT_EQ(failed.state, 9);
    EXPECT_EQ(failed.number, u"5"_s);
    EXPECT_EQ(failed.place, u"AsyncTasks.ЗапуститьЗапрос() - Set dDocumentsTask = ...GetDocumentsTask()"_s);
    EXPECT_TRUE(drain().empty());
    EXPECT_EQ(queue->Count(2), 1);
}

} // namespace
