#include "Worksheet.h"

#include <algorithm>

#include "Application.h"
#include "ExcelError.h"
#include "Hyperlinks.h"
#include "Range.h"
#include "SheetLinks.h"
#include "Sheets.h"
#include "Workbook.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

// Rows kept in memory before the oldest half goes to the spill.
constexpr std::size_t kRowsInMemory = 512;

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
    , m_spill(workbook.Application().options().tempPath)
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

const SheetRow* Worksheet::row(int number) const
{
    if (const auto it = m_rows.find(number); it != m_rows.end())
        return &it->second;
    if (m_readRow && m_readRow->first == number)
        return &m_readRow->second;
    if (!m_spill.contains(number))
        return nullptr;
    m_readRow.emplace(number, m_spill.get(number));
    return &m_readRow->second;
}

void Worksheet::forEachRow(const std::function<void(int, const SheetRow&)>& visit) const
{
    // A row lies either in memory or in the spill, never in both.
    auto memory = m_rows.begin();
    qsizetype spilled = 0;
    while (memory != m_rows.end() || spilled < m_spill.size()) {
        if (spilled < m_spill.size() && (memory == m_rows.end() || m_spill.rowAt(spilled) < memory->first)) {
            const int number = m_spill.rowAt(spilled++);
            visit(number, m_spill.get(number));
        } else {
            visit(memory->first, memory->second);
            ++memory;
        }
    }
}

std::map<int, Worksheet::RowCells> Worksheet::rows() const
{
    std::map<int, RowCells> result;
    forEachRow([&](int number, const SheetRow& data) {
        if (!data.cells.empty())
            result.emplace(number, data.cells);
    });
    return result;
}

std::map<Worksheet::CellKey, QString> Worksheet::hyperlinks() const
{
    std::map<CellKey, QString> result;
    forEachRow([&](int number, const SheetRow& data) {
        for (const auto& [column, address] : data.links)
            result.emplace(CellKey{number, column}, address);
    });
    return result;
}

SheetRow* Worksheet::rowForChange(int number, bool make)
{
    auto it = m_rows.find(number);
    if (it == m_rows.end()) {
        if (m_spill.contains(number)) {
            SheetRow data =
                m_readRow && m_readRow->first == number ? std::move(m_readRow->second) : m_spill.get(number);
            m_spill.remove(number);
            it = m_rows.emplace(number, std::move(data)).first;
        } else if (make) {
            it = m_rows.emplace(number, SheetRow{}).first;
        } else {
            return nullptr;
        }
        if (m_readRow && m_readRow->first == number)
            m_readRow.reset();
        if (m_rows.size() > kRowsInMemory)
            spillOldRows(number);
    }
    return &it->second;
}

void Worksheet::spillOldRows(int keep)
{
    // The rows written first go: a sheet is mostly filled from the top down.
    auto it = m_rows.begin();
    while (it != m_rows.end() && m_rows.size() > kRowsInMemory / 2) {
        if (it->first == keep) {
            ++it;
            continue;
        }
        if (!m_spill.put(it->first, it->second))
            return; // the file cannot take more: the rows stay in memory
        it = m_rows.erase(it);
    }
}

void Worksheet::dropIfEmpty(int number)
{
    if (const auto it = m_rows.find(number); it != m_rows.end() && it->second.isEmpty())
        m_rows.erase(it);
}

const CellValue* Worksheet::value(int row, int column) const
{
    const SheetRow* data = this->row(row);
    return data ? SheetRow::find(data->cells, column) : nullptr;
}

void Worksheet::setValue(int row, int column, CellValue value)
{
    const bool empty = std::holds_alternative<Empty>(value);
    SheetRow* data = rowForChange(row, !empty);
    if (!data)
        return;
    if (empty) {
        SheetRow::erase(data->cells, column);
        dropIfEmpty(row);
    } else {
        SheetRow::at(data->cells, column) = std::move(value);
    }
}

FormatLayer& Worksheet::cellLayer(int row, int column)
{
    return SheetRow::at(rowForChange(row, true)->cellFormats, column);
}

FormatLayer& Worksheet::rowLayer(int row)
{
    SheetRow* data = rowForChange(row, true);
    data->formatted = true;
    return data->layer;
}

CellFormat Worksheet::formatAt(int row, int column) const
{
    const auto columnIt = m_columnFormats.find(column);
    const SheetRow* data = row > 0 ? this->row(row) : nullptr;
    const FormatLayer* rowLayer = data && data->formatted ? &data->layer : nullptr;
    const FormatLayer* cellLayer = data ? SheetRow::find(data->cellFormats, column) : nullptr;
    return resolveFormat(columnIt == m_columnFormats.end() ? nullptr : &columnIt->second.layer, rowLayer, cellLayer);
}

std::optional<double> Worksheet::rowHeight(int row) const
{
    const SheetRow* data = this->row(row);
    return data ? data->height : std::nullopt;
}

void Worksheet::setRowHeight(int row, double height)
{
    SheetRow* data = rowForChange(row, true);
    data->formatted = true;
    data->height = height;
}

void Worksheet::setHyperlink(int row, int column, QString address)
{
    SheetRow* data = rowForChange(row, true);
    if (const QString* replaced = SheetRow::find(data->links, column)) {
        if (!SheetLinks::takes(*replaced))
            --m_unusualHyperlinkCount;
    } else {
        ++m_hyperlinkCount;
    }
    if (!SheetLinks::takes(address))
        ++m_unusualHyperlinkCount;
    SheetRow::at(data->links, column) = std::move(address);
}

void Worksheet::setFrozenPanes(int rows, int columns)
{
    m_frozenRows = rows;
    m_frozenColumns = columns;
}

void Worksheet::release()
{
    m_rows.clear();
    m_spill.clear();
    m_readRow.reset();
    m_columnFormats.clear();
    m_hyperlinkCount = 0;
    m_unusualHyperlinkCount = 0;
}

} // namespace platform::excel
