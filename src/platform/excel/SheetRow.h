#pragma once

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include <QString>

#include "CellFormat.h"
#include "CellValue.h"

namespace platform::excel {

// Everything a worksheet holds for one row: its own format and height, the values, formats and
// hyperlinks of its cells. Each list is ordered by column and holds only what was set.
struct SheetRow
{
    // Set once a height or a format property was given to the whole row, even an empty one: such
    // a row is written out with its own format.
    bool formatted = false;
    std::optional<double> height;
    FormatLayer layer;
    std::vector<std::pair<int, CellValue>> cells;
    std::vector<std::pair<int, FormatLayer>> cellFormats;
    std::vector<std::pair<int, QString>> links;

    bool isEmpty() const { return !formatted && cells.empty() && cellFormats.empty() && links.empty(); }

    // The entry of the column in one of the lists, or null.
    template <typename T> static const T* find(const std::vector<std::pair<int, T>>& list, int column)
    {
        const auto it = lowerBound(list, column);
        return it != list.end() && it->first == column ? &it->second : nullptr;
    }
    // The entry of the column, made empty where there is none.
    template <typename T> static T& at(std::vector<std::pair<int, T>>& list, int column)
    {
        // Rows are mostly written left to right: appending is the usual case.
        auto it = list.empty() || list.back().first < column ? list.end() : lowerBound(list, column);
        if (it == list.end() || it->first != column)
            it = list.emplace(it, column, T{});
        return it->second;
    }
    template <typename T> static void erase(std::vector<std::pair<int, T>>& list, int column)
    {
        const auto it = lowerBound(list, column);
        if (it != list.end() && it->first == column)
            list.erase(it);
    }

private:
    template <typename List> static auto lowerBound(List& list, int column)
    {
        return std::lower_bound(list.begin(), list.end(), column,
                                [](const auto& entry, int c) { return entry.first < c; });
    }
};

} // namespace platform::excel
