#pragma once

#include <QRect>

namespace dialogs {

// Places and sizes of the dialogs are worked out in twips, as the dialogs were designed; a
// screen pixel is 15 twips.
inline constexpr int kTwipsPerPixel = 15;

struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
};

int pixelsToTwips(int pixels);
// The nearest pixel; a half pixel goes to the even neighbour.
int twipsToPixels(int twips);
// Each edge goes to its nearest pixel, so that neighbouring places keep their distance.
QRect twipsToPixels(const TwipsRect& place);
TwipsRect pixelsToTwips(const QRect& rect);

// Assignments of the layout rules: a size below zero cannot be set, so that step is skipped and
// the control keeps its last size.
inline void setSize(int& field, int value)
{
    if (value >= 0)
        field = value;
}

} // namespace dialogs
