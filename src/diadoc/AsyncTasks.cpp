#include "AsyncTasks.h"

#include <algorithm>
#include <optional>
#include <utility>

#include <QVariant>

#include "AsyncTasksListener.h"
#include "AsyncTskRecord.h"
#include "OperationTimeOut.h"
#include "PersonRecord.h"
#include "VbDate.h"
#include "base/Error.h"
#include "core/Clock.h"
#include "core/DocTypesProvider.h"
#include "core/MsgBox.h"
#include "core/VbNumbers.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "core/mOther.h"
#include "mDiadocErrors.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocDocumentsTask.h"
#include "platform/diadoc/DiadocList.h"
#include "platform/diadoc/DiadocOrganization.h"
#include "platform/diadoc/Variant.h"

using namespace Qt::StringLiterals;
using platform::diadoc::Variant;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"AsyncTasks";
constexpr char16_t kAny[] = u"Any";
constexpr int kTop = 100;
constexpr int kNoSuchMember = 438;

constexpr char16_t kInvalidTypesPrefix[] = u"COM1C.HTTP_ERROR[0x00000190]code 400:";
constexpr char16_t kInvalidTypesPhrase[] = u"Document types are invalid";
constexpr char16_t kBadVariantAccess[] = u"bad variant access";

constexpr char16_t kPlaceGetDocumentsTask[] =
    u"AsyncTasks.ЗапуститьЗапрос() - Set dDocumentsTask = ...GetDocumentsTask()";
constexpr char16_t kPlaceGetDocumentsAsync[] =
    u"AsyncTasks.InitNewTask() - Set dAsyncResultDocumentList = ....GetDocumentsAsync()";
constexpr char16_t kPlaceResult[] =
    u"AsyncTasks.РазобратьРаботающиеЗапросы() - dVarTypeResult = VarType(dTask.TaskObject.Result)";
constexpr char16_t kPlaceCompleted[] = u"AsyncTasks.РазобратьРаботающиеЗапросы() - dTask.TaskObject.IsCompleted";
constexpr char16_t kNothingStarted[] = u"Ошибки небыло, но результат запроса дал Nothing";
constexpr char16_t kResultNotObject[] = u"dTask.TaskObject.Result оказался НЕ объектом.";
constexpr char16_t kResultNothing[] = u"dTask.TaskObject.Result оказался объектом Is Nothing.";
constexpr char16_t kAnyReached[] = u"Запрос списка джокументов по любому типу = Any.\r\nСюда попадать не должны.";

// Send dates bound the list of these two types; every other type is listed by document date.
bool listedBySendDate(const QString& type)
{
    return type == u"Nonformalized"_s || type == u"TrustConnectionRequest"_s;
}

// The last second of a day, as a fraction of a day: the end of a period takes its whole last day.
// Added to the date value, not to a local time, so that a day of a clock change keeps its last hour.
constexpr double kLastSecondOfDay = (23 * 3600 + 59 * 60 + 59) / 86400.0;

} // namespace

AsyncTasks::AsyncTasks(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui)
    : m_options(options)
    , m_clock(clock)
    , m_ui(ui)
    , m_results(m_executedList, clock, kPollPauseMs, m_statistics.pauses,
                {[this] { return m_cancel; },
                 [this] { return !m_executingList.isEmpty() || !m_mainQueue.isEmpty() || retryableCount() > 0; },
                 [this] { return pollPass(); }, [this] { raiseWait(); }})
{
    try {
        m_errors = std::make_unique<mDiadocErrors>(options.utility());
        m_tasksLimit = options.Get_TasksLimit();
        m_selective = options.Get_SelectiveDocTypes() != 0;
    } catch (...) {
        core::PropagateError(kModule, u"Class_Initialize");
    }
}

AsyncTasks::~AsyncTasks() = default;

void AsyncTasks::SetOrg(PersonsCollection& aOrg)
{
    try {
        m_persons = &aOrg;
        if (!m_selective)
            return;
        QList<core::DocTypesProvider*> providers;
        for (const auto& person : aOrg)
            providers.append(person.get());
        auto chosen = std::make_unique<core::KeyedCollection<core::KeyAndName>>();
        for (const core::KeyAndName& type : m_options.Get_DocTypes(providers, true))
            chosen->Add(type, type.Key);
        m_chosenTypes = std::move(chosen);
    } catch (...) {
        core::PropagateError(kModule, u"SetOrg");
    }
}

