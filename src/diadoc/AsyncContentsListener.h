#pragma once

#include <memory>

#include <QString>

namespace diadoc {

class AsyncDocRecord;

// The events of the content download queue. Listeners are called synchronously, in the order they
// were attached, and may call the queue back. A cancel flag arrives False unless an earlier
// listener of the same event set it; the queue takes the value left in it.
class AsyncContentsListener
{
public:
    using Record = std::shared_ptr<AsyncDocRecord>;

    virtual ~AsyncContentsListener() = default;

    virtual void OnChanged(bool& rCancel) { static_cast<void>(rCancel); }
    virtual void OnWait(bool& rCancel) { static_cast<void>(rCancel); }
    // The folder of a download that failed to start was moved aside.
    virtual void OnBadUnloadDoc(bool& rCancel) { static_cast<void>(rCancel); }
    virtual void OnAddedInMainQueue(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnRemovedFromMainQueue(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnAddedInSecondaryQueue(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnRemovedFromSecondaryQueue(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnAddedInUnloadingList(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnRemovedFromUnloadingList(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    // A completed download is about to be filed as unloaded; a non-empty reason refuses it.
    virtual void OnBeforeAddInUnloadedList(const Record& rDocRecord, QString& rCancelReason)
    {
        static_cast<void>(rDocRecord);
        static_cast<void>(rCancelReason);
    }
    virtual void OnAddedInUnloadedList(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
    virtual void OnAddedInПустыеЗапросы(const Record& rDocRecord) { static_cast<void>(rDocRecord); }
};

} // namespace diadoc
