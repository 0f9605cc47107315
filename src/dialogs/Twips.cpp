#include "Twips.h"

#include <cmath>

namespace dialogs {

int pixelsToTwips(int pixels)
{
    return pixels * kTwipsPerPixel;
}

int twipsToPixels(int twips)
{
    return static_cast<int>(std::nearbyint(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect twipsToPixels(const TwipsRect& place)
{
    const int left = twipsToPixels(place.left);
    const int top = twipsToPixels(place.top);
    const int right = twipsToPixels(place.left + place.width);
    const int bottom = twipsToPixels(place.top + place.height);
    return QRect(left, top, right - left, bottom - top);
}

TwipsRect pixelsToTwips(const QRect& rect)
{
    return {pixelsToTwips(rect.left()), pixelsToTwips(rect.top()), pixelsToTwips(rect.width()),
            pixelsToTwips(rect.height())};
}

} // namespace dialogs
