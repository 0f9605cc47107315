#pragma once

class QFont;
class QPainter;

namespace core {

// Clip regions given in twips and the program's default font for drawn controls.

// Clips the painter to the pixels from (left, top) to (right, bottom), both given in twips; each
// coordinate is cut to a whole pixel toward zero.
bool VBSetClipRect(QPainter& painter, long long left, long long top, long long right, long long bottom);
void VBResetClipRect(QPainter& painter);

// One font for the life of the process: the application's font, able to show Cyrillic.
const QFont& GetDefaultFont();

} // namespace core
