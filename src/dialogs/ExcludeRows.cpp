#include "ExcludeRows.h"

#include <algorithm>

#include "core/VbText.h"

using namespace Qt::StringLiterals;

namespace dialogs {

ExcludeRows::Row ExcludeRows::emptyRow()
{
    return Row{false, QString(), u"Все"_s};
}

int ExcludeRows::rebind(const Table& table)
{
    fExcludeRowCount = static_cast<int>(table.size());
    if (fExcludeRowCount > 0) {
        fGridRowCount = fExcludeRowCount;
        fExcludeRows = table;
        fGridRowMap.clear();
        for (int i = 1; i <= fGridRowCount; ++i)
            fGridRowMap.append(i);
        return 1;
    }
    fExcludeRows.clear();
    fGridRowMap.clear();
    fExcludeRowCount = 0;
    fGridRowCount = 0;
    return addData();
}

int ExcludeRows::mapped(int gridRow) const
{
    if (gridRow < 1 || gridRow > fGridRowCount)
        return 0;
    const int d = fGridRowMap.at(gridRow - 1);
    return d >= 1 && d <= fExcludeRowCount ? d : 0;
}

QString ExcludeRows::read(int gridRow, int column) const
{
    const int d = mapped(gridRow);
    if (d == 0)
        return {};
    const Row& r = fExcludeRows.at(d - 1);
    if (column == kContextColumn)
        return r.Name;
    if (column == kFolderColumn)
        return r.Folder;
    return {};
}

bool ExcludeRows::write(int gridRow, int column, const QString& value)
{
    const int d = mapped(gridRow);
    if (d == 0)
        return false;
    if (column == kContextColumn)
        row(d).Name = value;
    else if (column == kFolderColumn)
        row(d).Folder = value;
    else
        return false;
    return true;
}

int ExcludeRows::addData(std::optional<int> source)
{
    const Row added = source && *source >= 1 && *source <= fExcludeRowCount ? row(*source) : emptyRow();
    ++fExcludeRowCount;
    ++fGridRowCount;
    fExcludeRows.append(added);
    fGridRowMap.append(fExcludeRowCount);
    return fGridRowCount;
}

int ExcludeRows::insertLine(int p, std::optional<int> source)
{
    if (p < 1 || p > fGridRowCount)
        return p < 1 ? 0 : p;
    ++fExcludeRowCount;
    ++fGridRowCount;
    fExcludeRows.append(Row());
    fGridRowMap.append(0);
    for (int k = fGridRowCount; k >= p + 1; --k)
        mapEntry(k) = mapEntry(k - 1) + 1;
    const int d = mapEntry(p);
    for (int k = fExcludeRowCount; k >= d + 1; --k)
        row(k) = row(k - 1);
    if (!source) {
        row(d) = emptyRow();
        return p;
    }
    // The source is taken after the move: the rows from d on have moved down by one.
    row(d) = *source >= 1 && *source <= fExcludeRowCount ? Row(row(*source)) : emptyRow();
    return p + 1;
}

int ExcludeRows::deleteLine(int p)
{
    const int d = mapped(p);
    if (d == 0)
        return p >= 1 && p <= fGridRowCount ? p : 0;
    row(d).Remove = true;
    --fGridRowCount;
    fGridRowMap.removeAt(p - 1);
    return fGridRowCount > 0 ? std::min(p, fGridRowCount) : 0;
}

bool ExcludeRows::clearCell(int gridRow, int column)
{
    if (column < 0 || mapped(gridRow) == 0)
        return false;
    return write(gridRow, column, QString());
}

int ExcludeRows::paste(int r, int c, const QString& text)
{
    QString plain = text;
    plain.remove(u'\n');
    int current = r;
    for (const QString& line : plain.split(u'\r')) {
        QString bare = line;
        bare.remove(u'\t');
        if (core::Trim(bare).isEmpty())
            continue;
        const QStringList cells = line.split(u'\t');
        if (r > fGridRowCount)
            addData();
        if (mapped(r) != 0) {
            for (int j = 0; j < cells.size(); ++j) {
                if (c + j == kContextColumn)
                    write(r, kContextColumn, cells.at(j));
            }
        }
        current = r;
        ++r;
    }
    return current;
}

} // namespace dialogs
