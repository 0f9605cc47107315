#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "ProtocolSource.h"

namespace platform::excel {
class Workbook;
class Worksheet;
} // namespace platform::excel

namespace engine {

// The statistics sheet of the Excel protocol: the unloaded documents counted by organisation,
// counterparty and year-and-month, one column per document class, with subtotals and grand totals.
// The workbook files we write cannot hold a live pivot table, so the sheet holds what the pivot
// table over the unloaded sheet would show, laid out in its compact form.
class ExcelProtocolStatistics final
{
public:
    static constexpr char16_t kSheetName[] = u"Статистика";
    static constexpr char16_t kSourceSheetName[] = u"Выгружены";
    static constexpr char16_t kGrandTotal[] = u"Общий итог";
    static constexpr char16_t kBlankItem[] = u"(пусто)";
    // Blanks in front of a row label per level below the outermost.
    static constexpr int kIndentPerLevel = 4;

    // One row of the table: its level among the row fields (0 outermost), its item and the counts
    // per column (the last column is the row's total).
    struct Row
    {
        int level = 0;
        QString label;
        QList<int> counts;
    };
    // The computed table: the column items in their order and the rows, the grand total last.
    struct Table
    {
        QStringList columns;
        QList<Row> rows;
    };

    // Reads the header row and the first recordCount record rows of the source sheet, from column
    // 1 to column 11, or 12 with departments, and counts them. Raises when a field is missing.
    static Table compute(platform::excel::Worksheet& source, int recordCount, bool withDepartments);

    // Adds the sheet after the first sheet, fills it from the unloaded sheet, writes its title
    // with the requested period (the value of summary row 3) and freezes its two heading rows.
    static void write(platform::excel::Workbook& book, const SummaryRows& summary, int recordCount,
                      bool withDepartments);
};

} // namespace engine
