#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>

#include <QString>

#include "AsyncTasksListener.h"
#include "RecordList.h"
#include "ResultPolling.h"
#include "core/KeyAndName.h"
#include "core/KeyedCollection.h"
#include "core/ListenerList.h"

namespace core {
class Clock;
class UiServices;
class mFetchlingOptions;
} // namespace core

namespace platform::diadoc {
class DiadocDocumentsTask;
class Variant;
} // namespace platform::diadoc

namespace diadoc {

class AsyncTskRecord;
class PersonRecord;
class mDiadocErrors;

// The organisations of the signed-in account, keyed by organisation key.
using PersonsCollection = core::KeyedCollection<std::shared_ptr<PersonRecord>>;

// The document-list requests of one unloading run: they wait in a main queue, run through the
// Diadoc client (at most TasksLimit at once, each start allowed by the owner), are polled until
// complete, and end with their lists, in the secondary queue for another try, split or dropped.
// Nothing runs by itself: the queue moves when a request is added or a result is asked for.
class AsyncTasks final
{
public:
    using Record = std::shared_ptr<AsyncTskRecord>;

    // A request that cannot be started or read after this many attempts stays failed in the
    // secondary queue and is not tried again; one whose list did not come in time
    // (kTimeOutsBeforeGivingUp) stays so after its second time-out.
    static constexpr int kMaxAttempts = 10;
    // The pause of the polling loop while requests run and none finished.
    static constexpr int kPollPauseMs = 250;

    // What the polling did, for diagnostics and benchmarks.
    struct Statistics
    {
        qint64 polls = 0;  // IsCompleted asked
        qint64 pauses = 0; // pauses of kPollPauseMs
        qint64 starts = 0; // start attempts
    };

    // Reads TasksLimit and SelectiveDocTypes from the options once.
    AsyncTasks(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui);
    ~AsyncTasks();
    AsyncTasks(const AsyncTasks&) = delete;
    AsyncTasks& operator=(const AsyncTasks&) = delete;

    // Listeners are called in the order they were attached; the queue does not own them. A
    // listener that may outlive the queue, or go before it, attaches through listeners().
    void attach(AsyncTasksListener* listener) { m_listeners.attach(listener); }
    void detach(AsyncTasksListener* listener) { m_listeners.detach(listener); }
    core::ListenerList<AsyncTasksListener>& listeners() { return m_listeners; }

    void SetOrg(PersonsCollection& aOrg);
    void SetDateTypeSelect(int aПоКакимДатамВыбирать) { m_dateTypeSelect = aПоКакимДатамВыбирать; }
    int dateTypeSelect() const { return m_dateTypeSelect; }

    const AsyncTskList& MainQueue() const { return m_mainQueue; }
    const AsyncTskList& SecondaryQueue() const { return m_secondaryQueue; }
    const AsyncTskList& ExecutingList() const { return m_executingList; }
    const AsyncTskList& ExecutedList() const { return m_executedList; }

    // 1 main queue, 2 secondary queue, 3 executing, 4 executed, 5 dropped requests; any other
    // value the sum of all five.
    int Count(int aSelect = 0) const;
    // Requests failed for good: they reached the attempt cap and stay at the front of the
    // secondary queue; their documents were never listed.
    int FailedCount() const { return m_failedInSecondary; }
    // Documents of every request that entered the executed list.
    int DocumentsCount() const { return m_totalDocuments; }
    Record GetFirstResult();
    Record GetNextResult();

    // Adds the requests for one organisation or department, document type (or "Any") and class
    // over a period cut into pieces of aDaysCount days (the whole period for 0 or less). A Null
    // date stands for the present moment. aWithNoSended has no effect.
    void ДобавлениеЗапросовВОчередьByDates(const QString& aKeyОрганизацииВКоллекции, const QString& aДепартаментId,
                                           const QString& aДепартаментName, const QString& aИдентификаторТипаДокументов,
                                           const QString& aИдентификаторКлассаДокументов,
                                           const QString& aИдентификаторСтатусаДокументов, int aDaysCount,
                                           const platform::diadoc::Variant& aDateFrom,
                                           const platform::diadoc::Variant& aDateTo, bool aTop100, bool aWithNoSended);

