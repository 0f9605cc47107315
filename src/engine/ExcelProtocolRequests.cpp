#include "ExcelProtocolRequests.h"

#include "ExcelProtocolDocuments.h"
#include "core/VbText.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/VbDate.h"
#include "diadoc/mDiadocDocuments.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using diadoc::AsyncTskRecord;

namespace engine {

namespace {

QString dayText(double day)
{
    return diadoc::VbDate::toDateTime(day).toString(u"dd.MM.yyyy"_s);
}

} // namespace

ExcelProtocolRequests::ExcelProtocolRequests(const PersonsCollection* persons)
    : m_persons(persons)
{
}

QString ExcelProtocolRequests::sheetName(Sheet sheet)
{
    switch (sheet) {
    case Sheet::Executed:
        return u"Запросы списков Выполнены"_s;
    case Sheet::Executing:
        return u"Запросы списков Выполненяются"_s;
    case Sheet::SecondaryQueue:
        return u"Запросы списков На повтор"_s;
    case Sheet::MainQueue:
        return u"Запросы списков На запуск"_s;
    }
    return {};
}

ExcelProtocolColumns ExcelProtocolRequests::columns(Sheet sheet)
{
    ExcelProtocolColumns result{
        {u"Организация, подразделение"_s, 23, false, true},
        {u"Период"_s, 11, false, true},
        {u"Тип\r\nдокументов"_s, 23, false, true},
        {u"Вх. / исх. /\r\nвнутренний"_s, 11, false, true},
        {u"Статусы"_s, 30, false, true},
    };
    switch (sheet) {
    case Sheet::Executed:
        result.append({u"Количество\r\nдокументов"_s, 13, true, true});
        break;
    case Sheet::Executing:
    case Sheet::SecondaryQueue:
        result.append({u"Причина\r\nповтора"_s, 50, false, true});
        break;
    case Sheet::MainQueue:
        break;
    }
    return result;
}

void ExcelProtocolRequests::writeRow(platform::excel::Worksheet& sheet, int row, Sheet kind,
                                     const AsyncTskRecord& record) const
{
    diadoc::PersonRecord& person = protocolPerson(m_persons, record.KeyОрганизацииВКоллекции);
    const auto cell = [&](int column) { return sheet.Cells(row, column); };

    cell(1).setValue(core::Trim(OrganisationText(record, person)));
    cell(2).setValue(core::Trim(PeriodText(record)));
    cell(3).setValue(core::Trim(person.GetDocTypeName(record.CategoryType)));
    cell(4).setValue(core::Trim(diadoc::mDiadocDocuments::GetDocClass(record.CategoryClass).Name));
    QString statuses = diadoc::mDiadocStatusTexts::TranslateStatus(record.CategoryStatus);
    if (statuses.isEmpty())
        statuses = QString::fromUtf16(kAnyStatus);
    cell(5).setValue(core::Trim(statuses));

    switch (kind) {
    case Sheet::Executed:
        cell(6).setValue(QString::number(record.DocumentsCount));
        break;
    case Sheet::Executing:
        cell(6).setValue(core::Trim(record.LastErrorDescription));
        break;
    case Sheet::SecondaryQueue:
        if (const QString error = ErrorText(record); !error.isEmpty())
            cell(6).setValue(core::Trim(error));
        break;
    case Sheet::MainQueue:
        break;
    }
}

QString ExcelProtocolRequests::OrganisationText(const AsyncTskRecord& record, const diadoc::PersonRecord& person)
{
    if (!record.DepartmentId.isEmpty())
        return core::Trim(person.Name) + u", "_s + record.DepartmentName;
    return person.Name;
}

QString ExcelProtocolRequests::PeriodText(const AsyncTskRecord& record)
{
    if (record.DateFrom == 0.0 && record.DateTo == 0.0)
        return {};
    QString text = dayText(record.DateFrom);
    if (record.DateFrom != record.DateTo)
        text += u" - "_s + dayText(record.DateTo);
    return text;
}

QString ExcelProtocolRequests::ErrorText(const AsyncTskRecord& record)
{
    const QString text = record.ErrorNumber + u" | "_s + record.ErrorDescription + u" | "_s + record.ErrorSource
                         + u" | "_s + record.ErrorPlace;
    return text == u" |  |  | "_s ? QString() : text;
}

} // namespace engine
