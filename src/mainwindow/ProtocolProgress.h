#pragma once

#include <QtGlobal>

namespace core {
class Clock;
class DProgressBar;
class UiServices;
} // namespace core

namespace run {
enum class ProtocolKind;
}

namespace mainwindow {

// The progress of the protocols in the status bar: a caption per protocol, a bar that fills for
// HTML and CSV and empties for Excel. A protocol may have tens of thousands of rows, so the bar
// is written only when it moves by a whole pixel, and the window's messages are let through only
// when it moved or more than a second passed since they last were.
class ProtocolProgress final
{
public:
    static constexpr double kMax = 100;
    static constexpr int kTwipsPerPixel = 15;
    static constexpr qint64 kPumpIntervalMs = 1000;

    // What one row's step does to the bar.
    struct Step
    {
        bool write = false; // the bar moved by a pixel: Value takes value
        double value = 0;
        bool pump = false; // the window's messages are let through
    };

    // The pixel of a bar of the width (twips) at the value: value / max × width made whole,
    // halves to even, then whole pixels of 15 twips.
    static int pixelOf(double value, double max, double widthTwips);
    // One step of a bar showing shownValue after numberStep of stepCount rows; an emptying bar
    // shows max − progress. elapsedMs is the time since the messages were last let through.
    static Step step(bool emptying, double shownValue, double max, double widthTwips, int stepCount, int numberStep,
                     qint64 elapsedMs);

    ProtocolProgress(core::DProgressBar& bar, const core::Clock& clock, core::UiServices& ui);

    void begin(run::ProtocolKind kind);
    void advance(run::ProtocolKind kind, int stepCount, int numberStep);

    // How often the bar's value was written and the messages let through since this was made.
    int valueWrites() const { return m_valueWrites; }
    int pumps() const { return m_pumps; }

private:
    core::DProgressBar& m_bar;
    const core::Clock& m_clock;
    core::UiServices& m_ui;
    qint64 m_lastProtocolTick = 0;
    int m_valueWrites = 0;
    int m_pumps = 0;
};

} // namespace mainwindow
