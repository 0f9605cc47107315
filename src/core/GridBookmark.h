#pragma once

#include <optional>

#include <QtGlobal>

namespace core {

// A row of an unbound grid: its number, or nothing (Null) where there is no row.
using GridBookmark = std::optional<qint32>;

// The row navigation of an unbound grid whose rows are numbered from aBaseIndex: the row aoffset
// rows away from aStartLocation (from before the first row, or after the last for a negative
// offset, when there is no start), or Null when that row does not exist. rApproximatePosition
// receives the row's place counted from 1, and keeps its value for a Null answer. The arithmetic
// is on 32-bit integers; an overflow raises "Overflow" (6).
void TDBGridArrayed_OnUnboundGetRelativeBookmark(qint32 aCount, const GridBookmark& aStartLocation, qint32 aoffset,
                                                 GridBookmark& rNewLocation, qint32& rApproximatePosition,
                                                 qint32 aBaseIndex = 0);

} // namespace core
