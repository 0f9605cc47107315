#include <gtest/gtest.h>

#include "core/widgets/DProgressBar.h"
#include "core/widgets/mN7GraphLight.h"
#include "mainwindow/ProtocolProgress.h"
#include "run/RunObserver.h"
#include "support/ScriptedUiServices.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

using Step = ProtocolProgress::Step;

// Every row of a protocol through the pure step, as the handler would apply it.
struct Tally
{
    int writes = 0;
    int pumps = 0;
    double value = 0;
};

Tally walk(bool emptying, double widthTwips, int rows)
{
    Tally tally;
    tally.value = emptying ? ProtocolProgress::kMax : 0;
    for (int row = 1; row <= rows; ++row) {
        const Step step =
            ProtocolProgress::step(emptying, tally.value, ProtocolProgress::kMax, widthTwips, rows, row, 0);
        if (step.write) {
            EXPECT_TRUE(emptying ? step.value < tally.value : step.value > tally.value) << "the bar never moves back";
            tally.value = step.value;
            ++tally.writes;
        }
        tally.pumps += step.pump ? 1 : 0;
    }
    return tally;
}

} // namespace

TEST(ProtocolProgressTest, PixelsAreTheRoundedTwipsInWholeFifteens)
{
    EXPECT_EQ(ProtocolProgress::pixelOf(0, 100, 1500), 0);
    EXPECT_EQ(ProtocolProgress::pixelOf(100, 100, 1500), 100);
    EXPECT_EQ(ProtocolProgress::pixelOf(1, 100, 1500), 1);
    EXPECT_EQ(ProtocolProgress::pixelOf(0.96, 100, 1500), 0);
    EXPECT_EQ(ProtocolProgress::pixelOf(0.97, 100, 1500), 1);
    // 14.5 twips round to 14 (halves to even), 15.5 to 16: no pixel, then one.
    EXPECT_EQ(ProtocolProgress::pixelOf(14.5, 100, 100), 0);
    EXPECT_EQ(ProtocolProgress::pixelOf(15.5, 100, 100), 1);
}

TEST(ProtocolProgressTest, TenThousandRowsInAHundredPixelsWriteTheBarAboutAHundredTimes)
{
    for (const bool emptying : {false, true}) {
        SCOPED_TRACE(emptying ? "Excel" : "HTML");
        const Tally tally = walk(emptying, 1500, 10000);
        EXPECT_GE(tally.writes, 95);
        EXPECT_LE(tally.writes, 100);
        EXPECT_EQ(tally.pumps, tally.writes) << "without a second passing, only a move lets messages through";
        // The last pixel is reached a few rows before the end; the bar is not written again after it.
        EXPECT_NEAR(tally.value, emptying ? 0.0 : 100.0, 0.05);
    }
}

TEST(ProtocolProgressTest, AFewRowsInAWideBarMoveAndPumpAtEveryRow)
{
    const Tally tally = walk(false, 15000, 3);
    EXPECT_EQ(tally.writes, 3);
    EXPECT_EQ(tally.pumps, 3);
}

TEST(ProtocolProgressTest, MoreThanASecondWithoutAMoveLetsTheMessagesThrough)
{
    const Step still = ProtocolProgress::step(false, 50, 100, 1500, 10000, 5000, 1000);
    EXPECT_FALSE(still.write);
    EXPECT_FALSE(still.pump) << "exactly a second is not more than a second";
    const Step late = ProtocolProgress::step(false, 50, 100, 1500, 10000, 5000, 1001);
    EXPECT_FALSE(late.write);
    EXPECT_TRUE(late.pump);
}

TEST(ProtocolProgressTest, TheBarNamesEachProtocolFillsForHtmlAndCsvAndEmptiesForExcel)
{
    core::DProgressBar bar;
    bar.resize(1500 / core::TwipsPerPixelX(), 20);
    testsupport::VirtualClock clock;
    testsupport::ScriptedUiServices ui;
    ProtocolProgress progress(bar, clock, ui);
    struct Case
    {
        run::ProtocolKind kind;
        QString text;
        double start;
        double end;
    } cases[] = {
        {run::ProtocolKind::Html, u"Формирование протокола выгрузки в Html-файл..."_s, 0, 100},
        {run::ProtocolKind::Excel, u"Формирование протокола выгрузки в Excel-файл..."_s, 100, 0},
        {run::ProtocolKind::Csv, u"Формирование протокола выгрузки в CSV-файл..."_s, 0, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        bar.hide();
        progress.begin(c.kind);
        EXPECT_EQ(bar.Text(), c.text);
        EXPECT_DOUBLE_EQ(bar.Value(), c.start);
        EXPECT_DOUBLE_EQ(bar.Max(), 100);
        EXPECT_DOUBLE_EQ(bar.Min(), 0);
        EXPECT_FALSE(bar.isHidden());
        const int writes = progress.valueWrites();
        const int pumps = ui.processEventsCalls;
        for (int row = 1; row <= 10000; ++row)
            progress.advance(c.kind, 10000, row);
        EXPECT_NEAR(bar.Value(), c.end, 0.05);
        EXPECT_LE(progress.valueWrites() - writes, 100);
        EXPECT_GE(progress.valueWrites() - writes, 95);
        EXPECT_EQ(ui.processEventsCalls - pumps, progress.valueWrites() - writes);
    }
    // A slow protocol: every row takes 600 ms and the bar is too wide to move; every second row pumps.
    bar.resize(15 / core::TwipsPerPixelX(), 20);
    progress.begin(run::ProtocolKind::Html);
    const int pumps = ui.processEventsCalls;
    for (int row = 1; row <= 10; ++row) {
        clock.advance(600);
        progress.advance(run::ProtocolKind::Html, 1000, row);
    }
    EXPECT_EQ(ui.processEventsCalls - pumps, 5);
}

} // namespace mainwindow::test
