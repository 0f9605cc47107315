#include "ExcelProtocolStatistics.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <vector>

#include <QHash>

#include "base/Error.h"
#include "platform/excel/Application.h"
#include "platform/excel/ExcelError.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

using namespace Qt::StringLiterals;
using platform::excel::Worksheet;

namespace engine {

namespace {

constexpr char16_t kDataCaption[] = u"Количество выгруженных документов";
constexpr char16_t kColumnLabels[] = u"Названия столбцов";
constexpr char16_t kRowLabels[] = u"Названия строк";
constexpr char16_t kTitle[] = u"Статистика выгрузки за период ";
constexpr char16_t kRowsCaption[] = u"Количество выгруженных документов по:";

// An item of a pivot field: blank items sort after all others, the rest without regard to case.
struct Item
{
    QString text;
    QString folded;

    explicit Item(QString value)
        : text(std::move(value))
        , folded(text.toCaseFolded())
    {
    }
    bool blank() const { return text.isEmpty(); }
    QString label() const { return blank() ? QString::fromUtf16(ExcelProtocolStatistics::kBlankItem) : text; }
};

int compareItems(const Item& a, const Item& b)
{
    if (a.blank() != b.blank())
        return a.blank() ? 1 : -1;
    return a.folded.compare(b.folded);
}

// The row fields, outermost first: each distinct item once, and its place in the sort order (items
// that compare equal share a place). A protocol of 100,000 documents has a few hundred items, so a
// source row keeps only their numbers.
constexpr std::size_t kMaxRowFields = 4;

class RowField
{
public:
    int add(const QString& text)
    {
        const auto found = m_indexOf.constFind(text);
        if (found != m_indexOf.cend())
            return found.value();
        m_items.emplace_back(text);
        const int index = static_cast<int>(m_items.size()) - 1;
        m_indexOf.insert(text, index);
        return index;
    }

    void rank()
    {
        std::vector<int> order(m_items.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return compareItems(item(a), item(b)) < 0; });
        m_rank.assign(m_items.size(), 0);
        for (std::size_t i = 1; i < order.size(); ++i) {
            const bool same = compareItems(item(order[i - 1]), item(order[i])) == 0;
            m_rank[std::size_t(order[i])] = m_rank[std::size_t(order[i - 1])] + (same ? 0 : 1);
        }
    }

    const Item& item(int index) const { return m_items[std::size_t(index)]; }
    int rankOf(int index) const { return m_rank[std::size_t(index)]; }

private:
    std::vector<Item> m_items;
    QHash<QString, int> m_indexOf;
    std::vector<int> m_rank;
};

// One source row: the items of its row fields and the index of its column item.
struct Record
{
    std::array<int, kMaxRowFields> keys{};
    int column = 0;
};

QString cellText(const Worksheet& sheet, int row, int column)
{
    const platform::excel::CellValue* value = sheet.value(row, column);
    if (!value)
        return {};
    if (const auto* text = std::get_if<QString>(value))
        return *text;
    if (const auto* number = std::get_if<double>(value))
        return QString::number(*number, 'g', 15);
    if (const auto* flag = std::get_if<bool>(value))
        return *flag ? u"ИСТИНА"_s : u"ЛОЖЬ"_s;
    if (const auto* dateTime = std::get_if<QDateTime>(value))
        return dateTime->toString(u"dd.MM.yyyy hh:mm:ss"_s);
    if (const auto* formula = std::get_if<platform::excel::Formula>(value))
        return formula->r1c1;
    return {};
}

[[noreturn]] void raiseField(const QString& what)
{
    platform::excel::error::raise(platform::excel::error::kApplicationDefined, what);
}

int fieldColumn(const QStringList& headers, const QString& name)
{
    const qsizetype index = headers.indexOf(name);
    if (index < 0)
        raiseField(u"Unable to get the PivotFields property of the PivotTable class"_s);
    return static_cast<int>(index) + 1;
}

class TableBuilder
{
public:
    TableBuilder(const std::vector<Record>& records, const std::vector<RowField>& fields, int columnCount,
                 ExcelProtocolStatistics::Table& table)
        : m_records(records)
        , m_fields(fields)
        , m_columnCount(columnCount)
        , m_table(table)
    {
    }

