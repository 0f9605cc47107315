#include "PumpingClock.h"

#include <algorithm>

#include <QDateTime>

#include "core/UiServices.h"

namespace run {

PumpingClock::PumpingClock(core::Clock& inner, core::UiServices& ui)
    : m_inner(inner)
    , m_ui(ui)
{
}

qint64 PumpingClock::nowMs() const
{
    return m_inner.nowMs();
}

QDateTime PumpingClock::currentDateTime() const
{
    return m_inner.currentDateTime();
}

void PumpingClock::sleep(int ms)
{
    m_ui.processEvents();
    const qint64 end = m_inner.nowMs() + std::max(0, ms);
    for (qint64 left = end - m_inner.nowMs(); left > 0; left = end - m_inner.nowMs()) {
        m_inner.sleep(static_cast<int>(std::min<qint64>(left, kSliceMs)));
        m_ui.processEvents();
    }
}

} // namespace run
