#include "Range.h"

#include <cmath>

#include <QRegularExpression>

#include "ExcelError.h"
#include "Font.h"
#include "R1C1Formula.h"
#include "Workbook.h"
#include "Worksheet.h"

using namespace Qt::StringLiterals;

namespace platform::excel {

namespace {

[[noreturn]] void unableToSet(QStringView property)
{
    error::raise(error::kApplicationDefined, u"Unable to set the "_s + property + u" property of the Range class"_s);
}

// Typing a plain whole number into a cell that is not formatted as text gives a number; longer
// digit strings would lose digits, so they stay text.
bool readsAsWholeNumber(const QString& text)
{
    static const QRegularExpression pattern(u"^[+-]?[0-9]{1,15}$"_s);
    return pattern.match(text).hasMatch();
}

} // namespace

Range::Range(excel::Worksheet& sheet, Kind kind, int first, int last, int column)
    : m_sheet(&sheet)
    , m_kind(kind)
    , m_first(first)
    , m_last(last)
    , m_column(column)
{
}

int Range::Row() const
{
    return m_kind == Kind::Columns ? 1 : m_first;
}

int Range::Column() const
{
    switch (m_kind) {
    case Kind::Cell:
        return m_column;
    case Kind::Columns:
        return m_first;
    case Kind::Rows:
        break;
    }
    return 1;
}

void Range::checkCell() const
{
    m_sheet->checkOpen();
    if (m_kind != Kind::Cell)
        error::raiseApplicationDefined();
}

CellValue Range::Value() const
{
    checkCell();
    const CellValue* value = m_sheet->value(m_first, m_column);
    return value ? *value : CellValue{};
}

void Range::setValue(const CellValue& value)
{
    checkCell();
    if (const auto* formula = std::get_if<Formula>(&value)) {
        setFormulaR1C1(formula->r1c1);
        return;
    }
    if (const auto* number = std::get_if<double>(&value); number && !std::isfinite(*number))
        error::raiseApplicationDefined();
    if (const auto* dateTime = std::get_if<QDateTime>(&value); dateTime && !dateTime->isValid())
        error::raiseApplicationDefined();
    const auto* text = std::get_if<QString>(&value);
    if (!text) {
        m_sheet->setValue(m_first, m_column, value);
        return;
    }
    if (text->isEmpty()) {
        m_sheet->setValue(m_first, m_column, Empty{});
        return;
    }
    const bool asText = m_sheet->formatAt(m_first, m_column).numberFormat == QStringView(kTextFormat);
    if (!asText && readsAsWholeNumber(*text)) {
        m_sheet->setValue(m_first, m_column, text->toDouble());
        return;
    }
    QString kept = *text;
    if (kept.size() > kMaxTextLength) {
        // A cell holds at most 32,767 characters; never cut a surrogate pair in two.
        const qsizetype cut = kept[kMaxTextLength - 1].isHighSurrogate() ? kMaxTextLength - 1 : kMaxTextLength;
        kept.truncate(cut);
    }
    m_sheet->setValue(m_first, m_column, std::move(kept));
}

QString Range::FormulaR1C1() const
{
    const CellValue value = Value();
    if (const auto* formula = std::get_if<Formula>(&value))
        return formula->r1c1;
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 15);
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag ? u"TRUE"_s : u"FALSE"_s;
    if (const auto* dateTime = std::get_if<QDateTime>(&value))
        return dateTime->toString(u"dd.MM.yyyy hh:mm:ss"_s);
    return {};
}

void Range::setFormulaR1C1(const QString& formula)
{
    checkCell();
    if (!formula.startsWith(u'=')) {
        setValue(formula);
        return;
    }
    if (!r1c1ToA1(formula, m_first, m_column))
        error::raiseApplicationDefined();
    m_sheet->setValue(m_first, m_column, Formula{formula});
}

void Range::Select()
{
    m_sheet->checkOpen();
    if (m_sheet->Parent().activeSheet() != m_sheet)
        error::raise(error::kApplicationDefined, u"Select method of Range class failed"_s);
    m_sheet->setSelection(Row(), Column());
}

