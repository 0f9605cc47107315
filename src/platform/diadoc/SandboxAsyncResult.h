#pragma once

#include <functional>
#include <optional>

#include "DiadocAsyncResult.h"
#include "base/Error.h"

namespace platform::diadoc {

class SandboxService;

// A background operation of the emulated client in virtual time: it completes on a set poll of
// IsCompleted and not before a set delay on the service's clock (or never). Its work runs once, at
// completion; Result then gives the work's value or raises its error on every read.
class SandboxAsyncResult final : public DiadocAsyncResult
{
public:
    SandboxAsyncResult(std::shared_ptr<SandboxService> service, int polls, qint64 delayMs, bool never,
                       std::function<Variant()> work);

    bool IsCompleted() override;
    Variant Result() override;

private:
    void complete();

    std::shared_ptr<SandboxService> m_service;
    int m_polls = 0;
    int m_pollsSeen = 0;
    qint64 m_readyAtMs = 0;
    bool m_never = false;
    bool m_completed = false;
    std::function<Variant()> m_work;
    Variant m_value;
    std::optional<core::Error> m_error;
};

} // namespace platform::diadoc
