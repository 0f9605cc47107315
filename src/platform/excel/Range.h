#pragma once

#include <QString>
#include <QStringBuilder>

#include "CellFormat.h"
#include "CellValue.h"
#include "XlConstants.h"

namespace platform::excel {

class Font;
class Worksheet;

// A reference to one cell, to whole rows or to whole columns of a worksheet, as the worksheet's
// Cells, Rows and Columns give it. It is a small value: copy it freely while its sheet lives.
// Value and formula members need a single cell; format members apply to every row, column or cell
// referred to, and read the first of them.
class Range final
{
public:
    enum class Kind
    {
        Cell,
        Rows,
        Columns,
    };

    Range(excel::Worksheet& sheet, Kind kind, int first, int last, int column = 0);

    Kind kind() const { return m_kind; }
    int Row() const;
    int Column() const;
    excel::Worksheet& Worksheet() const { return *m_sheet; }

    // What the cell holds; a formula cell gives its formula, which the model does not calculate.
    CellValue Value() const;
    // Writes a value. An empty text empties the cell; a text longer than 32,767 characters is cut
    // there; a text that is a plain whole number of up to 15 digits becomes a number unless the cell
    // has the text format "@", as typing it would.
    void setValue(const CellValue& value);
    void setValue(const QString& text) { setValue(CellValue(text)); }
    template <typename A, typename B> void setValue(const QStringBuilder<A, B>& text) { setValue(QString(text)); }
    void setValue(double number) { setValue(CellValue(number)); }
    void setValue(int number) { setValue(CellValue(static_cast<double>(number))); }
    void setValue(bool flag) { setValue(CellValue(flag)); }
    void setValue(const QDateTime& dateTime) { setValue(CellValue(dateTime)); }

    // A formula in R1C1 notation ("=RC[-1]*2"); a text without "=" is written as a value.
    QString FormulaR1C1() const;
    void setFormulaR1C1(const QString& formula);

    // Selects the cell; the sheet must be the active sheet.
    void Select();

    double ColumnWidth() const;
    void setColumnWidth(double width);
    double RowHeight() const;
    void setRowHeight(double height);

    XlHAlign HorizontalAlignment() const;
    void setHorizontalAlignment(XlHAlign alignment);
    XlVAlign VerticalAlignment() const;
    void setVerticalAlignment(XlVAlign alignment);
    bool WrapText() const;
    void setWrapText(bool wrap);
    QString NumberFormat() const;
    void setNumberFormat(const QString& format);

    excel::Font Font() const;

    // For Font: the resolved format of the first cell, row or column referred to, and the bold
    // setter that applies to each of them.
    CellFormat format() const;
    void setFontBold(bool bold);

private:
    void checkCell() const;
    template <typename Apply> void applyFormat(Apply apply);

    excel::Worksheet* m_sheet;
    Kind m_kind;
    int m_first;
    int m_last;
    int m_column;
};

} // namespace platform::excel
