#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringView>

#include "CellFormat.h"
#include "CellValue.h"
#include "RowSpill.h"
#include "SheetRow.h"

namespace platform::excel {

class Application;
class Hyperlinks;
class Range;
class Sheets;
class Workbook;

// One worksheet. Cells, formats and links are stored sparsely: a cell costs memory only when it
// holds something, and a whole row or column format is kept once, not per cell. Rows and columns
// are numbered from 1. Beyond a few hundred rows in memory the rows written first go to a
// temporary file (RowSpill), so that a sheet of 100,000 rows stays small; they come back when
// read or changed.
class Worksheet final
{
public:
    using CellKey = std::pair<int, int>; // row, column
    // The cells of one row, ordered by column.
    using RowCells = std::vector<std::pair<int, CellValue>>;

    struct ColumnFormat
    {
        std::optional<double> width;
        FormatLayer layer;
    };

    Worksheet(Workbook& workbook, QString name);
    ~Worksheet();
    Worksheet(const Worksheet&) = delete;
    Worksheet& operator=(const Worksheet&) = delete;

    excel::Application& Application() const;
    Workbook& Parent() const { return m_workbook; }

    QString Name() const;
    // Raises with the application's message for a name that is too long, holds one of : \ / ? * [ ],
    // is blank, starts or ends with an apostrophe, or is taken by another sheet (compared without case).
    void setName(const QString& name);
    // The position among the workbook's sheets, from 1.
    int Index() const;
    void Activate();

    Range Cells(int row, int column);
    Range Rows(int row);
    Range Columns(int column);
    // Columns by letters: "B" or "B:B" or "B:D".
    Range Columns(QStringView letters);
    excel::Hyperlinks& Hyperlinks();

    // Raises unless the name could be given to a sheet of this workbook; `self` is left out of the
    // comparison.
    static void checkName(const QString& name, const Sheets& sheets, const Worksheet* self);

    // For Range, Hyperlinks and Window: everything checks that the workbook is still open.
    // Pointers and references into a row stay valid until the next call on the sheet.
    void checkOpen() const;
    std::uint32_t nextStamp() { return ++m_stamp; }
    const CellValue* value(int row, int column) const;
    void setValue(int row, int column, CellValue value);
    FormatLayer& cellLayer(int row, int column);
    FormatLayer& rowLayer(int row);
    FormatLayer& columnLayer(int column) { return m_columnFormats[column].layer; }
    // Row 0 stands for no row and column 0 for no column.
    CellFormat formatAt(int row, int column) const;
    std::optional<double> rowHeight(int row) const;
    void setRowHeight(int row, double height);
    void setColumnWidth(int column, double width) { m_columnFormats[column].width = width; }
    void setHyperlink(int row, int column, QString address);
    int hyperlinkCount() const { return m_hyperlinkCount; }
    // The hyperlinks whose addresses the renderer leaves to libxlsxwriter (SheetLinks::takes).
    int unusualHyperlinkCount() const { return m_unusualHyperlinkCount; }
    void setSelection(int row, int column) { m_selection = {row, column}; }
    void setFrozenPanes(int rows, int columns);
    void release();

    // For the renderer and for readers of the model: the row, or null where it holds nothing.
    const SheetRow* row(int number) const;
    // Every row that holds something, in increasing order; the row given lives for the call only.
    void forEachRow(const std::function<void(int, const SheetRow&)>& visit) const;
    int rowCount() const { return int(m_rows.size() + m_spill.size()); }
    int rowsInMemory() const { return int(m_rows.size()); }
    // The cells of every row that holds a value, and every hyperlink by its cell: copies built on
    // each call, for tests and small sheets.
    std::map<int, RowCells> rows() const;
    std::map<CellKey, QString> hyperlinks() const;
    const std::map<int, ColumnFormat>& columnFormats() const { return m_columnFormats; }
    std::pair<int, int> selection() const { return m_selection; }
    int frozenRows() const { return m_frozenRows; }
    int frozenColumns() const { return m_frozenColumns; }

private:
    // The row in memory, read back from the spill if it went there; made when `make` is set, else
    // null where there is none. Rows beyond the limit in memory may be spilled meanwhile, never
    // the one returned.
    SheetRow* rowForChange(int number, bool make);
    // Drops the row once it holds nothing.
    void dropIfEmpty(int number);
    void spillOldRows(int keep);

    Workbook& m_workbook;
    QString m_name;
    std::map<int, SheetRow> m_rows;
    RowSpill m_spill;
    // The spilled row read last, for readers that go through a row cell by cell.
    mutable std::optional<std::pair<int, SheetRow>> m_readRow;
    std::map<int, ColumnFormat> m_columnFormats;
    int m_hyperlinkCount = 0;
    int m_unusualHyperlinkCount = 0;
    std::pair<int, int> m_selection{1, 1};
    int m_frozenRows = 0;
    int m_frozenColumns = 0;
    std::uint32_t m_stamp = 0;
    std::unique_ptr<excel::Hyperlinks> m_hyperlinksObject;
};

} // namespace platform::excel
