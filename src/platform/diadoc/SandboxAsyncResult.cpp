#include "SandboxAsyncResult.h"

#include <utility>

#include "SandboxService.h"

namespace platform::diadoc {

SandboxAsyncResult::SandboxAsyncResult(std::shared_ptr<SandboxService> service, int polls, qint64 delayMs, bool never,
                                       std::function<Variant()> work)
    : m_service(std::move(service))
    , m_polls(polls)
    , m_readyAtMs(m_service->nowMs() + delayMs)
    , m_never(never)
    , m_work(std::move(work))
{
    if (!m_never && m_polls <= 0 && delayMs <= 0)
        complete();
}

bool SandboxAsyncResult::IsCompleted()
{
    if (m_completed)
        return true;
    ++m_pollsSeen;
    if (m_never || m_pollsSeen < m_polls || m_service->nowMs() < m_readyAtMs)
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
    m_completed = true;
    try {
        m_value = m_work();
    } catch (const core::Error& e) {
        m_error = e;
    }
    m_work = nullptr;
}

} // namespace platform::diadoc
