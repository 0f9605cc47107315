#pragma once

#include "core/Clock.h"

namespace core {
class UiServices;
}

namespace run {

// The waiter of a run on a window's thread: every pause is cut into short slices between which
// the window handles its messages, so it keeps painting and answering its stop question.
class PumpingClock final : public core::Clock
{
public:
    static constexpr int kSliceMs = 20;

    PumpingClock(core::Clock& inner, core::UiServices& ui);

    qint64 nowMs() const override;
    QDateTime currentDateTime() const override;
    void sleep(int ms) override;

private:
    core::Clock& m_inner;
    core::UiServices& m_ui;
};

} // namespace run
