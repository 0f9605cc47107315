#include "CellFormat.h"

#include <tuple>

namespace platform::excel {

namespace {

template <typename T> void pick(T& target, const Stamped<T>* const (&candidates)[3])
{
    const Stamped<T>* best = nullptr;
    for (const Stamped<T>* candidate : candidates) {
        if (candidate && candidate->value && (!best || candidate->stamp > best->stamp))
            best = candidate;
    }
    if (best)
        target = *best->value;
}

template <typename T> const Stamped<T>* member(const FormatLayer* layer, Stamped<T> FormatLayer::*property)
{
    return layer ? &(layer->*property) : nullptr;
}

template <typename T>
void resolveProperty(T& target, Stamped<T> FormatLayer::*property, const FormatLayer* column, const FormatLayer* row,
                     const FormatLayer* cell)
{
    const Stamped<T>* const candidates[3] = {member(column, property), member(row, property), member(cell, property)};
    pick(target, candidates);
}

} // namespace

bool CellFormat::operator<(const CellFormat& other) const
{
    const auto key = [](const CellFormat& f) {
        return std::make_tuple(static_cast<int>(f.horizontal), static_cast<int>(f.vertical), f.wrapText, f.bold,
                               f.hyperlink);
    };
    if (key(*this) != key(other))
        return key(*this) < key(other);
    return numberFormat < other.numberFormat;
}

CellFormat resolveFormat(const FormatLayer* column, const FormatLayer* row, const FormatLayer* cell)
{
    CellFormat format;
    resolveProperty(format.horizontal, &FormatLayer::horizontal, column, row, cell);
    resolveProperty(format.vertical, &FormatLayer::vertical, column, row, cell);
    resolveProperty(format.wrapText, &FormatLayer::wrapText, column, row, cell);
    resolveProperty(format.bold, &FormatLayer::bold, column, row, cell);
    resolveProperty(format.numberFormat, &FormatLayer::numberFormat, column, row, cell);
    resolveProperty(format.hyperlink, &FormatLayer::hyperlink, column, row, cell);
    return format;
}

} // namespace platform::excel
