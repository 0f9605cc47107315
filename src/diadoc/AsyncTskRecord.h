#pragma once

#include <memory>

#include <QString>

#include "RecordOutcome.h"

namespace platform::diadoc {
class DiadocAsyncResult;
}

namespace diadoc {

// One asynchronous document-list request: for which organisation, department, period, type and
// class the list is asked, the running operation, how many documents came back, where the request
// stands and its last error. The request queue fills it and owns it through std::shared_ptr;
// listeners receive it by reference.
class AsyncTskRecord final : public RecordOutcome
{
public:
    // Key of the organisation's PersonRecord in the persons collection.
    QString KeyОрганизацииВКоллекции;
    // The operation GetDocumentsAsync returned; empty until a start succeeds.
    std::shared_ptr<platform::diadoc::DiadocAsyncResult> TaskObject;
    // Days since 30 December 1899 (see VbDate); 0 stands for no date.
    double DateFrom = 0.0;
    double DateTo = 0.0;
    // Document type key of Diadoc; "Any" stands for every type.
    QString CategoryType;
    // "Inbound", "Outbound" or "Internal".
    QString CategoryClass;
    QString CategoryStatus;
    QString DepartmentId;
    QString DepartmentName;
    bool ExcludeSubdepartments = false;
    bool Top100 = false;
    // -1 until a result has been read.
    qint32 DocumentsCount = -1;
    // State (of RecordOutcome): 0 new or waiting, 2 unusable result, 3 running, 4 listed, 5 dropped,
    // 9 failed start.

    // The period spans more than one day, so the request can be split into shorter periods.
    bool CanItemizingByDates() const;
    // The request asks for every type ("Any", exactly), so it can be split into one per type.
    bool CanItemizingByType() const;
};

} // namespace diadoc
