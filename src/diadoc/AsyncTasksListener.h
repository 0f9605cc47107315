#pragma once

#include <memory>

namespace diadoc {

class AsyncTskRecord;

// The events of the document-list request queue. Listeners are called synchronously, in the order
// they were attached, and may call the queue back (even add requests). A cancel flag arrives False
// unless an earlier listener of the same event set it; the queue takes the value left in it.
class AsyncTasksListener
{
public:
    using Record = std::shared_ptr<AsyncTskRecord>;

    virtual ~AsyncTasksListener() = default;

    virtual void OnChanged(bool& rCancel) { static_cast<void>(rCancel); }
    virtual void OnWait(bool& rCancel) { static_cast<void>(rCancel); }
    virtual void OnExecutedTask(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
    // rAllow arrives True; set it False to hold the next start back.
    virtual void OnAllowNextTaskStart(bool& rAllow) { static_cast<void>(rAllow); }
    virtual void OnAddedInMainQueue(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
    virtual void OnRemovedFromMainQueue(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
    // The secondary queue keeps the requests failed for good at its front, before those still to be
    // tried: its two events tell the row the record took or left, counted from 1.
    virtual void OnAddedInSecondaryQueue(const Record& rAsyncTskRecord, int aPosition)
    {
        static_cast<void>(rAsyncTskRecord);
        static_cast<void>(aPosition);
    }
    virtual void OnRemovedFromSecondaryQueue(const Record& rAsyncTskRecord, int aPosition)
    {
        static_cast<void>(rAsyncTskRecord);
        static_cast<void>(aPosition);
    }
    virtual void OnAddedInExecutingList(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
    virtual void OnRemovedFromExecutingList(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
    virtual void OnAddedInExecutedList(const Record& rAsyncTskRecord) { static_cast<void>(rAsyncTskRecord); }
};

} // namespace diadoc
