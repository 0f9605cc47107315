#include "ProtocolProgress.h"

#include "core/Clock.h"
#include "core/UiServices.h"
#include "core/VbNumbers.h"
#include "core/widgets/DProgressBar.h"
#include "core/widgets/mN7GraphLight.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace mainwindow {

int ProtocolProgress::pixelOf(double value, double max, double widthTwips)
{
    if (max == 0)
        return 0;
    return static_cast<int>(core::vbRoundHalfEven(value / max * widthTwips)) / kTwipsPerPixel;
}

ProtocolProgress::Step ProtocolProgress::step(bool emptying, double shownValue, double max, double widthTwips,
                                              int stepCount, int numberStep, qint64 elapsedMs)
{
    Step result;
    // Held in single precision, as the bar's arithmetic always was.
    const float progress = static_cast<float>(max * numberStep / (stepCount > 0 ? stepCount : 1));
    const double shownProgress = emptying ? max - shownValue : shownValue;
    if (pixelOf(progress, max, widthTwips) > pixelOf(shownProgress, max, widthTwips)) {
        result.write = true;
        result.value = emptying ? max - progress : progress;
    }
    result.pump = result.write || elapsedMs > kPumpIntervalMs;
    return result;
}

ProtocolProgress::ProtocolProgress(core::DProgressBar& bar, const core::Clock& clock, core::UiServices& ui)
    : m_bar(bar)
    , m_clock(clock)
    , m_ui(ui)
{
}

void ProtocolProgress::begin(run::ProtocolKind kind)
{
    switch (kind) {
    case run::ProtocolKind::Html:
        m_bar.setText(u"Формирование протокола выгрузки в Html-файл..."_s);
        break;
    case run::ProtocolKind::Excel:
        m_bar.setText(u"Формирование протокола выгрузки в Excel-файл..."_s);
        break;
    case run::ProtocolKind::Csv:
        m_bar.setText(u"Формирование протокола выгрузки в CSV-файл..."_s);
        break;
    }
    if (kind == run::ProtocolKind::Excel) {
        m_bar.setMax(kMax);
        m_bar.setValue(kMax);
    } else {
        m_bar.setValue(0);
        m_bar.setMax(kMax);
    }
    m_bar.setMin(0);
    m_bar.show();
    m_lastProtocolTick = m_clock.nowMs();
}

void ProtocolProgress::advance(run::ProtocolKind kind, int stepCount, int numberStep)
{
    const qint64 now = m_clock.nowMs();
    const double widthTwips = double(m_bar.width()) * core::TwipsPerPixelX();
    const Step next = step(kind == run::ProtocolKind::Excel, m_bar.Value(), m_bar.Max(), widthTwips, stepCount,
                           numberStep, now - m_lastProtocolTick);
    if (next.write) {
        m_bar.setValue(next.value);
        ++m_valueWrites;
    }
    if (next.pump) {
        m_ui.processEvents();
        ++m_pumps;
        m_lastProtocolTick = now;
    }
}

} // namespace mainwindow
