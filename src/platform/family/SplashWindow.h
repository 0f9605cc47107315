#pragma once

namespace platform::family {

// The family's splash window: closes a splash that may still be shown; nothing when none is.
class SplashWindow
{
public:
    virtual ~SplashWindow() = default;
    virtual void CloseSplashImmediately() = 0;
};

} // namespace platform::family
