#include "Screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace testsupport {

void screenshot(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("FETCHLING_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace testsupport