int AsyncTasks::Count(int aSelect) const
{
    switch (aSelect) {
    case 1:
        return m_mainQueue.Count();
    case 2:
        return m_secondaryQueue.Count();
    case 3:
        return m_executingList.Count();
    case 4:
        return m_executedList.Count();
    case 5:
        return m_dropped;
    default:
        return m_mainQueue.Count() + m_secondaryQueue.Count() + m_executingList.Count() + m_executedList.Count()
               + m_dropped;
    }
}

AsyncTasks::Record AsyncTasks::GetFirstResult()
{
    try {
        return m_results.first();
    } catch (...) {
        core::PropagateError(kModule, u"GetFirstResult");
    }
}

AsyncTasks::Record AsyncTasks::GetNextResult()
{
    try {
        return m_results.next();
    } catch (...) {
        core::PropagateError(kModule, u"GetNextResult");
    }
}

bool AsyncTasks::pollPass()
{
    const qint64 progressBefore = m_progress;
    const bool finished = PushForwardProcess();
    // A pass that neither finished nor started anything (starts held back or failing) waits as
    // well, instead of spinning.
    const bool idle = m_progress == progressBefore;
    return (!m_executingList.isEmpty() && !finished) || idle;
}

bool AsyncTasks::PushForwardProcess()
{
    try {
        const bool finished = РазобратьРаботающиеЗапросы();
        if (!m_cancel && m_executingList.Count() < m_tasksLimit) {
            bool allow = true;
            m_listeners.raise(&AsyncTasksListener::OnAllowNextTaskStart, allow);
            if (allow)
                ЗапуститьОчереднойЗапросИзОчередей();
        }
        return finished;
    } catch (...) {
        core::PropagateError(kModule, u"PushForwardProcess");
    }
}

bool AsyncTasks::ЗапуститьОчереднойЗапросИзОчередей()
{
    try {
        Record rec;
        if (!m_mainQueue.isEmpty()) {
            rec = m_mainQueue.takeAt(0);
            raiseRecord(&AsyncTasksListener::OnRemovedFromMainQueue, rec);
        } else if (retryableCount() > 0) {
            rec = m_secondaryQueue.takeAt(static_cast<std::size_t>(m_failedInSecondary));
            raiseRecord(&AsyncTasksListener::OnRemovedFromSecondaryQueue, rec, m_failedInSecondary + 1);
        } else {
            return false;
        }
        const bool started = ЗапуститьЗапрос(rec);
        if (started) {
            ++m_progress;
            m_startedAt[rec.get()] = m_clock.nowMs();
            m_executingList.append(rec);
            raiseRecord(&AsyncTasksListener::OnAddedInExecutingList, rec);
        } else {
            toSecondaryQueue(rec);
        }
        if (!m_cancel)
            raiseChanged();
        return started;
    } catch (...) {
        core::PropagateError(kModule, u"ЗапуститьОчереднойЗапросИзОчередей");
    }
}

void AsyncTasks::ДобавлениеЗапросовВОчередьByDates(const QString& aKeyОрганизацииВКоллекции,
                                                   const QString& aДепартаментId, const QString& aДепартаментName,
                                                   const QString& aИдентификаторТипаДокументов,
                                                   const QString& aИдентификаторКлассаДокументов,
                                                   const QString& aИдентификаторСтатусаДокументов, int aDaysCount,
                                                   const Variant& aDateFrom, const Variant& aDateTo, bool aTop100,
                                                   bool aWithNoSended)
{
    static_cast<void>(aWithNoSended); // every caller passes False, and it asks for nothing
    try {
        const auto dateOf = [this](const Variant& value) {
            return VbDate::fromDateTime(value.isNull() ? m_clock.currentDateTime() : VbDate::fromVariant(value));
        };
        addByDates(aKeyОрганизацииВКоллекции, aДепартаментId, aДепартаментName, aИдентификаторТипаДокументов,
                   aИдентификаторКлассаДокументов, aИдентификаторСтатусаДокументов, aDaysCount, dateOf(aDateFrom),
                   dateOf(aDateTo), aTop100);
    } catch (...) {
        core::PropagateError(kModule, u"ДобавлениеЗапросовВОчередьByDates");
    }
}

