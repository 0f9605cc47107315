#include "AsyncContents.h"

#include <optional>

#include <QScopedValueRollback>

#include "AsyncContentsListener.h"
#include "AsyncDocRecord.h"
#include "AsyncTskRecord.h"
#include "OperationTimeOut.h"
#include "base/Error.h"
#include "core/Clock.h"
#include "core/mErrorHandling.h"
#include "core/mFetchlingOptions.h"
#include "mDiadocErrors.h"
#include "platform/diadoc/DiadocAsyncResult.h"
#include "platform/diadoc/DiadocDocument.h"

using namespace Qt::StringLiterals;

namespace diadoc {

namespace {

constexpr char16_t kModule[] = u"AsyncContents";
constexpr char16_t kPlaceCompleted[] =
    u"AsyncContents.РазобратьРаботающиеЗапросы() - dDoc.AsyncResultContentDoc.IsCompleted";

} // namespace

AsyncContents::AsyncContents(const core::mFetchlingOptions& options, core::Clock& clock, core::UiServices& ui,
                             core::mUnzipper& unzipper, core::mLogFile& log)
    : m_clock(clock)
    , m_ui(ui)
    , m_unzipper(unzipper)
    , m_log(log)
    , m_results(m_unloadedList, clock, kPollPauseMs, m_statistics.pauses,
                {[this] { return m_cancel; },
                 [this] { return !m_mainQueue.isEmpty() || !m_unloadingList.isEmpty() || !m_secondaryQueue.isEmpty(); },
                 [this] { return pollPass(); }, [this] { raiseWait(); }})
{
    try {
        m_errors = std::make_unique<mDiadocErrors>(options.utility());
        m_docsLimit = options.Get_DocsLimit();
    } catch (...) {
        core::PropagateError(kModule, u"Class_Initialize");
    }
}

AsyncContents::~AsyncContents()
{
    // The wait for downloads in flight is the owner's step before it lets the queue go: a waiting
    // clock may let a window's messages through, which must never run inside a destructor. Here
    // the operations are only let go, without a wait.
    try {
        FinishRunningDownloads(0);
    } catch (...) {
        // A queue that goes away has nobody left to tell; its records are released all the same.
    }
}

int AsyncContents::Count(int aSelect) const
{
    switch (aSelect) {
    case 1:
        return m_mainQueue.Count();
    case 2:
        return m_secondaryQueue.Count();
    case 3:
        return m_unloadingList.Count();
    case 4:
        return m_unloadedList.Count();
    case 5:
        return m_ignoredList.Count();
    default:
        return m_mainQueue.Count() + m_secondaryQueue.Count() + m_unloadingList.Count() + m_unloadedList.Count()
               + m_ignoredList.Count();
    }
}

bool AsyncContents::AddNewDocInQueue(const AsyncTskRecord& aTaskRecord,
                                     const std::shared_ptr<platform::diadoc::DiadocDocument>& aDocument,
                                     const QString& aPath, bool aWithProtocol, bool aLoadContentByZip)
{
    try {
        // One document listed by two requests of the run (a node and its department, periods that
        // overlap) is downloaded once; the repeat is shown among the ignored with the reason.
        if (aDocument) {
            const QString key = aDocument->OrganizationId() + u'\n' + aDocument->DocumentId();
            if (!aDocument->DocumentId().isEmpty() && m_taken.contains(key))
                return AddDocInListIgnored(aTaskRecord, aDocument, QString::fromUtf16(kRepeatReason));
            m_taken.insert(key);
        }
        auto rec = std::make_shared<AsyncDocRecord>();
        rec->fillForDownload(aDocument, aTaskRecord, aWithProtocol, aPath, aLoadContentByZip);
        m_folderUsers[folderKey(rec->Path)] += 1;
        m_mainQueue.append(rec);
        raiseRecord(&AsyncContentsListener::OnAddedInMainQueue, rec);
        raiseChanged();
        if (!m_cancel)
            PushForwardProcess();
        return true;
    } catch (...) {
        core::PropagateError(kModule, u"AddNewDocInQueue");
    }
}

bool AsyncContents::AddDocInListIgnored(const AsyncTskRecord& aTaskRecord,
                                        const std::shared_ptr<platform::diadoc::DiadocDocument>& aDocument,
                                        const QString& Reason)
{
    try {
        auto rec = std::make_shared<AsyncDocRecord>();
        if (aDocument)
            rec->fillAsIgnored(*aDocument, aTaskRecord, Reason);
        else
            rec->ErrorDescription = Reason;
        m_ignoredList.append(rec);
        raiseRecord(&AsyncContentsListener::OnAddedInПустыеЗапросы, rec);
        raiseChanged();
        if (!m_cancel)
            PushForwardProcess();
        return true;
    } catch (...) {
        core::PropagateError(kModule, u"AddDocInListIgnored");
    }
}

AsyncContents::Record AsyncContents::GetFirstResult()
{
    try {
        return m_results.first();
    } catch (...) {
        core::PropagateError(kModule, u"GetFirstResult");
    }
}

AsyncContents::Record AsyncContents::GetNextResult()
{
    try {
        return m_results.next();
    } catch (...) {
        core::PropagateError(kModule, u"GetNextResult");
    }
}

bool AsyncContents::pollPass()
{
    const bool accepted = PushForwardProcess();
    return !m_unloadingList.isEmpty() && !accepted;
}

bool AsyncContents::PushForwardProcess()
{
    try {
        const bool result = РазобратьРаботающиеЗапросы();
        if (!m_cancel && m_unloadingList.Count() < m_docsLimit)
            ЗапуститьОчереднойЗапросИзОчередей();
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"PushForwardProcess");
    }
}