    // Writes the groups of records [begin, end) at the level, each with its subtotal above its
    // inner groups, as the compact form shows them.
    void addGroups(std::size_t begin, std::size_t end, std::size_t level)
    {
        const RowField& field = m_fields[level];
        std::size_t groupBegin = begin;
        while (groupBegin < end) {
            const int rank = field.rankOf(m_records[groupBegin].keys[level]);
            std::size_t groupEnd = groupBegin + 1;
            while (groupEnd < end && field.rankOf(m_records[groupEnd].keys[level]) == rank)
                ++groupEnd;
            m_table.rows.append({static_cast<int>(level), field.item(m_records[groupBegin].keys[level]).label(),
                                 counts(groupBegin, groupEnd)});
            if (level + 1 < m_fields.size())
                addGroups(groupBegin, groupEnd, level + 1);
            groupBegin = groupEnd;
        }
    }

    QList<int> counts(std::size_t begin, std::size_t end) const
    {
        QList<int> result(m_columnCount + 1, 0);
        for (std::size_t i = begin; i < end; ++i)
            ++result[m_records[i].column];
        result[m_columnCount] = static_cast<int>(end - begin);
        return result;
    }

private:
    const std::vector<Record>& m_records;
    const std::vector<RowField>& m_fields;
    int m_columnCount;
    ExcelProtocolStatistics::Table& m_table;
};

} // namespace

ExcelProtocolStatistics::Table ExcelProtocolStatistics::compute(Worksheet& source, int recordCount,
                                                                bool withDepartments)
{
    const int lastColumn = withDepartments ? 12 : 11;
    QStringList headers;
    for (int column = 1; column <= lastColumn; ++column) {
        headers.append(cellText(source, 1, column));
        if (headers.last().isEmpty())
            raiseField(u"The PivotTable field name is not valid."_s);
    }
    QList<int> rowFields;
    if (withDepartments)
        rowFields.append(fieldColumn(headers, u"Организация"_s));
    rowFields.append(fieldColumn(headers, u"Организация,\r\nподразделение"_s));
    rowFields.append(fieldColumn(headers, u"Контрагент"_s));
    rowFields.append(fieldColumn(headers, u"Год /\r\nмесяц"_s));
    const int columnField = fieldColumn(headers, u"Вх. / исх. /\r\nвнутренний"_s);
    // Every source row counts once, whether or not its document name is filled in.
    fieldColumn(headers, u"Документ"_s);

    std::vector<Record> records;
    records.reserve(static_cast<std::size_t>(std::max(recordCount, 0)));
    std::vector<RowField> fields(static_cast<std::size_t>(rowFields.size()));
    std::vector<Item> columnItems;
    for (int row = 2; row <= recordCount + 1; ++row) {
        Record record;
        for (std::size_t level = 0; level < fields.size(); ++level)
            record.keys[level] = fields[level].add(cellText(source, row, rowFields[qsizetype(level)]));
        const Item columnItem(cellText(source, row, columnField));
        const auto found = std::find_if(columnItems.begin(), columnItems.end(),
                                        [&](const Item& item) { return compareItems(item, columnItem) == 0; });
        record.column = static_cast<int>(found - columnItems.begin());
        if (found == columnItems.end())
            columnItems.push_back(columnItem);
        records.push_back(record);
    }

    // The column items sorted descending, blank last, as the column field's AutoSort asks.
    std::vector<int> order(columnItems.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Item& left = columnItems[static_cast<std::size_t>(a)];
        const Item& right = columnItems[static_cast<std::size_t>(b)];
        if (left.blank() != right.blank())
            return right.blank();
        return left.folded.compare(right.folded) > 0;
    });
    std::vector<int> positionOf(columnItems.size());
    Table table;
    for (std::size_t i = 0; i < order.size(); ++i) {
        positionOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
        table.columns.append(columnItems[static_cast<std::size_t>(order[i])].label());
    }
    for (Record& record : records)
        record.column = positionOf[static_cast<std::size_t>(record.column)];

    for (RowField& field : fields)
        field.rank();
    std::stable_sort(records.begin(), records.end(), [&](const Record& a, const Record& b) {
        for (std::size_t level = 0; level < fields.size(); ++level) {
            const int left = fields[level].rankOf(a.keys[level]);
            const int right = fields[level].rankOf(b.keys[level]);
            if (left != right)
                return left < right;
        }
        return false;
    });

    const int columnCount = static_cast<int>(table.columns.size());
    TableBuilder builder(records, fields, columnCount, table);
    builder.addGroups(0, records.size(), 0);
    table.rows.append({0, QString::fromUtf16(kGrandTotal), builder.counts(0, records.size())});
    return table;
}

