#include "SystemClock.h"

#include <chrono>
#include <thread>

namespace core {

qint64 SystemClock::nowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QDateTime SystemClock::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

void SystemClock::sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace core
