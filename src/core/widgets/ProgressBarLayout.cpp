#include "ProgressBarLayout.h"

#include "core/VbNumbers.h"

namespace core {

double CalcBarEnd(double min, double max, double value, double left, double right, int twipsPerPixelX)
{
    if (value <= min)
        return left;
    if (value >= max)
        return vbRoundHalfEven(right);
    const double length = (value - min) / (max - min) * (right - left);
    return vbRoundHalfEven(length / twipsPerPixelX) * twipsPerPixelX + left;
}

ProgressBarLayout layoutProgressBar(const ProgressBarLayoutInput& in)
{
    ProgressBarLayout out;
    const int bc = in.borderClearance;
    out.right = vbRoundHalfEven(in.scaleWidth - bc);
    out.bottom = vbRoundHalfEven(in.scaleHeight - bc);
    out.barEnd = CalcBarEnd(in.min, in.max, in.value, bc, out.right, in.twipsPerPixelX);

    const auto width = static_cast<qint64>(vbRoundHalfEven(in.textWidth));
    const auto height = static_cast<qint64>(vbRoundHalfEven(in.textHeight));
    const auto right = static_cast<qint64>(out.right);
    switch (in.textAlignment) {
    case 0:
        out.textX = static_cast<qint64>(bc) + in.textIndent;
        break;
    case 1:
        // Measured from the control's left edge, not from the clearance.
        out.textX = (right - bc - in.textIndent) - width;
        break;
    case 2:
        out.textX = ((right - bc) - width) / 2; // VB's "\": the quotient cut toward zero
        break;
    default:
        out.textX = 0;
        break;
    }
    out.textY = (static_cast<qint64>(vbRoundHalfEven(in.scaleHeight)) - height) / 2;
    return out;
}

QRect clipRectPixels(qint64 left, qint64 top, qint64 right, qint64 bottom, int twipsPerPixelX, int twipsPerPixelY)
{
    const auto l = static_cast<int>(left / twipsPerPixelX);
    const auto t = static_cast<int>(top / twipsPerPixelY);
    const auto r = static_cast<int>(right / twipsPerPixelX);
    const auto b = static_cast<int>(bottom / twipsPerPixelY);
    return QRect(l, t, r - l, b - t);
}

} // namespace core
