#pragma once

#include <functional>
#include <utility>

#include <QDateTime>

#include "base/Error.h"
#include "core/Clock.h"

namespace testsupport {

// The one clock of the tests and benchmarks: it moves only when somebody sleeps on it or advances
// it, so that polling loops run at full speed while the time they see passes as if they had
// waited. It counts its pauses. Its time may live in a counter that the emulated service reads as
// well, so that a pause moves the service's clock. A run that still waits past the deadline (when
// one is set) waits without end: the first pause after it raises an error, so that the test fails
// instead of hanging.
class VirtualClock final : public core::Clock
{
public:
    static QDateTime defaultStart() { return QDateTime(QDate(2024, 3, 15), QTime(10, 30)); }

    explicit VirtualClock(QDateTime start = defaultStart())
        : m_start(std::move(start))
    {
    }
    VirtualClock(QDateTime start, qint64& sharedNowMs)
        : m_start(std::move(start))
        , m_nowMs(&sharedNowMs)
    {
    }
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    qint64 nowMs() const override { return *m_nowMs; }
    QDateTime currentDateTime() const override { return m_start.addMSecs(*m_nowMs); }
    void sleep(int ms) override
    {
        ++m_sleeps;
        if (ms > 0)
            *m_nowMs += ms;
        if (duringSleep)
            duringSleep();
        if (deadlineMs > 0 && *m_nowMs > deadlineMs && !m_late) {
            m_late = true;
            throw core::Error(5, QStringLiteral("The run still waits at ") + QString::number(*m_nowMs / 1000)
                                     + QStringLiteral(" s of virtual time"));
        }
    }

    void advance(qint64 ms) { *m_nowMs += ms; }
    int sleeps() const { return m_sleeps; }

    // Past this moment (when above zero) the next pause raises an error.
    qint64 deadlineMs = 0;
    // Runs on every pause, after the time moved: a test acts "while the program waits".
    std::function<void()> duringSleep;

private:
    QDateTime m_start;
    qint64 m_ownNowMs = 0;
    qint64* m_nowMs = &m_ownNowMs;
    int m_sleeps = 0;
    bool m_late = false;
};

} // namespace testsupport
