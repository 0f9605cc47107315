#include "mN7GraphLight.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/VbNumbers.h"

namespace core {

namespace {

int twipsPerPixel(bool horizontal)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen == nullptr ? 96.0
                       : horizontal      ? screen->logicalDotsPerInchX()
                                         : screen->logicalDotsPerInchY();
    const auto twips = static_cast<int>(vbRoundHalfEven(1440.0 / (dpi > 0 ? dpi : 96.0)));
    return twips < 1 ? 1 : twips;
}

} // namespace

int TwipsPerPixelX()
{
    static const int kept = twipsPerPixel(true);
    return kept;
}

int TwipsPerPixelY()
{
    static const int kept = twipsPerPixel(false);
    return kept;
}

} // namespace core
