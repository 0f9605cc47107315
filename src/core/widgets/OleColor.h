#pragma once

#include <QColor>
#include <QPalette>

namespace core {

// Colours kept in the platform's encoding: 0x00BBGGRR, or 0x80000000 plus the index of a system
// colour, which is looked up in the palette when drawing.
inline constexpr quint32 kSystemColorFlag = 0x80000000U;
inline constexpr quint32 vbHighlight = 0x8000000DU;
inline constexpr quint32 vbHighlightText = 0x8000000EU;
inline constexpr quint32 vbButtonFace = 0x8000000FU;
inline constexpr quint32 vbButtonText = 0x80000012U;

QColor colorFromOle(quint32 color, const QPalette& palette);

} // namespace core
