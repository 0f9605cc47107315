#include "Window.h"

#include "Application.h"
#include "ExcelError.h"
#include "Workbook.h"
#include "Worksheet.h"

namespace platform::excel {

Worksheet& Window::activeSheet() const
{
    m_application.checkRunning();
    Workbook* book = m_application.ActiveWorkbook();
    if (!book)
        error::raiseApplicationDefined();
    return book->ActiveSheet();
}

bool Window::FreezePanes() const
{
    const Worksheet& sheet = activeSheet();
    return sheet.frozenRows() > 0 || sheet.frozenColumns() > 0;
}

void Window::setFreezePanes(bool freeze)
{
    Worksheet& sheet = activeSheet();
    if (!freeze) {
        sheet.setFrozenPanes(0, 0);
        return;
    }
    const auto [row, column] = sheet.selection();
    sheet.setFrozenPanes(row - 1, column - 1);
}

int Window::SplitRow() const
{
    return activeSheet().frozenRows();
}

int Window::SplitColumn() const
{
    return activeSheet().frozenColumns();
}

} // namespace platform::excel