    int TasksLimit() const { return m_tasksLimit; }
    bool isCancelled() const { return m_cancel; }
    const Statistics& statistics() const { return m_statistics; }

private:
    bool PushForwardProcess();
    bool ЗапуститьОчереднойЗапросИзОчередей();
    // Answers how many requests were added.
    int ДобавлениеЗапросовВОчередьByTypes(const QString& key, const QString& departmentId,
                                          const QString& departmentName, const QString& documentClass,
                                          const QString& status, double from, double to, bool top100);
    bool AddNewTaskInQueue(const QString& key, const QString& departmentId, const QString& departmentName,
                           const QString& type, const QString& documentClass, const QString& status, double from,
                           double to, bool top100);
    bool TypeDocNeedDownload(const QString& typeKey) const;
    bool ЗапуститьЗапрос(const Record& rec);
    bool InitNewTask(platform::diadoc::DiadocDocumentsTask& task, const Record& rec);
    bool РазобратьРаботающиеЗапросы();
    // Out of the executing list, for the judgement of its outcome.
    void takeFromExecuting(std::size_t index, const Record& rec);
    // The request's list did not come in time: the operation is let go and the request fails.
    void judgeTimedOut(const Record& rec);
    // The request's operation completed: its list is taken, split, dropped, or the request fails.
    void judgeResult(const Record& rec);
    void takeList(const Record& rec, int documents);
    // A list that may have been cut at 100 is asked for again in smaller pieces; answers how many.
    int askAgainInPieces(const AsyncTskRecord& rec);
    void drop(const Record& rec);
    void toExecutedList(const Record& rec);
    // True when the running request has waited for its list longer than the operation time-out.
    bool timedOut(const Record& rec) const;
    int addByDates(const QString& key, const QString& departmentId, const QString& departmentName, const QString& type,
                   const QString& documentClass, const QString& status, int daysCount, double from, double to,
                   bool top100);

    // Sends a record whose start or result failed to the back of the secondary queue, or, at the
    // attempt cap, among the failed records at its front that are not tried again.
    void toSecondaryQueue(const Record& rec);
    int retryableCount() const;
    // At the attempt cap, or past the time-outs allowed: not tried again.
    bool givenUp(const Record& rec) const;
    bool attemptsExhausted(const Record& rec) const;
    void forget(const Record& rec);
    // One pass of the polling loop; true when the loop should wait before the next.
    bool pollPass();

    void raiseChanged();
    void raiseWait();
    template <typename Method, typename... Args> void raiseRecord(Method method, const Record& rec, Args... args);

    const core::mFetchlingOptions& m_options;
    core::Clock& m_clock;
    core::UiServices& m_ui;
    std::unique_ptr<mDiadocErrors> m_errors;
    int m_tasksLimit = 30;
    bool m_selective = false;
    std::unique_ptr<core::KeyedCollection<core::KeyAndName>> m_chosenTypes;
    PersonsCollection* m_persons = nullptr;
    int m_dateTypeSelect = 0;

    AsyncTskList m_mainQueue;
    AsyncTskList m_secondaryQueue;
    AsyncTskList m_executingList;
    AsyncTskList m_executedList;
    int m_failedInSecondary = 0; // records at the front of the secondary queue that are not retried
    int m_dropped = 0;
    int m_totalDocuments = 0;
    bool m_cancel = false;

    std::unordered_map<const AsyncTskRecord*, int> m_attempts;
    std::unordered_map<const AsyncTskRecord*, int> m_timeOuts;
    // When each running request was started, on the clock.
    std::unordered_map<const AsyncTskRecord*, qint64> m_startedAt;
    qint64 m_progress = 0; // starts that succeeded and records taken out of the executing list
    Statistics m_statistics;
    ResultPolling<AsyncTskList> m_results;
    // Declared last, so that it goes first: a listener told that the queue goes finds its lists
    // still standing.
    core::ListenerList<AsyncTasksListener> m_listeners;
};

} // namespace diadoc
