#pragma once

#include <optional>

namespace dialogs {

// The row navigation of an unbound grid whose rows are numbered from aBaseIndex: from the start
// bookmark (none means before the first row for an offset of 0 or more, after the last row for a
// negative one) aoffset rows on. rNewLocation gets the row, or none when that row does not exist;
// rApproximatePosition gets the row's 1-based place and is left alone when there is none. An
// arithmetic overflow raises the error "Overflow".
void TDBGridArrayed_OnUnboundGetRelativeBookmark(int aCount, const std::optional<int>& aStartLocation, int aoffset,
                                                 std::optional<int>& rNewLocation, int& rApproximatePosition,
                                                 int aBaseIndex = 1);

} // namespace dialogs
