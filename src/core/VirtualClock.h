#pragma once

#include <utility>

#include "Clock.h"

namespace core {

// A clock that moves only when somebody sleeps on it or advances it: polling loops run at full
// speed while the time they see passes as if they had waited. Counts its pauses.
class VirtualClock final : public Clock
{
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2024, 3, 15), QTime(10, 30)))
        : m_start(std::move(start))
    {
    }

    qint64 nowMs() const override { return m_nowMs; }
    QDateTime currentDateTime() const override { return m_start.addMSecs(m_nowMs); }
    void sleep(int ms) override
    {
        ++m_sleeps;
        if (ms > 0)
            m_nowMs += ms;
    }

    void advance(qint64 ms) { m_nowMs += ms; }
    int sleeps() const { return m_sleeps; }

private:
    QDateTime m_start;
    qint64 m_nowMs = 0;
    int m_sleeps = 0;
};

} // namespace core
