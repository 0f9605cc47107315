#pragma once

#include <map>
#include <vector>

#include <QString>

namespace test {

// Reads back what a rendered .xlsx file holds, as far as the tests look: sheets in order, cells with
// their texts and styles, column widths, row heights and styles, frozen panes and hyperlinks.
struct XlsxCell
{
    QString type; // "s", "inlineStr", "n", "b", "str" (formula) or "" for a blank
    QString text; // the text, the number as written, or the formula's cached result
    QString formula;
    int style = 0;
};

struct XlsxStyle
{
    bool bold = false;
    bool underline = false;
    QString horizontal;
    QString vertical;
    bool wrap = false;
    QString numberFormat; // the format code, "General" when none
};

struct XlsxRow
{
    double height = 0; // 0 when not set
    int style = -1;    // -1 when the row has no format
};

struct XlsxSheet
{
    QString name;
    std::map<QString, XlsxCell> cells;  // by A1 reference
    std::map<int, double> columnWidths; // by column number from 1
    std::map<int, int> columnStyles;
    std::map<int, XlsxRow> rows; // by row number from 1
    QString paneTopLeft;         // empty without frozen panes
    int frozenRows = 0;
    int frozenColumns = 0;
    bool tabSelected = false;
    std::map<QString, QString> hyperlinks; // A1 reference -> target
};

struct XlsxBook
{
    std::vector<XlsxSheet> sheets;
    std::vector<XlsxStyle> styles;
    int activeTab = 0;
    bool hasSharedStrings = false;

    const XlsxSheet& sheet(const QString& name) const;
    const XlsxStyle& styleOf(const XlsxSheet& sheet, const QString& cell) const;
};

// Raises std::runtime_error when the file is not a readable workbook.
XlsxBook readXlsx(const QString& fileName);

} // namespace test
