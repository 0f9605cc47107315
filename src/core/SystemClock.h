#pragma once

#include "Clock.h"

namespace core {

// The real clock of the process: a steady timer, the local time and a thread sleep.
class SystemClock final : public Clock
{
public:
    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    void sleep(int ms) override;
};

} // namespace core
