#include "Worksheet.h"

#include <algorithm>

#include "Application.h"
#include "ExcelError.h"
#include "Hyperlinks.h"
#include "Range.h"
#include "Sheets.h"
#include "Workbook.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

void checkRow(int row)
{
    if (row < 1 || row > kMaxRows)
        error::raiseApplicationDefined();
}

void checkColumn(int column)
{
    if (column < 1 || column > kMaxColumns)
        error::raiseApplicationDefined();
}

// "B" gives 2, "AA" gives 27; 0 for anything that is not column letters.
int columnNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int number = 0;
    for (const QChar c : letters) {
        const char16_t upper = c.toUpper().unicode();
        if (upper < u'A' || upper > u'Z')
            return 0;
        number = number * 26 + (upper - u'A' + 1);
    }
    return number;
}

} // namespace

Worksheet::Worksheet(Workbook& workbook, QString name)
    : m_workbook(workbook)
    , m_name(std::move(name))
    , m_hyperlinksObject(std::make_unique<excel::Hyperlinks>(*this))
{
}

Worksheet::~Worksheet() = default;

excel::Application& Worksheet::Application() const
{
    checkOpen();
    return m_workbook.Application();
}

QString Worksheet::Name() const
{
    checkOpen();
    return m_name;
}

void Worksheet::setName(const QString& name)
{
    checkOpen();
    checkName(name, m_workbook.Sheets(), this);
    m_name = name;
}

int Worksheet::Index() const
{
    checkOpen();
    return m_workbook.Sheets().indexOf(*this);
}

void Worksheet::Activate()
{
    checkOpen();
    m_workbook.setActiveSheet(this);
    m_workbook.Application().setActiveWorkbook(&m_workbook);
}

Range Worksheet::Cells(int row, int column)
{
    checkOpen();
    checkRow(row);
    checkColumn(column);
    return Range(*this, Range::Kind::Cell, row, row, column);
}

Range Worksheet::Rows(int row)
{
    checkOpen();
    checkRow(row);
    return Range(*this, Range::Kind::Rows, row, row);
}

Range Worksheet::Columns(int column)
{
    checkOpen();
    checkColumn(column);
    return Range(*this, Range::Kind::Columns, column, column);
}

Range Worksheet::Columns(QStringView letters)
{
    checkOpen();
    const qsizetype colon = letters.indexOf(u':');
    const int first = columnNumber(colon < 0 ? letters : letters.left(colon));
    const int last = colon < 0 ? first : columnNumber(letters.mid(colon + 1));
    if (first < 1 || last < 1 || first > kMaxColumns || last > kMaxColumns)
        error::raiseApplicationDefined();
    return Range(*this, Range::Kind::Columns, std::min(first, last), std::max(first, last));
}

excel::Hyperlinks& Worksheet::Hyperlinks()
{
    checkOpen();
    return *m_hyperlinksObject;
}

void Worksheet::checkName(const QString& name, const Sheets& sheets, const Worksheet* self)
{
    static const QString forbidden = u":\\/?*[]"_s;
    const bool invalid = name.isEmpty() || name.size() > kMaxSheetNameLength
                         || std::any_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c); })
                         || name.startsWith(u'\'') || name.endsWith(u'\'');
    if (invalid)
        error::raise(error::kApplicationDefined, QString::fromUtf16(error::kInvalidSheetNameText));
    const Worksheet* other = sheets.find(name);
    if (other && other != self)
        error::raise(error::kApplicationDefined, QString::fromUtf16(error::kSheetNameTakenText));
}

void Worksheet::checkOpen() const
{
    m_workbook.checkOpen();
}

const CellValue* Worksheet::value(int row, int column) const
{
    const auto rowIt = m_rows.find(row);
    if (rowIt == m_rows.end())
        return nullptr;
    const RowCells& cells = rowIt->second;
    const auto it =
        std::lower_bound(cells.begin(), cells.end(), column, [](const auto& cell, int c) { return cell.first < c; });
    return it != cells.end() && it->first == column ? &it->second : nullptr;
}

void Worksheet::setValue(int row, int column, CellValue value)
{
    const bool empty = std::holds_alternative<Empty>(value);
    auto rowIt = m_rows.find(row);
    if (rowIt == m_rows.end()) {
        if (empty)
            return;
        rowIt = m_rows.emplace(row, RowCells{}).first;
    }
    RowCells& cells = rowIt->second;
    // Rows are mostly written left to right: appending is the usual case.
    const auto it = (cells.empty() || cells.back().first < column)
                        ? cells.end()
                        : std::lower_bound(cells.begin(), cells.end(), column,
                                           [](const auto& cell, int c) { return cell.first < c; });
    const bool exists = it != cells.end() && it->first == column;
    if (empty) {
        if (exists)
            cells.erase(it);
        if (cells.empty())
            m_rows.erase(rowIt);
    } else if (exists) {
        it->second = std::move(value);
    } else {
        cells.emplace(it, column, std::move(value));
    }
}

FormatLayer& Worksheet::cellLayer(int row, int column)
{
    return m_cellFormats[{row, column}];
}

CellFormat Worksheet::formatAt(int row, int column) const
{
    const auto columnIt = m_columnFormats.find(column);
    const auto rowIt = m_rowFormats.find(row);
    const auto cellIt = m_cellFormats.find({row, column});
    return resolveFormat(columnIt == m_columnFormats.end() ? nullptr : &columnIt->second.layer,
                         rowIt == m_rowFormats.end() ? nullptr : &rowIt->second.layer,
                         cellIt == m_cellFormats.end() ? nullptr : &cellIt->second);
}

void Worksheet::setFrozenPanes(int rows, int columns)
{
    m_frozenRows = rows;
    m_frozenColumns = columns;
}

void Worksheet::release()
{
    m_rows.clear();
    m_rowFormats.clear();
    m_columnFormats.clear();
    m_cellFormats.clear();
    m_hyperlinks.clear();
}

} // namespace platform::excel
