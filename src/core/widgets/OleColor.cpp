#include "OleColor.h"

namespace core {

namespace {

// The system colours by index, as the palette names them.
QColor systemColor(quint32 index, const QPalette& palette)
{
    switch (index) {
    case 0x00: // scroll bar
    case 0x0F: // button face
        return palette.color(QPalette::Active, QPalette::Button);
    case 0x01: // desktop
    case 0x04: // menu
    case 0x0C: // application workspace
        return palette.color(QPalette::Active, QPalette::Window);
    case 0x02: // active caption
    case 0x0D: // highlight
        return palette.color(QPalette::Active, QPalette::Highlight);
    case 0x03: // inactive caption
    case 0x0A: // active border
    case 0x0B: // inactive border
        return palette.color(QPalette::Inactive, QPalette::Highlight);
    case 0x05: // window
        return palette.color(QPalette::Active, QPalette::Base);
    case 0x06: // window frame
    case 0x15: // 3D dark shadow
        return palette.color(QPalette::Active, QPalette::Shadow);
    case 0x07: // menu text
        return palette.color(QPalette::Active, QPalette::WindowText);
    case 0x08: // window text
        return palette.color(QPalette::Active, QPalette::Text);
    case 0x09: // caption text
    case 0x0E: // highlighted text
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 0x10: // button shadow
        return palette.color(QPalette::Active, QPalette::Dark);
    case 0x11: // grey text
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 0x12: // button text
        return palette.color(QPalette::Active, QPalette::ButtonText);
    case 0x13: // inactive caption text
        return palette.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x14: // button highlight
        return palette.color(QPalette::Active, QPalette::Light);
    case 0x16: // 3D light
        return palette.color(QPalette::Active, QPalette::Midlight);
    case 0x17: // tooltip text
        return palette.color(QPalette::Active, QPalette::ToolTipText);
    case 0x18: // tooltip background
        return palette.color(QPalette::Active, QPalette::ToolTipBase);
    default:
        return palette.color(QPalette::Active, QPalette::Button);
    }
}

} // namespace

QColor colorFromOle(quint32 color, const QPalette& palette)
{
    if (color & kSystemColorFlag)
        return systemColor(color & 0xFFU, palette);
    return QColor(static_cast<int>(color & 0xFFU), static_cast<int>((color >> 8) & 0xFFU),
                  static_cast<int>((color >> 16) & 0xFFU));
}

} // namespace core
