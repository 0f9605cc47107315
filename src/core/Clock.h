#pragma once

#include <QDateTime>

namespace core {

// Time as the polling loops see it. They read it and pause through this seam, so that a test or a
// benchmark runs them in virtual time.
class Clock
{
public:
    virtual ~Clock() = default;

    // Milliseconds on a steady scale, for measuring waits.
    virtual qint64 nowMs() const = 0;
    // The present moment as a local date and time of day.
    virtual QDateTime currentDateTime() const = 0;
    // Pauses the calling thread.
    virtual void sleep(int ms) = 0;
};

} // namespace core