int AsyncTasks::addByDates(const QString& key, const QString& departmentId, const QString& departmentName,
                           const QString& type, const QString& documentClass, const QString& status, int daysCount,
                           double from, double to, bool top100)
{
    int added = 0;
    double start = from;
    while (start <= to && !m_cancel) {
        const double end = daysCount > 0 ? std::min(start + daysCount - 1, to) : to;
        if (type != QStringView(kAny))
            added +=
                AddNewTaskInQueue(key, departmentId, departmentName, type, documentClass, status, start, end, top100)
                    ? 1
                    : 0;
        else
            added += ДобавлениеЗапросовВОчередьByTypes(key, departmentId, departmentName, documentClass, status, start,
                                                       end, top100);
        start = end + 1;
    }
    return added;
}

int AsyncTasks::ДобавлениеЗапросовВОчередьByTypes(const QString& key, const QString& departmentId,
                                                  const QString& departmentName, const QString& documentClass,
                                                  const QString& status, double from, double to, bool top100)
{
    try {
        if (m_persons == nullptr)
            throw core::objectNotSet();
        const auto types = m_persons->Item(key)->CollectionDocumentTypes();
        int added = 0;
        for (int i = 1; i <= types->Count() && !m_cancel; ++i) {
            const QString type = types->Item(i).Key;
            added += AddNewTaskInQueue(key, departmentId, departmentName, type, documentClass, status, from, to, top100)
                         ? 1
                         : 0;
        }
        return added;
    } catch (...) {
        core::PropagateError(kModule, u"ДобавлениеЗапросовВОчередьByTypes");
    }
}

bool AsyncTasks::TypeDocNeedDownload(const QString& typeKey) const
{
    return m_chosenTypes && m_chosenTypes->Contains(typeKey);
}

bool AsyncTasks::AddNewTaskInQueue(const QString& key, const QString& departmentId, const QString& departmentName,
                                   const QString& type, const QString& documentClass, const QString& status,
                                   double from, double to, bool top100)
{
    try {
        if (m_selective && !TypeDocNeedDownload(type))
            return false;
        if (type.isEmpty())
            return false;
        auto rec = std::make_shared<AsyncTskRecord>();
        rec->KeyОрганизацииВКоллекции = key;
        rec->DateFrom = from;
        rec->DateTo = to;
        rec->CategoryType = type;
        rec->CategoryClass = documentClass;
        rec->CategoryStatus = status;
        rec->DepartmentId = departmentId;
        rec->DepartmentName = departmentName;
        rec->Top100 = top100;
        rec->ExcludeSubdepartments = true;
        rec->State = 0;

        m_mainQueue.append(rec);
        raiseRecord(&AsyncTasksListener::OnAddedInMainQueue, rec);
        raiseChanged();
        if (!m_cancel)
            PushForwardProcess();
        return true;
    } catch (...) {
        core::PropagateError(kModule, u"AddNewTaskInQueue");
    }
}

bool AsyncTasks::ЗапуститьЗапрос(const Record& rec)
{
    try {
        ++m_attempts[rec.get()];
        ++m_statistics.starts;
        std::shared_ptr<platform::diadoc::DiadocDocumentsTask> task;
        try {
            if (m_persons == nullptr)
                throw core::objectNotSet();
            const auto organization = m_persons->Item(rec->KeyОрганизацииВКоллекции)->DiadocOrganization;
            if (!organization)
                throw core::objectNotSet();
            task = organization->GetDocumentsTask();
            if (!task)
                throw core::objectNotSet();
        } catch (...) {
            // The whole attempt is recorded, so that no error of an earlier attempt stays behind.
            const core::Error error = core::currentError();
            rec->beginAttempt();
            rec->storeError(error, QString::fromUtf16(kPlaceGetDocumentsTask), 9);
            return false;
        }

        if (rec->CategoryType == QStringView(kAny))
            core::mOther::iMsgBox(m_ui, QString::fromUtf16(kAnyReached), core::msgbox::vbOKOnly);

        if (listedBySendDate(rec->CategoryType)) {
            if (rec->DateFrom != 0)
                task->setFromSendDate(VbDate::toDateTime(rec->DateFrom));
            if (rec->DateTo != 0)
                task->setToSendDate(VbDate::toDateTime(rec->DateTo + kLastSecondOfDay));
        } else {
            task->setFromDocumentDate(VbDate::toDateTime(rec->DateFrom));
            task->setToDocumentDate(VbDate::toDateTime(rec->DateTo));
        }
        QString category = rec->CategoryType + u'.' + rec->CategoryClass;
        if (!rec->CategoryStatus.isEmpty())
            category += u' ' + rec->CategoryStatus;
        task->setCategory(category);
        task->setDepartmentId(rec->DepartmentId);
        task->setExcludeSubdepartments(rec->ExcludeSubdepartments);
        task->setTop100(rec->Top100);
        return InitNewTask(*task, rec);
    } catch (...) {
        core::PropagateError(kModule, u"ЗапуститьЗапрос");
    }
}

