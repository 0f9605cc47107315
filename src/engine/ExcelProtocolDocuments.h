#pragma once

#include <QString>

#include "ExcelProtocolColumns.h"
#include "ProtocolSource.h"

namespace platform::excel {
class Worksheet;
}

namespace engine {

// The five document sheets of the Excel protocol: their columns and one record's row. The
// statistics sheet groups by the year-and-month text of the unloaded sheet, which is written here
// as a computed text rather than as a spreadsheet formula.
class ExcelProtocolDocuments final
{
public:
    enum class Sheet
    {
        Unloaded,
        Ignored,
        MainQueue,
        SecondaryQueue,
        Unloading,
    };

    // The Diadoc web interface (scheme and host, no trailing slash); a document's PathURL follows it.
    // The year and month of a document without a sending date.
    static constexpr char16_t kNoYearMonth[] = u"0000/00";

    // basePath is the run's base unload folder: the folder column shows the part after it.
    // With folders, the download folders are asked about as ProtocolTexts::relativeFolder tells.
    ExcelProtocolDocuments(const PersonsCollection* persons, QString basePath, ProtocolFolders* folders = nullptr);

    static QString sheetName(Sheet sheet);
    ExcelProtocolColumns columns(Sheet sheet) const;

    // Writes the record's cells into the row in column order. Answers whether the record's
    // organisation has departments.
    bool writeRow(platform::excel::Worksheet& sheet, int row, Sheet kind, const diadoc::AsyncDocRecord& record) const;

    // The roaming, revocation, document, recipient-response and sender-signature texts, each
    // joined to the one before by ";" and CR LF when both are non-empty; the roaming description
    // follows the roaming text in brackets.
    static QString StatusesText(const diadoc::AsyncDocRecord& record);
    // The organisation's name with the department, or ", Головное подразделение" for a document
    // of an organisation with departments that names none.
    static QString OrganisationText(const diadoc::AsyncDocRecord& record, const diadoc::PersonRecord& person);
    // "yyyy/mm" of the sending date as column 2 shows it; kNoYearMonth when the column is empty.
    static QString YearMonthText(const QString& receivedCell);

private:
    QString relativeFolder(const QString& pathForDownload) const;

    const PersonsCollection* m_persons;
    QString m_basePath;
    ProtocolFolders* m_folders = nullptr;
};

// The organisation record of a protocol row: the one keyed by the record's organisation key.
// Raises when there is no such organisation (or no collection at all).
diadoc::PersonRecord& protocolPerson(const PersonsCollection* persons, const QString& key);

} // namespace engine
