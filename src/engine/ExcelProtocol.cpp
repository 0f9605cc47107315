#include "ExcelProtocol.h"

#include "ExcelProtocolDocuments.h"
#include "ExcelProtocolRequests.h"
#include "ExcelProtocolStatistics.h"
#include "base/Error.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using platform::excel::Worksheet;
using platform::excel::XlHAlign;
using platform::excel::XlVAlign;

namespace engine {

namespace {

constexpr char16_t kCrLf[] = u"\r\n";
constexpr double kListRowHeight = 30;

} // namespace

ExcelProtocol::ExcelProtocol(const ProtocolSource& source, ProtocolProgress& progress)
    : m_source(source)
    , m_progress(progress)
{
}

QString ExcelProtocol::failureText(int line, int number, const QString& description)
{
    return QString::fromUtf16(kFailureHeading) + kCrLf + kCrLf + u"Произошла ошибка:"_s + kCrLf + u"Fetchling"_s
           + u".WriteProtocolExcel"_s + kCrLf + u"Строка = "_s + QString::number(line) + kCrLf + u".Number = "_s
           + QString::number(number) + kCrLf + u".Description = \""_s + description + u"\"."_s;
}

QString ExcelProtocol::WriteProtocolExcel(platform::excel::Workbook& aBook, const SummaryRows& aAddText)
{
    m_stepCount = 0;
    m_numberStep = 1;
    m_cancel = false;
    m_sheet = nullptr;
    m_row = 0;
    m_departments = false;
    m_line = 0;
    try {
        mark();
        m_progress.OnBegin();
        writeSheets(aBook, aAddText);
        if (m_cancel) {
            mark();
            m_sheet->Cells(m_row + 1, 1).setValue(QString::fromUtf16(kCancelledText));
        }
        m_sheet = nullptr;
        mark();
        m_progress.OnEnd();
        return {};
    } catch (...) {
        // What was written stays in the workbook; the caller shows the text and saves nothing.
        const core::Error error = core::currentError();
        m_sheet = nullptr;
        return failureText(m_line, error.number(), error.description());
    }
}

bool ExcelProtocol::step()
{
    m_progress.StepChange(m_stepCount, m_numberStep, m_cancel);
    return m_cancel;
}

void ExcelProtocol::beginListSheet(platform::excel::Workbook& book, int position, const QString& name,
                                   const ExcelProtocolColumns& columns)
{
    platform::excel::Sheets& sheets = book.Sheets();
    mark();
    if (position > 0) {
        m_sheet = &sheets.Item(position);
    } else {
        Worksheet& added = sheets.Add(platform::excel::After{sheets.Item(sheets.Count())});
        mark();
        added.setName(name);
        m_sheet = &added;
    }
    Worksheet& sheet = *m_sheet;
    mark();
    for (int column = 1; column <= columns.size(); ++column)
        sheet.Cells(1, column).setValue(columns[column - 1].header);
    for (int column = 1; column <= columns.size(); ++column) {
        sheet.Columns(column).setColumnWidth(columns[column - 1].width);
        if (columns[column - 1].centre)
            sheet.Columns(column).setHorizontalAlignment(XlHAlign::Center);
    }
    for (int column = 1; column <= columns.size(); ++column) {
        if (columns[column - 1].text)
            sheet.Columns(column).setNumberFormat(u"@"_s);
    }
    mark();
    sheet.Rows(1).setWrapText(true);
    sheet.Rows(1).setHorizontalAlignment(XlHAlign::Center);
    sheet.Rows(1).setVerticalAlignment(XlVAlign::Center);
    sheet.Rows(1).setRowHeight(kListRowHeight);
    sheet.Rows(1).Font().setBold(true);
}

int ExcelProtocol::nextRecordRow()
{
    ++m_row;
    mark();
    m_sheet->Rows(m_row).setWrapText(true);
    m_sheet->Rows(m_row).setRowHeight(kListRowHeight);
    m_sheet->Rows(m_row).setVerticalAlignment(XlVAlign::Center);
    return m_row;
}

bool ExcelProtocol::writeSheets(platform::excel::Workbook& book, const SummaryRows& summary)
{
    using DocSheet = ExcelProtocolDocuments::Sheet;
    using TaskSheet = ExcelProtocolRequests::Sheet;
    const ProtocolSource& s = m_source;

    struct DocumentSheet
    {
        DocSheet kind;
        const DocRecordList& list;
        int position; // 0: added after the last sheet
    };
    const DocumentSheet documentSheets[] = {
        {DocSheet::Unloaded, s.unloadedList, 2},   {DocSheet::Ignored, s.ignoredList, 3},
        {DocSheet::MainQueue, s.docsMainQueue, 0}, {DocSheet::SecondaryQueue, s.docsSecondaryQueue, 0},
        {DocSheet::Unloading, s.unloadingList, 0},
    };
    struct RequestSheet
    {
        TaskSheet kind;
        const TaskRecordList& list;
    };
    const RequestSheet requestSheets[] = {
        {TaskSheet::Executed, s.executedList},
        {TaskSheet::Executing, s.executingList},
        {TaskSheet::SecondaryQueue, s.tasksSecondaryQueue},
        {TaskSheet::MainQueue, s.tasksMainQueue},
    };

    qsizetype records = 0;
    for (const DocumentSheet& sheet : documentSheets)
        records += sheet.list.size();
    for (const RequestSheet& sheet : requestSheets)
        records += sheet.list.size();
    m_stepCount = static_cast<int>(records) + 2;
    m_cancel = false;

    // The summary sheet: captions and values side by side, written as they are.
    mark();
    m_sheet = &book.Sheets().Item(1);
    m_sheet->Columns(1).setColumnWidth(61);
    m_sheet->Columns(2).setColumnWidth(65);
    m_sheet->Columns(2).setHorizontalAlignment(XlHAlign::Left);
    m_sheet->Columns(2).Font().setBold(true);
    m_sheet->Rows(1).Font().setBold(true);
    m_numberStep = 1;
    if (step())
        return false;
    for (int i = 1; i <= summary.size(); ++i) {
        mark();
        m_sheet->Cells(i, 1).setValue(summary[i - 1].caption);
        m_sheet->Cells(i, 2).setValue(summary[i - 1].value);
    }
    m_row = static_cast<int>(summary.size()) + 1;
    m_numberStep = 2;
    if (step())
        return false;

    const ExcelProtocolDocuments documents(s.persons, s.path, s.folders);
    for (const DocumentSheet& sheet : documentSheets) {
        if (sheet.list.isEmpty())
            continue;
        beginListSheet(book, sheet.position, ExcelProtocolDocuments::sheetName(sheet.kind),
                       documents.columns(sheet.kind));
        m_row = 1;
        for (const auto& record : sheet.list) {
            const int row = nextRecordRow();
            if (!record)
                throw core::objectNotSet();
            mark();
            const bool withDepartments = documents.writeRow(*m_sheet, row, sheet.kind, *record);
            if (sheet.kind == DocSheet::Unloaded && withDepartments)
                m_departments = true;
            ++m_numberStep;
            if (step())
                return false;
        }
    }

    const ExcelProtocolRequests requests(s.persons);
    for (const RequestSheet& sheet : requestSheets) {
        if (sheet.list.isEmpty())
            continue;
        beginListSheet(book, 0, ExcelProtocolRequests::sheetName(sheet.kind),
                       ExcelProtocolRequests::columns(sheet.kind));
        m_row = 1;
        for (const auto& record : sheet.list) {
            const int row = nextRecordRow();
            if (!record)
                throw core::objectNotSet();
            mark();
            requests.writeRow(*m_sheet, row, sheet.kind, *record);
            ++m_numberStep;
            if (step())
                return false;
        }
    }

    if (!s.unloadedList.isEmpty()) {
        mark();
        ExcelProtocolStatistics::write(book, summary, static_cast<int>(s.unloadedList.size()), m_departments);
    }
    return true;
}

} // namespace engine
