#pragma once

#include "platform/family/SplashWindow.h"

namespace platform::family {

// Closes every splash screen of the application that is still shown.
class SplashWindowCloser final : public SplashWindow
{
public:
    void CloseSplashImmediately() override;
};

} // namespace platform::family
