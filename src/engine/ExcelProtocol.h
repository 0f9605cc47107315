#pragma once

#include <QString>

#include "ExcelProtocolColumns.h"
#include "ProtocolSource.h"

namespace platform::excel {
class Workbook;
class Worksheet;
} // namespace platform::excel

namespace engine {

// Fills the Excel protocol workbook of a finished or stopped run: the summary rows, one sheet per
// non-empty list of the download queue and of the request queue, and the statistics of the
// unloaded documents. It never creates, saves or closes the workbook; a failure comes back as text.
class ExcelProtocol final
{
public:
    static constexpr char16_t kFailureHeading[] = u"Не удалось сформировать протокол выгрузки в формате Excel-файла.";
    static constexpr char16_t kCancelledText[] = u"Формирование протоокола выгрузки прервано пользователем.";

    ExcelProtocol(const ProtocolSource& source, ProtocolProgress& progress);

    // Fills the workbook, whose sheets 1 to 3 are "Итоги", "Выгружены" and "Не выгружены". Answers
    // an empty text when the workbook was filled to the end or the filling was cancelled through
    // the step event, else the failure text; it raises nothing.
    QString WriteProtocolExcel(platform::excel::Workbook& aBook, const SummaryRows& aAddText);

    // The text returned for an error with the number and description, raised at the line.
    static QString failureText(int line, int number, const QString& description);

private:
    // Raises the step event; true when the receiver asked to stop.
    bool step();
    // Takes the list sheet (by position, or added after the last sheet and named) as the current
    // sheet and writes its header row and column formats.
    void beginListSheet(platform::excel::Workbook& book, int position, const QString& name,
                        const ExcelProtocolColumns& columns);
    // Formats the record row that follows the current row and makes it the current row.
    int nextRecordRow();
    // Keeps the caller's line for the failure text. The builtin stands in for std::source_location,
    // which clang 14 cannot compile over the installed standard library.
    void mark(int line = __builtin_LINE()) { m_line = line; }

    bool writeSheets(platform::excel::Workbook& book, const SummaryRows& summary);

    const ProtocolSource& m_source;
    ProtocolProgress& m_progress;

    int m_stepCount = 0;
    int m_numberStep = 1;
    bool m_cancel = false;
    platform::excel::Worksheet* m_sheet = nullptr;
    int m_row = 0;
    bool m_departments = false;
    int m_line = 0;
};

} // namespace engine
