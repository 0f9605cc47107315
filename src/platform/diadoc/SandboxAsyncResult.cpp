#include "SandboxAsyncResult.h"

#include <algorithm>
#include <utility>

#include "SandboxService.h"

namespace platform::diadoc {

SandboxAsyncResult::SandboxAsyncResult(std::shared_ptr<SandboxService> service, SandboxMeter::Operation operation,
                                       int polls, qint64 delayMs, bool never, std::function<Variant()> work)
    : m_service(std::move(service))
    , m_operation(operation)
    , m_polls(polls)
    , m_startMs(m_service->nowMs())
    , m_readyAtMs(m_startMs + delayMs)
    , m_pollsDoneMs(m_startMs)
    , m_never(never)
    , m_work(std::move(work))
{
    if (!m_never && m_polls <= 0 && delayMs <= 0)
        complete();
}

SandboxAsyncResult::~SandboxAsyncResult()
{
    if (!m_recorded)
        recordActivity(m_service->nowMs());
}

bool SandboxAsyncResult::IsCompleted()
{
    if (m_completed)
        return true;
    const SandboxMeter::Call call(m_service->meter());
    ++m_pollsSeen;
    const qint64 now = m_service->nowMs();
    if (m_pollsSeen == m_polls)
        m_pollsDoneMs = now;
    if (m_never || m_pollsSeen < m_polls || now < m_readyAtMs)
        return false;
    complete();
    return true;
}

Variant SandboxAsyncResult::Result()
{
    if (!m_completed)
        SandboxService::raise(QString::fromUtf16(sandboxtext::kNotCompleted), -2147467259);
    if (m_error)
        throw *m_error;
    return m_value;
}

void SandboxAsyncResult::complete()
{
    const SandboxMeter::Call call(m_service->meter());
    m_completed = true;
    try {
        m_value = m_work();
    } catch (const core::Error& e) {
        m_error = e;
    }
    m_work = nullptr;
    recordActivity(m_service->nowMs());
}

void SandboxAsyncResult::recordActivity(qint64 nowMs)
{
    m_recorded = true;
    const qint64 busyEnd = m_never ? nowMs : std::min(nowMs, std::max(m_readyAtMs, m_pollsDoneMs));
    m_service->meter().record(m_operation, m_startMs, busyEnd, nowMs);
}

} // namespace platform::diadoc
