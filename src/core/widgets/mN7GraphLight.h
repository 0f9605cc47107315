#pragma once

namespace core {

// The screen's twips (1/1440 inch) per pixel on each axis, read once per process: 15 on a screen
// of 96 dots per inch.
int TwipsPerPixelX();
int TwipsPerPixelY();

} // namespace core