void ExcelProtocolStatistics::write(platform::excel::Workbook& book, const SummaryRows& summary, int recordCount,
                                    bool withDepartments)
{
    platform::excel::Sheets& sheets = book.Sheets();
    Worksheet& sheet = sheets.Add(platform::excel::After{sheets.Item(1)});
    sheet.setName(QString::fromUtf16(kSheetName));

    const Table table = compute(sheets.Item(QString::fromUtf16(kSourceSheetName)), recordCount, withDepartments);
    const int columnCount = static_cast<int>(table.columns.size());

    sheet.Cells(1, 1).setValue(QString::fromUtf16(kDataCaption));
    sheet.Cells(1, 2).setValue(QString::fromUtf16(kColumnLabels));
    sheet.Cells(2, 1).setValue(QString::fromUtf16(kRowLabels));
    for (int column = 0; column < columnCount; ++column)
        sheet.Cells(2, column + 2).setValue(table.columns[column]);
    sheet.Cells(2, columnCount + 2).setValue(QString::fromUtf16(kGrandTotal));
    sheet.Rows(2).Font().setBold(true);

    qsizetype widest = 0;
    int row = 2;
    for (const Row& item : table.rows) {
        ++row;
        const QString label = QString(qsizetype{item.level} * kIndentPerLevel, u' ') + item.label;
        widest = std::max(widest, label.size());
        // Items are written as texts, so that an item such as "2024/03" or "123" is never read as a number.
        sheet.Cells(row, 1).setNumberFormat(u"@"_s);
        sheet.Cells(row, 1).setValue(label);
        for (int column = 0; column <= columnCount; ++column) {
            if (const int count = item.counts[column]; count > 0)
                sheet.Cells(row, column + 2).setValue(count);
        }
        if (item.level == 0)
            sheet.Rows(row).Font().setBold(true);
    }
    sheet.Columns(1).setColumnWidth(std::clamp(static_cast<double>(widest) + 2, 20.0, 100.0));
    for (int column = 0; column <= columnCount; ++column) {
        const qsizetype header = column < columnCount ? table.columns[column].size() : 10;
        sheet.Columns(column + 2).setColumnWidth(std::clamp(static_cast<double>(header) + 2, 11.0, 30.0));
    }

    if (summary.size() < 3)
        throw core::Error(9, u"Subscript out of range"_s);
    sheet.Cells(1, 1).setValue(QString::fromUtf16(kTitle) + summary[2].value + u"."_s);
    sheet.Cells(1, 2).setValue(QString());
    sheet.Cells(2, 1).setValue(QString::fromUtf16(kRowsCaption));
    sheet.Columns(u"B:B").setColumnWidth(11);
    sheet.Cells(3, 1).Select();
    sheet.Activate();
    sheet.Application().ActiveWindow().setFreezePanes(true);
}

} // namespace engine
