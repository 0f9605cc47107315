#pragma once

#include <compare>
#include <cstdint>
#include <iterator>
#include <optional>

#include <QString>

#include "XlConstants.h"

namespace platform::excel {

// One format property set on a column, a row or a cell, with the order number of the call that
// set it: where a column, a row and a cell meet, the property set last wins, as in the
// spreadsheet, whatever order the column, row and cell calls came in.
template <typename T> struct Stamped
{
    std::optional<T> value;
    std::uint32_t stamp = 0;

    void set(T newValue, std::uint32_t newStamp)
    {
        value = std::move(newValue);
        stamp = newStamp;
    }
};

// The format properties held by one column, one row or one cell.
struct FormatLayer
{
    Stamped<XlHAlign> horizontal;
    Stamped<XlVAlign> vertical;
    Stamped<bool> wrapText;
    Stamped<bool> bold;
    Stamped<QString> numberFormat;
    Stamped<bool> hyperlink; // the link style (blue, underlined) that adding a hyperlink gives a cell

    bool isEmpty() const
    {
        return !horizontal.value && !vertical.value && !wrapText.value && !bold.value && !numberFormat.value
               && !hyperlink.value;
    }
};

// The format a cell shows, every property resolved; the renderer makes one format object for each
// distinct value.
struct CellFormat
{
    XlHAlign horizontal = XlHAlign::General;
    XlVAlign vertical = XlVAlign::Bottom;
    bool wrapText = false;
    bool bold = false;
    // Refers to the constant's characters: a format is made for every cell rendered.
    QString numberFormat =
        QString::fromRawData(reinterpret_cast<const QChar*>(kGeneralFormat), qsizetype(std::size(kGeneralFormat) - 1));
    bool hyperlink = false;

    bool isDefault() const { return *this == CellFormat{}; }
    bool operator==(const CellFormat&) const = default;
    bool operator<(const CellFormat& other) const;
};

// Resolves the format of a cell from the layers of its column, its row and itself (any may be null).
CellFormat resolveFormat(const FormatLayer* column, const FormatLayer* row, const FormatLayer* cell);

} // namespace platform::excel
