#pragma once

#include <memory>

#include <QList>
#include <QString>
#include <QStringList>

#include "core/KeyedCollection.h"

namespace diadoc {
class AsyncDocRecord;
class AsyncTskRecord;
class PersonRecord;
} // namespace diadoc

namespace engine {

class ProtocolFolders;

using PersonsCollection = core::KeyedCollection<std::shared_ptr<diadoc::PersonRecord>>;
using DocRecordList = QList<std::shared_ptr<diadoc::AsyncDocRecord>>;
using TaskRecordList = QList<std::shared_ptr<diadoc::AsyncTskRecord>>;

// One summary row of a protocol's heading: a caption and its value.
struct SummaryRow
{
    QString caption;
    QString value;
};
using SummaryRows = QList<SummaryRow>;

// What the protocol writers read of a finished or stopped run: the base unload folder, the
// organisations and the lists of both queues, each in its own order. The engine fills it from its
// queues when a protocol is asked for; the writers change nothing in it.
struct ProtocolSource
{
    QString path; // the base unload folder of the run, as the engine's Path gives it
    const PersonsCollection* persons = nullptr;
    // The download folders the protocols of the run already asked the disk about; without it each
    // writer asks the disk about every folder itself.
    ProtocolFolders* folders = nullptr;

    DocRecordList unloadedList;
    DocRecordList ignoredList;
    DocRecordList docsMainQueue;
    DocRecordList docsSecondaryQueue;
    DocRecordList unloadingList;

    TaskRecordList executedList;
    TaskRecordList executingList;
    TaskRecordList tasksSecondaryQueue;
    TaskRecordList tasksMainQueue;
};

// The begin, step and end events of one protocol writer; the engine relays them as its own
// On…Protocol events. A receiver that sets rCancel ends the writing.
class ProtocolProgress
{
public:
    virtual ~ProtocolProgress() = default;
    virtual void OnBegin() {}
    virtual void StepChange(int StepCount, int NumberStep, bool& rCancel)
    {
        (void)StepCount;
        (void)NumberStep;
        (void)rCancel;
    }
    virtual void OnEnd() {}
};

} // namespace engine
