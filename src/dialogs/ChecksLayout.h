#pragma once

#include <QSize>

#include "Twips.h"

namespace dialogs {

// The resize rules of the access test window, in twips: the title centred above the log, the
// close button in the bottom right corner, the log between them.
namespace checks_layout {

inline constexpr int kDesignInnerWidth = 8415;
inline constexpr int kDesignInnerHeight = 8580;

struct Places
{
    TwipsRect caption{0, 150, 0, 0}; // sized to its text
    TwipsRect close{6750, 7935, 1515, 495};
    TwipsRect richTextBox{150, 600, 8115, 7185};
};

// The least inner size: room for the title's width and twice the title and button heights.
QSize minimumInner(const Places& places);
void layout(Places& places, int innerWidth, int innerHeight);

} // namespace checks_layout

} // namespace dialogs