bool AsyncTasks::InitNewTask(platform::diadoc::DiadocDocumentsTask& task, const Record& rec)
{
    try {
        rec->beginAttempt();
        std::shared_ptr<platform::diadoc::DiadocAsyncResult> operation;
        try {
            operation = task.GetDocumentsAsync();
        } catch (...) {
            const core::Error error = core::currentError();
            const QVariant text(error.description());
            const bool retried =
                m_errors->RangError(text, QString::fromUtf16(kInvalidTypesPrefix),
                                    QString::fromUtf16(kInvalidTypesPhrase), QString())
                    == 1
                || m_errors->RangError(text, QString::fromUtf16(kBadVariantAccess), QString(), QString()) == 1;
            // A retried error leaves the fields clear, unless this was the last attempt: then the
            // request ends failed and keeps the error for the protocols.
            if (!retried || attemptsExhausted(rec))
                rec->storeError(error, QString::fromUtf16(kPlaceGetDocumentsAsync), 9);
            return false;
        }
        if (operation) {
            rec->TaskObject = std::move(operation);
            rec->State = 3;
            return true;
        }
        rec->storeFailure(QString::fromUtf16(kNothingStarted), QString::fromUtf16(kPlaceGetDocumentsAsync), 9);
        return false;
    } catch (...) {
        core::PropagateError(kModule, u"InitNewTask");
    }
}

bool AsyncTasks::РазобратьРаботающиеЗапросы()
{
    try {
        bool result = false;
        // Events may add, start and read requests: the size is read again on every pass and no
        // reference into a list is held across an event.
        std::size_t i = 0;
        while (i < m_executingList.size() && !m_cancel) {
            const Record rec = m_executingList.at(i);
            ++m_statistics.polls;
            const bool running = rec->TaskObject && !rec->TaskObject->IsCompleted();
            if (running && !timedOut(rec)) {
                ++i;
                continue;
            }
            takeFromExecuting(i, rec);
            if (running) {
                judgeTimedOut(rec);
                raiseChanged();
                continue;
            }
            judgeResult(rec);
            const bool listed = rec->State == 4;
            if (listed) {
                toExecutedList(rec);
                result = true;
            }
            raiseChanged();
            if (!m_cancel && listed)
                raiseRecord(&AsyncTasksListener::OnExecutedTask, rec);
        }
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"РазобратьРаботающиеЗапросы");
    }
}

void AsyncTasks::takeFromExecuting(std::size_t index, const Record& rec)
{
    m_executingList.takeAt(index);
    m_startedAt.erase(rec.get());
    ++m_progress;
    raiseRecord(&AsyncTasksListener::OnRemovedFromExecutingList, rec);
    rec->beginAttempt();
}

void AsyncTasks::judgeTimedOut(const Record& rec)
{
    // The operation is let go: its list, should it still come, is not waited for.
    rec->TaskObject.reset();
    rec->storeFailure(QString::fromUtf16(kOperationTimeOutText), QString::fromUtf16(kPlaceCompleted), 2);
    ++m_timeOuts[rec.get()];
    toSecondaryQueue(rec);
}

void AsyncTasks::judgeResult(const Record& rec)
{
    const QString place = QString::fromUtf16(kPlaceResult);
    Variant value;
    std::optional<core::Error> readError;
    try {
        value = rec->TaskObject ? rec->TaskObject->Result() : Variant::nothing();
    } catch (...) {
        readError = core::currentError();
    }

    if (readError) {
        rec->storeError(*readError, place, 2);
        const bool invalidTypes =
            m_errors->RangError(QVariant(readError->description()), QString::fromUtf16(kInvalidTypesPrefix),
                                QString::fromUtf16(kInvalidTypesPhrase), QString())
            == 1;
        if (invalidTypes)
            drop(rec);
        else
            toSecondaryQueue(rec);
    } else if (!value.isObject()) {
        rec->storeFailure(QString::fromUtf16(kResultNotObject), place, 2);
        toSecondaryQueue(rec);
    } else if (value.isNothing()) {
        rec->storeFailure(QString::fromUtf16(kResultNothing), place, 2);
        toSecondaryQueue(rec);
    } else {
        const auto list = value.as<platform::diadoc::DiadocList>();
        if (!list)
            throw core::Error(kNoSuchMember, u"Object doesn't support this property or method"_s);
        takeList(rec, list->Count());
    }
}