void AsyncContents::ЗапуститьОчереднойЗапросИзОчередей()
{
    try {
        Record rec;
        if (!m_mainQueue.isEmpty()) {
            rec = m_mainQueue.takeFirst();
            raiseRecord(&AsyncContentsListener::OnRemovedFromMainQueue, rec);
        } else if (!m_secondaryQueue.isEmpty()) {
            rec = m_secondaryQueue.takeFirst();
            raiseRecord(&AsyncContentsListener::OnRemovedFromSecondaryQueue, rec);
        } else {
            return;
        }
        if (ЗапуститьЗапрос(rec) == 2) {
            toIgnoredList(rec);
        } else {
            m_startedAt[rec.get()] = m_clock.nowMs();
            m_unloadingList.append(rec);
            raiseRecord(&AsyncContentsListener::OnAddedInUnloadingList, rec);
        }
        if (!m_cancel)
            raiseChanged();
    } catch (...) {
        core::PropagateError(kModule, u"ЗапуститьОчереднойЗапросИзОчередей");
    }
}

bool AsyncContents::РазобратьРаботающиеЗапросы()
{
    try {
        if (m_busy)
            return false;
        const QScopedValueRollback<bool> guard(m_busy, true);
        bool result = false;
        std::size_t position = 0;
        while (position < m_unloadingList.size() && !m_cancel) {
            const Record rec = m_unloadingList.at(position);
            Verdict verdict = Verdict::Secondary;
            if (!rec->AsyncResultContentDoc) {
                // Its start failed: the start's error is its outcome, there is no download to ask.
                verdict = judgeFailedStart(rec);
            } else {
                ++m_statistics.polls;
                if (rec->AsyncResultContentDoc->IsCompleted())
                    verdict = judgeCompleted(rec);
                else if (timedOut(rec))
                    verdict = judgeTimedOut(rec);
                else {
                    ++position;
                    continue;
                }
            }
            switch (verdict) {
            case Verdict::Secondary:
                toSecondaryQueue(rec);
                break;
            case Verdict::Ignored:
                toIgnoredList(rec);
                break;
            case Verdict::Unloaded: {
                QString reason;
                m_listeners.raise(&AsyncContentsListener::OnBeforeAddInUnloadedList, rec, reason);
                if (reason.isEmpty()) {
                    m_unloadedList.append(rec);
                    raiseRecord(&AsyncContentsListener::OnAddedInUnloadedList, rec);
                    result = true;
                } else {
                    rec->DiadocDocument.reset();
                    rec->ErrorDescription = reason;
                    ++m_failed;
                    m_ignoredList.append(rec);
                    raiseRecord(&AsyncContentsListener::OnAddedInПустыеЗапросы, rec);
                }
                forget(rec);
                break;
            }
            }
            m_startedAt.erase(rec.get());
            m_unloadingList.remove(rec, position);
            raiseRecord(&AsyncContentsListener::OnRemovedFromUnloadingList, rec);
            raiseChanged();
            if (!m_cancel)
                ЗапуститьОчереднойЗапросИзОчередей();
        }
        return result;
    } catch (...) {
        core::PropagateError(kModule, u"РазобратьРаботающиеЗапросы");
    }
}

