#pragma once

#include <functional>
#include <optional>

#include "DiadocAsyncResult.h"
#include "SandboxMeter.h"
#include "base/Error.h"

namespace platform::diadoc {

class SandboxService;

// A background operation of the emulated client in virtual time: it completes on a set poll of
// IsCompleted and not before a set delay on the service's clock (or never). Its work runs once, at
// completion; Result then gives the work's value or raises its error on every read.
class SandboxAsyncResult final : public DiadocAsyncResult
{
public:
    SandboxAsyncResult(std::shared_ptr<SandboxService> service, SandboxMeter::Operation operation, int polls,
                       qint64 delayMs, bool never, std::function<Variant()> work);
    ~SandboxAsyncResult() override;
    SandboxAsyncResult(const SandboxAsyncResult&) = delete;
    SandboxAsyncResult& operator=(const SandboxAsyncResult&) = delete;

    bool IsCompleted() override;
    Variant Result() override;

private:
    void complete();
    // Tells the meter how long the operation was busy and held, once.
    void recordActivity(qint64 nowMs);

    std::shared_ptr<SandboxService> m_service;
    SandboxMeter::Operation m_operation;
    int m_polls = 0;
    int m_pollsSeen = 0;
    qint64 m_startMs = 0;
    qint64 m_readyAtMs = 0;
    // When the last poll that the operation waits for came: it is busy until then and its delay.
    qint64 m_pollsDoneMs = 0;
    bool m_recorded = false;
    bool m_never = false;
    bool m_completed = false;
    std::function<Variant()> m_work;
    Variant m_value;
    std::optional<core::Error> m_error;
};

} // namespace platform::diadoc
