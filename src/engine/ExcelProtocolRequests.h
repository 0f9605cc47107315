#pragma once

#include <QString>

#include "ExcelProtocolColumns.h"
#include "ProtocolSource.h"

namespace platform::excel {
class Worksheet;
}

namespace engine {

// The four request sheets of the Excel protocol: their columns and one list request's row.
class ExcelProtocolRequests final
{
public:
    enum class Sheet
    {
        Executed,
        Executing,
        SecondaryQueue,
        MainQueue,
    };

    // The statuses text of a request that asks for documents in any state.
    static constexpr char16_t kAnyStatus[] = u"любой";

    explicit ExcelProtocolRequests(const PersonsCollection* persons);

    static QString sheetName(Sheet sheet);
    static ExcelProtocolColumns columns(Sheet sheet);

    // Writes the record's cells into the row in column order.
    void writeRow(platform::excel::Worksheet& sheet, int row, Sheet kind, const diadoc::AsyncTskRecord& record) const;

    // The organisation's name, with ", " and the department's name when the request is for a
    // department (by its identifier).
    static QString OrganisationText(const diadoc::AsyncTskRecord& record, const diadoc::PersonRecord& person);
    // "dd.mm.yyyy", or "dd.mm.yyyy - dd.mm.yyyy" for a period of different dates; empty without dates.
    static QString PeriodText(const diadoc::AsyncTskRecord& record);
    // The four error fields joined by " | "; empty when all four are empty.
    static QString ErrorText(const diadoc::AsyncTskRecord& record);

private:
    const PersonsCollection* m_persons;
};

} // namespace engine