double Range::ColumnWidth() const
{
    m_sheet->checkOpen();
    if (m_kind == Kind::Rows)
        return kStandardColumnWidth;
    const auto& columns = m_sheet->columnFormats();
    const auto it = columns.find(Column());
    return it != columns.end() && it->second.width ? *it->second.width : kStandardColumnWidth;
}

void Range::setColumnWidth(double width)
{
    m_sheet->checkOpen();
    if (m_kind == Kind::Rows || !(width >= 0 && width <= kMaxColumnWidth))
        unableToSet(u"ColumnWidth");
    const int first = m_kind == Kind::Cell ? m_column : m_first;
    const int last = m_kind == Kind::Cell ? m_column : m_last;
    for (int column = first; column <= last; ++column)
        m_sheet->setColumnWidth(column, width);
}

double Range::RowHeight() const
{
    m_sheet->checkOpen();
    if (m_kind == Kind::Columns)
        return kStandardRowHeight;
    return m_sheet->rowHeight(m_first).value_or(kStandardRowHeight);
}

void Range::setRowHeight(double height)
{
    m_sheet->checkOpen();
    if (m_kind == Kind::Columns || !(height >= 0 && height <= kMaxRowHeight))
        unableToSet(u"RowHeight");
    for (int row = m_first; row <= m_last; ++row)
        m_sheet->setRowHeight(row, height);
}

CellFormat Range::format() const
{
    m_sheet->checkOpen();
    switch (m_kind) {
    case Kind::Cell:
        return m_sheet->formatAt(m_first, m_column);
    case Kind::Rows:
        return m_sheet->formatAt(m_first, 0); // no column 0: the row's own format
    case Kind::Columns:
        break;
    }
    return m_sheet->formatAt(0, m_first); // no row 0: the column's own format
}

template <typename Apply> void Range::applyFormat(Apply apply)
{
    m_sheet->checkOpen();
    const std::uint32_t stamp = m_sheet->nextStamp();
    switch (m_kind) {
    case Kind::Cell:
        apply(m_sheet->cellLayer(m_first, m_column), stamp);
        return;
    case Kind::Rows:
        for (int row = m_first; row <= m_last; ++row)
            apply(m_sheet->rowLayer(row), stamp);
        return;
    case Kind::Columns:
        for (int column = m_first; column <= m_last; ++column)
            apply(m_sheet->columnLayer(column), stamp);
        return;
    }
}

XlHAlign Range::HorizontalAlignment() const
{
    return format().horizontal;
}

void Range::setHorizontalAlignment(XlHAlign alignment)
{
    applyFormat([&](FormatLayer& layer, std::uint32_t stamp) { layer.horizontal.set(alignment, stamp); });
}

XlVAlign Range::VerticalAlignment() const
{
    return format().vertical;
}

void Range::setVerticalAlignment(XlVAlign alignment)
{
    applyFormat([&](FormatLayer& layer, std::uint32_t stamp) { layer.vertical.set(alignment, stamp); });
}

bool Range::WrapText() const
{
    return format().wrapText;
}

void Range::setWrapText(bool wrap)
{
    applyFormat([&](FormatLayer& layer, std::uint32_t stamp) { layer.wrapText.set(wrap, stamp); });
}

QString Range::NumberFormat() const
{
    return format().numberFormat;
}

void Range::setNumberFormat(const QString& format)
{
    const QString code = format.isEmpty() ? QString::fromUtf16(kGeneralFormat) : format;
    applyFormat([&](FormatLayer& layer, std::uint32_t stamp) { layer.numberFormat.set(code, stamp); });
}

void Range::setFontBold(bool bold)
{
    applyFormat([&](FormatLayer& layer, std::uint32_t stamp) { layer.bold.set(bold, stamp); });
}

excel::Font Range::Font() const
{
    m_sheet->checkOpen();
    return excel::Font(*this);
}

} // namespace platform::excel
