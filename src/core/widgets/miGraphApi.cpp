#include "miGraphApi.h"

#include <QApplication>
#include <QFont>
#include <QPainter>

#include "ProgressBarLayout.h"
#include "core/mErrorHandling.h"
#include "mN7GraphLight.h"

namespace core {

namespace {
constexpr char16_t kModule[] = u"miApi";
}

bool VBSetClipRect(QPainter& painter, long long left, long long top, long long right, long long bottom)
{
    try {
        const QRect pixels = clipRectPixels(left, top, right, bottom, TwipsPerPixelX(), TwipsPerPixelY());
        painter.setClipRect(pixels);
        return true;
    } catch (...) {
        PropagateError(kModule, u"VBSetClipRect");
    }
}

void VBResetClipRect(QPainter& painter)
{
    try {
        painter.setClipping(false);
    } catch (...) {
        PropagateError(kModule, u"VBResetClipRect");
    }
}

const QFont& GetDefaultFont()
{
    try {
        // Qt picks glyphs of any script from the font's family, so the Cyrillic character set
        // needs no setting of its own.
        static const QFont kept = QApplication::font();
        return kept;
    } catch (...) {
        PropagateError(kModule, u"GetDefaultFont");
    }
}

} // namespace core
