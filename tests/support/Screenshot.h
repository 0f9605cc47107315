#pragma once

#include <QString>

class QWidget;

namespace testsupport {

// Saves a picture of the widget as <name>.png when FETCHLING_SCREENSHOT_DIR names a folder, so that
// a person can look at a layout the test proved; does nothing otherwise.
void screenshot(QWidget& widget, const QString& name);

} // namespace testsupport
