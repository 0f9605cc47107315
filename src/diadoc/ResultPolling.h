#pragma once

#include <functional>
#include <utility>

#include "core/Clock.h"

namespace diadoc {

// The loop behind a queue's GetFirstResult and GetNextResult, one for both queues: it hands out the
// records of the queue's result list one by one; while none is left to hand out and the queue still
// has work, it pushes the queue forward, and when a pass asks for it raises the wait event and
// pauses on the clock. It ends with nothing when the work is done or the queue is cancelled.
template <typename List> class ResultPolling final
{
public:
    using Record = typename List::Record;

    // What the loop asks of its queue.
    struct Steps
    {
        std::function<bool()> cancelled;
        // Records waiting or running that may still end in the result list.
        std::function<bool()> hasWork;
        // One pass of the queue; true when the loop should wait and pause before the next.
        std::function<bool()> pushForward;
        // Raises the wait event, whose listeners may cancel the queue.
        std::function<void()> raiseWait;
    };

    // The pauses are counted into the queue's statistics.
    ResultPolling(const List& results, core::Clock& clock, int pauseMs, qint64& pauses, Steps steps)
        : m_results(results)
        , m_clock(clock)
        , m_pauseMs(pauseMs)
        , m_pauses(pauses)
        , m_steps(std::move(steps))
    {
    }
    ResultPolling(const ResultPolling&) = delete;
    ResultPolling& operator=(const ResultPolling&) = delete;

    Record first()
    {
        m_cursor = 0;
        return next();
    }

    Record next()
    {
        while (!m_steps.cancelled()) {
            if (m_cursor < m_results.Count()) {
                ++m_cursor;
                return m_results.Item(m_cursor);
            }
            if (!m_steps.hasWork()) {
                m_cursor = m_results.Count() + 1;
                return nullptr;
            }
            if (m_steps.pushForward()) {
                m_steps.raiseWait();
                if (!m_steps.cancelled()) {
                    ++m_pauses;
                    m_clock.sleep(m_pauseMs);
                }
            }
        }
        return nullptr;
    }

private:
    const List& m_results;
    core::Clock& m_clock;
    const int m_pauseMs;
    qint64& m_pauses;
    const Steps m_steps;
    int m_cursor = 0;
};

} // namespace diadoc
