#pragma once

#include <QRect>

namespace core {

// Where the progress bar's parts go, in twips, from its sizes and settings: the right and bottom
// edges inside the clearance, the end of the filled part (always on a whole pixel) and the text's
// top-left corner. Kept apart from the painting so that the arithmetic can be checked alone.
struct ProgressBarLayoutInput
{
    double scaleWidth = 0;  // inner width of the control
    double scaleHeight = 0; // inner height of the control
    int borderClearance = 0;
    int textIndent = 60;
    int textAlignment = 0; // 0 left, 1 right, 2 centre
    double min = 0;
    double max = 100;
    double value = 0;
    int twipsPerPixelX = 15;
    double textWidth = 0;
    double textHeight = 0;
};

struct ProgressBarLayout
{
    double right = 0;
    double bottom = 0;
    double barEnd = 0;
    qint64 textX = 0;
    qint64 textY = 0;
};

ProgressBarLayout layoutProgressBar(const ProgressBarLayoutInput& in);

// End of the filled part between left and right: left when value is at or below min, right
// when it is at or above max, else on the nearest whole pixel.
double CalcBarEnd(double min, double max, double value, double left, double right, int twipsPerPixelX);

// The pixel rectangle that a clip from (left, top) to (right, bottom) in twips covers; right and
// bottom are outside it.
QRect clipRectPixels(qint64 left, qint64 top, qint64 right, qint64 bottom, int twipsPerPixelX, int twipsPerPixelY);

} // namespace core
