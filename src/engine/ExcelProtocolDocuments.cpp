#include "ExcelProtocolDocuments.h"

#include "ProtocolTexts.h"
#include "WebAddresses.h"

#include "base/Error.h"
#include "core/VbText.h"
#include "core/mN7Files.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/mDiadocDocuments.h"
#include "diadoc/mDiadocStatusTexts.h"
#include "platform/diadoc/Variant.h"
#include "platform/excel/Hyperlinks.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using diadoc::AsyncDocRecord;
using diadoc::mDiadocStatusTexts;

namespace engine {

namespace {

ExcelProtocolColumns commonColumns()
{
    return {
        {u"Документ"_s, 35, false, true},
        {u"Получен /\r\nотправлен"_s, 11, true, true},
        {u"Организация,\r\nподразделение"_s, 23, false, true},
        {u"Дата\r\nдокумента"_s, 11, true, true},
        {u"Номер\r\nдокумента"_s, 15, false, true},
        {u"Тип\r\nдокумента"_s, 20, false, true},
        {u"Вх. / исх. /\r\nвнутренний"_s, 11, false, true},
        {u"Статусы"_s, 30, false, true},
        {u"Контрагент"_s, 30, false, true},
    };
}

ExcelProtocolColumn linkColumn()
{
    return {u"В Диадок\r\n(id документа)"_s, 46, false, true};
}

} // namespace

diadoc::PersonRecord& protocolPerson(const PersonsCollection* persons, const QString& key)
{
    if (!persons)
        throw core::objectNotSet();
    const std::shared_ptr<diadoc::PersonRecord>& person = persons->Item(key);
    if (!person)
        throw core::objectNotSet();
    return *person;
}

ExcelProtocolDocuments::ExcelProtocolDocuments(const PersonsCollection* persons, QString basePath,
                                               ProtocolFolders* folders)
    : m_persons(persons)
    , m_basePath(std::move(basePath))
    , m_folders(folders)
{
}

QString ExcelProtocolDocuments::sheetName(Sheet sheet)
{
    switch (sheet) {
    case Sheet::Unloaded:
        return u"Выгружены"_s;
    case Sheet::Ignored:
        return u"Не выгружены"_s;
    case Sheet::MainQueue:
        return u"Документы На выгрузку"_s;
    case Sheet::SecondaryQueue:
        return u"Документы На повтор попытки"_s;
    case Sheet::Unloading:
        return u"Документы Выгружаются"_s;
    }
    return {};
}

ExcelProtocolColumns ExcelProtocolDocuments::columns(Sheet sheet) const
{
    ExcelProtocolColumns result = commonColumns();
    switch (sheet) {
    case Sheet::Unloaded:
        result.append({u"Папка\r\n"_s + m_basePath, 50, false, true});
        result.append({u"Год /\r\nмесяц"_s, 11, false, false});
        result.append({u"Организация"_s, 23, false, true});
        result.append(linkColumn());
        break;
    case Sheet::Ignored:
        result.append({u"Причина невыгрузки"_s, 50, false, true});
        result.append(linkColumn());
        break;
    case Sheet::MainQueue:
        break;
    case Sheet::SecondaryQueue:
    case Sheet::Unloading:
        result.append({u"Причина повтора"_s, 50, false, true});
        break;
    }
    return result;
}

bool ExcelProtocolDocuments::writeRow(platform::excel::Worksheet& sheet, int row, Sheet kind,
                                      const AsyncDocRecord& record) const
{
    diadoc::PersonRecord& person = protocolPerson(m_persons, record.KeyОрганизацииВКоллекции);
    const auto cell = [&](int column) { return sheet.Cells(row, column); };

    cell(1).setValue(record.DocumentName);
    // The sending date is read once, for its emptiness and for its year and month: reading it
    // asks the time zone. Blanks around it change nothing, as the date reading trims them itself.
    const QDateTime sent = platform::diadoc::parseDateText(record.Timestamp);
    QString received;
    if (!ProtocolTexts::isDateEmpty(record.Timestamp, sent))
        received = core::Trim(record.Timestamp);
    if (!received.isEmpty())
        cell(2).setValue(received);
    cell(3).setValue(core::Trim(OrganisationText(record, person)));
    cell(4).setValue(core::Trim(record.DocumentDate));
    cell(5).setValue(core::Trim(record.DocumentNumber));
    cell(6).setValue(core::Trim(person.GetDocTypeName(record.TypeNamedId)));
    cell(7).setValue(core::Trim(diadoc::mDiadocDocuments::GetDocClass(record.Direction).Name));
    cell(8).setValue(core::Trim(StatusesText(record)));
    cell(9).setValue(core::Trim(record.Counteragent));

    const QString link = QString::fromUtf16(kDiadocWebAddress) + record.PathURL;
    switch (kind) {
    case Sheet::Unloaded:
        cell(10).setValue(relativeFolder(record.PathForDownload));
        // YearMonthText(received), with the date read above.
        cell(11).setValue(received.isEmpty() ? QString::fromUtf16(kNoYearMonth) : sent.toString(u"yyyy/MM"_s));
        cell(12).setValue(person.Name);
        cell(13).setValue(record.DocumentId);
        sheet.Hyperlinks().Add(cell(13), link);
        break;
    case Sheet::Ignored:
        cell(10).setValue(core::Trim(record.ErrorDescription));
        cell(11).setValue(record.DocumentId);
        sheet.Hyperlinks().Add(cell(11), link);
        break;
    case Sheet::MainQueue:
        break;
    case Sheet::SecondaryQueue:
        cell(10).setValue(core::Trim(record.ErrorDescription));
        break;
    case Sheet::Unloading:
        cell(10).setValue(core::Trim(record.LastErrorDescription));
        break;
    }
    return person.IsChildren;
}

QString ExcelProtocolDocuments::StatusesText(const AsyncDocRecord& record)
{
    return ProtocolTexts::statusesText(record, u";\r\n", true);
}

QString ExcelProtocolDocuments::OrganisationText(const AsyncDocRecord& record, const diadoc::PersonRecord& person)
{
    return ProtocolTexts::organisationText(person, record);
}

QString ExcelProtocolDocuments::YearMonthText(const QString& receivedCell)
{
    if (receivedCell.isEmpty())
        return QString::fromUtf16(kNoYearMonth);
    const QDateTime received = platform::diadoc::parseDateText(receivedCell);
    if (!received.isValid())
        return QString::fromUtf16(kNoYearMonth);
    return received.toString(u"yyyy/MM"_s);
}

QString ExcelProtocolDocuments::relativeFolder(const QString& pathForDownload) const
{
    return core::Trim(ProtocolTexts::relativeFolder(pathForDownload, m_basePath, m_folders));
}

} // namespace engine
