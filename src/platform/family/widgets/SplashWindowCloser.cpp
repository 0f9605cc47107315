#include "SplashWindowCloser.h"

#include <QApplication>
#include <QSplashScreen>

namespace platform::family {

void SplashWindowCloser::CloseSplashImmediately()
{
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget* widget : widgets) {
        if (auto* splash = qobject_cast<QSplashScreen*>(widget); splash && splash->isVisible())
            splash->close();
    }
}

} // namespace platform::family
