#pragma once

#include <memory>

namespace diadoc {
class AsyncContents;
class AsyncTasks;
class AsyncTskRecord;
} // namespace diadoc

namespace engine {

// The events of the unloading engine, in the order the main window binds to them. Listeners are
// called synchronously, in the order they were attached. A cancel flag is handed on from listener
// to listener; a True answer of a relayed event (2 to 5) stops the queue and the engine together.
class FetchlingListener
{
public:
    virtual ~FetchlingListener() = default;

    // 1. A list request finished with its document list, before its documents are queued.
    virtual void OnExecutedTask(const std::shared_ptr<diadoc::AsyncTskRecord>& aAsyncTskRecord)
    {
        static_cast<void>(aAsyncTskRecord);
    }
    // 2. The run's request queue was created or changed.
    virtual void OnChangedTasks(diadoc::AsyncTasks& aTasks, bool& rCancel)
    {
        static_cast<void>(aTasks);
        static_cast<void>(rCancel);
    }
    // 3. The run's download queue was created or changed.
    virtual void OnChangedDocs(diadoc::AsyncContents& aDocs, bool& rCancel)
    {
        static_cast<void>(aDocs);
        static_cast<void>(rCancel);
    }
    // 4. Either queue waits for its running operations.
    virtual void OnWait(bool& rCancel) { static_cast<void>(rCancel); }
    // 5. The folder of a failed download was moved aside; the count of such folders in this run.
    virtual void OnBadUnloadDoc(int& aСчётчикУдаленийПапок, bool& rCancel)
    {
        static_cast<void>(aСчётчикУдаленийПапок);
        static_cast<void>(rCancel);
    }
    // 6 to 14. Begin, per-row step and end of each protocol.
    virtual void OnBeginHtmlProtocol() {}
    virtual void StepChangeHtmlProtocol(int StepCount, int NumberStep, bool& rCancel)
    {
        static_cast<void>(StepCount);
        static_cast<void>(NumberStep);
        static_cast<void>(rCancel);
    }
    virtual void OnEndHtmlProtocol() {}
    virtual void OnBeginExcelProtocol() {}
    virtual void StepChangeExcelProtocol(int StepCount, int NumberStep, bool& rCancel)
    {
        static_cast<void>(StepCount);
        static_cast<void>(NumberStep);
        static_cast<void>(rCancel);
    }
    virtual void OnEndExcelProtocol() {}
    virtual void OnBeginCsvProtocol() {}
    virtual void StepChangeCsvProtocol(int StepCount, int NumberStep, bool& rCancel)
    {
        static_cast<void>(StepCount);
        static_cast<void>(NumberStep);
        static_cast<void>(rCancel);
    }
    virtual void OnEndCsvProtocol() {}
};

} // namespace engine
