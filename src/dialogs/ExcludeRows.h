#pragma once

#include <optional>

#include <QList>
#include <QString>

#include "core/mFetchlingOptions.h"

namespace dialogs {

// The rows of the exclusion table while the options dialog is open, and the grid's view of them.
// Every row ever loaded or added stays in fExcludeRows; deleting a row only sets its deleted flag
// and takes it out of fGridRowMap, which gives for each grid row (numbered from 1) the index of its
// row (numbered from 1). Operations that move the grid's current row answer the new one, 0 for none.
class ExcludeRows final
{
public:
    using Row = core::mFetchlingOptions::DocNameExclude;
    using Table = core::mFetchlingOptions::DocNamesExclude;

    static constexpr int kContextColumn = 0;
    static constexpr int kFolderColumn = 1;

    // The rows of the table as given, or one empty row for an empty table. Answers the current row.
    int rebind(const Table& table);

    int excludeRowCount() const { return fExcludeRowCount; }
    int gridRowCount() const { return fGridRowCount; }
    // All rows, deleted ones included, as the store is given them.
    const Table& rows() const { return fExcludeRows; }
    // The row index that grid row n shows; 0 when n is no grid row or its row does not exist.
    int mapped(int gridRow) const;

    // The cell of grid row n; empty outside the rows.
    QString read(int gridRow, int column) const;
    // False, and nothing changed, outside the rows.
    bool write(int gridRow, int column, const QString& value);

    // Appends an empty row, or a copy of row source, at the end; answers the new last grid row.
    int addData(std::optional<int> source = std::nullopt);
    // Inserts an empty row above grid row p (p stays current), or a copy of row source below it
    // (p + 1 becomes current). Nothing when p is below 1; answers the current row.
    int insertLine(int p, std::optional<int> source = std::nullopt);
    // Marks the row of grid row p deleted and closes the gap in the grid; answers the current row:
    // p, or the new last row, or 0 when none remains. Nothing when p is no grid row.
    int deleteLine(int p);
    // Empties one cell; false when there is no such cell.
    bool clearCell(int gridRow, int column);
    // Clipboard text into the context column, from grid row r on: line feeds are dropped, lines
    // end at carriage returns, lines with nothing but blanks and tabs are passed over, a line
    // beyond the last row appends one, and only a current column 0 takes text (a line's first
    // cell). Answers the current row.
    int paste(int r, int c, const QString& text);

    static Row emptyRow();

private:
    // 1-based access, as the rows are numbered.
    Row& row(int index) { return fExcludeRows[index - 1]; }
    int& mapEntry(int gridRow) { return fGridRowMap[gridRow - 1]; }

    Table fExcludeRows;
    int fExcludeRowCount = 0;
    QList<int> fGridRowMap;
    int fGridRowCount = 0;
};

} // namespace dialogs