void AsyncTasks::takeList(const Record& rec, int documents)
{
    rec->DocumentsCount = documents;
    if (documents == 0) {
        drop(rec);
    } else if (documents >= kTop && rec->Top100 && askAgainInPieces(*rec) > 0) {
        // A full list of the first hundred is asked for again in smaller pieces.
        rec->TaskObject.reset();
        forget(rec);
    } else {
        // A list that is whole, or one that nothing could be asked for instead of, stays as it came.
        rec->State = 4;
    }
}

int AsyncTasks::askAgainInPieces(const AsyncTskRecord& rec)
{
    // A piece that cannot be cut further is asked for once more without the limit, so that no
    // document past the hundredth is lost.
    if (rec.CanItemizingByType())
        return ДобавлениеЗапросовВОчередьByTypes(rec.KeyОрганизацииВКоллекции, rec.DepartmentId, rec.DepartmentName,
                                                 rec.CategoryClass, rec.CategoryStatus, rec.DateFrom, rec.DateTo,
                                                 rec.Top100);
    if (rec.CanItemizingByDates()) {
        const int days = std::max(1, static_cast<int>(core::vbRoundHalfEven(rec.DateTo - rec.DateFrom + 1)) / 3);
        return addByDates(rec.KeyОрганизацииВКоллекции, rec.DepartmentId, rec.DepartmentName, rec.CategoryType,
                          rec.CategoryClass, rec.CategoryStatus, days, rec.DateFrom, rec.DateTo, days > 1);
    }
    return AddNewTaskInQueue(rec.KeyОрганизацииВКоллекции, rec.DepartmentId, rec.DepartmentName, rec.CategoryType,
                             rec.CategoryClass, rec.CategoryStatus, rec.DateFrom, rec.DateTo, false)
               ? 1
               : 0;
}

void AsyncTasks::drop(const Record& rec)
{
    rec->TaskObject.reset();
    rec->State = 5;
    ++m_dropped;
    forget(rec);
}

void AsyncTasks::toExecutedList(const Record& rec)
{
    forget(rec);
    m_executedList.append(rec);
    raiseRecord(&AsyncTasksListener::OnAddedInExecutedList, rec);
    m_totalDocuments += rec->DocumentsCount;
}

bool AsyncTasks::timedOut(const Record& rec) const
{
    const auto found = m_startedAt.find(rec.get());
    return found != m_startedAt.end() && m_clock.nowMs() - found->second >= kOperationTimeOutMs;
}

void AsyncTasks::toSecondaryQueue(const Record& rec)
{
    int position = 0;
    if (givenUp(rec)) {
        m_secondaryQueue.insertAt(static_cast<std::size_t>(m_failedInSecondary), rec);
        ++m_failedInSecondary;
        position = m_failedInSecondary;
        forget(rec);
    } else {
        m_secondaryQueue.append(rec);
        position = m_secondaryQueue.Count();
    }
    raiseRecord(&AsyncTasksListener::OnAddedInSecondaryQueue, rec, position);
}

int AsyncTasks::retryableCount() const
{
    return m_secondaryQueue.Count() - m_failedInSecondary;
}

bool AsyncTasks::givenUp(const Record& rec) const
{
    const auto timeOuts = m_timeOuts.find(rec.get());
    return attemptsExhausted(rec) || (timeOuts != m_timeOuts.end() && timeOuts->second >= kTimeOutsBeforeGivingUp);
}

bool AsyncTasks::attemptsExhausted(const Record& rec) const
{
    const auto found = m_attempts.find(rec.get());
    return found != m_attempts.end() && found->second >= kMaxAttempts;
}

void AsyncTasks::forget(const Record& rec)
{
    m_attempts.erase(rec.get());
    m_timeOuts.erase(rec.get());
}

void AsyncTasks::raiseChanged()
{
    m_cancel = m_listeners.raiseCancel(&AsyncTasksListener::OnChanged);
}

void AsyncTasks::raiseWait()
{
    m_cancel = m_listeners.raiseCancel(&AsyncTasksListener::OnWait);
}

template <typename Method, typename... Args>
void AsyncTasks::raiseRecord(Method method, const Record& rec, Args... args)
{
    // The record is passed as a copy of the reference, so that a listener that moves records
    // cannot pull it from under the others.
    const Record held = rec; // NOLINT(performance-unnecessary-copy-initialization): the copy holds the record
    m_listeners.raise(method, held, args...);
}

} // namespace diadoc
