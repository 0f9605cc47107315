#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <QString>
#include <QStringView>

#include "CellFormat.h"
#include "CellValue.h"

namespace platform::excel {

class Application;
class Hyperlinks;
class Range;
class Sheets;
class Workbook;

// One worksheet. Cells, formats and links are stored sparsely: a cell costs memory only when it
// holds something, and a whole row or column format is kept once, not per cell. Rows and columns
// are numbered from 1.
class Worksheet final
{
public:
    using CellKey = std::pair<int, int>; // row, column

    struct RowFormat
    {
        std::optional<double> height;
        FormatLayer layer;
    };
    struct ColumnFormat
    {
        std::optional<double> width;
        FormatLayer layer;
    };
    // The cells of one row, ordered by column.
    using RowCells = std::vector<std::pair<int, CellValue>>;

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
    void checkOpen() const;
    std::uint32_t nextStamp() { return ++m_stamp; }
    const CellValue* value(int row, int column) const;
    void setValue(int row, int column, CellValue value);
    FormatLayer& cellLayer(int row, int column);
    FormatLayer& rowLayer(int row) { return m_rowFormats[row].layer; }
    FormatLayer& columnLayer(int column) { return m_columnFormats[column].layer; }
    CellFormat formatAt(int row, int column) const;
    void setRowHeight(int row, double height) { m_rowFormats[row].height = height; }
    void setColumnWidth(int column, double width) { m_columnFormats[column].width = width; }
    void setHyperlink(int row, int column, QString address) { m_hyperlinks[{row, column}] = std::move(address); }
    void setSelection(int row, int column) { m_selection = {row, column}; }
    void setFrozenPanes(int rows, int columns);
    void release();

    // For the renderer and for readers of the model.
    const std::map<int, RowCells>& rows() const { return m_rows; }
    const std::map<int, RowFormat>& rowFormats() const { return m_rowFormats; }
    const std::map<int, ColumnFormat>& columnFormats() const { return m_columnFormats; }
    const std::map<CellKey, FormatLayer>& cellFormats() const { return m_cellFormats; }
    const std::map<CellKey, QString>& hyperlinks() const { return m_hyperlinks; }
    CellKey selection() const { return m_selection; }
    int frozenRows() const { return m_frozenRows; }
    int frozenColumns() const { return m_frozenColumns; }

private:
    Workbook& m_workbook;
    QString m_name;
    std::map<int, RowCells> m_rows;
    std::map<int, RowFormat> m_rowFormats;
    std::map<int, ColumnFormat> m_columnFormats;
    std::map<CellKey, FormatLayer> m_cellFormats;
    std::map<CellKey, QString> m_hyperlinks;
    CellKey m_selection{1, 1};
    int m_frozenRows = 0;
    int m_frozenColumns = 0;
    std::uint32_t m_stamp = 0;
    std::unique_ptr<excel::Hyperlinks> m_hyperlinksObject;
};

} // namespace platform::excel