void AsyncContents::StartWhenNoneInFlight()
{
    try {
        if (m_busy)
            return;
        // Every start takes one document out of a queue, into the unloading list or among the
        // ignored, so the loop ends.
        while (!m_cancel && m_unloadingList.isEmpty() && (!m_mainQueue.isEmpty() || !m_secondaryQueue.isEmpty()))
            ЗапуститьОчереднойЗапросИзОчередей();
    } catch (...) {
        core::PropagateError(kModule, u"StartWhenNoneInFlight");
    }
}

void AsyncContents::FinishRunningDownloads(int maxWaitMs)
{
    try {
        const qint64 deadline = m_clock.nowMs() + maxWaitMs;
        for (;;) {
            bool running = false;
            for (const Record& rec : m_unloadingList) {
                if (rec->AsyncResultContentDoc && !rec->AsyncResultContentDoc->IsCompleted())
                    running = true;
            }
            if (!running || m_clock.nowMs() >= deadline)
                break;
            m_clock.sleep(kPollPauseMs);
        }
        for (const Record& rec : m_unloadingList)
            rec->AsyncResultContentDoc.reset();
        m_contentAtStart.clear();
        m_inSharedFolder.clear();
        m_startedAt.clear();
    } catch (...) {
        core::PropagateError(kModule, u"FinishRunningDownloads");
    }
}

bool AsyncContents::timedOut(const Record& rec) const
{
    const auto found = m_startedAt.find(rec.get());
    return found != m_startedAt.end() && m_clock.nowMs() - found->second >= kOperationTimeOutMs;
}

AsyncContents::Verdict AsyncContents::judgeTimedOut(const Record& aRec)
{
    AsyncDocRecord& rec = *aRec;
    rec.beginAttempt();
    rec.storeFailure(QString::fromUtf16(kOperationTimeOutText), QString::fromUtf16(kPlaceCompleted), 9);
    ++m_timeOuts[aRec.get()];
    // The operation is let go: whatever it may still write is not waited for nor judged.
    rec.AsyncResultContentDoc.reset();
    m_contentAtStart.remove(aRec.get());
    return retryOrGiveUp(aRec);
}

void AsyncContents::toSecondaryQueue(const Record& rec)
{
    m_secondaryQueue.append(rec);
    raiseRecord(&AsyncContentsListener::OnAddedInSecondaryQueue, rec);
}

void AsyncContents::toIgnoredList(const Record& rec)
{
    ++m_failed;
    m_ignoredList.append(rec);
    raiseRecord(&AsyncContentsListener::OnAddedInПустыеЗапросы, rec);
    forget(rec);
}

void AsyncContents::forget(const Record& rec)
{
    m_attempts.erase(rec.get());
    m_timeOuts.erase(rec.get());
}

void AsyncContents::raiseChanged()
{
    m_cancel = m_listeners.raiseCancel(&AsyncContentsListener::OnChanged);
}

void AsyncContents::raiseWait()
{
    m_cancel = m_listeners.raiseCancel(&AsyncContentsListener::OnWait);
}

void AsyncContents::raiseBadUnloadDoc()
{
    m_cancel = m_listeners.raiseCancel(&AsyncContentsListener::OnBadUnloadDoc);
}

template <typename Method> void AsyncContents::raiseRecord(Method method, const Record& rec)
{
    m_listeners.raise(method, rec);
}

} // namespace diadoc
