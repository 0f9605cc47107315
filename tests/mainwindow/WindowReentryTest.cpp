#include <new>
#include <set>

#include "WindowRunFixture.h"
#include "run/FailureWatch.h"
#include "run/PumpingClock.h"
#include "run/StartSequence.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;
using platform::diadoc::FaultEffect;
using platform::diadoc::FaultRule;

namespace mainwindow::test {

namespace {

const QString kViewerQuestion = u"Открыть Ларимо-9: Файловый архив электронных документов в корневой папке выгрузки?"_s;

// The main window that counts its closings: Form_Unload lets the last run go once per closing.
class CountingWindow final : public frmDiadocUnloadDocs
{
public:
    using frmDiadocUnloadDocs::frmDiadocUnloadDocs;
    int releases = 0;

protected:
    void releaseRun() override
    {
        ++releases;
        frmDiadocUnloadDocs::releaseRun();
    }
};

// The run's waiter as the program has it, letting the window's messages through while it sleeps,
// and telling how long the sleep under way was asked to be, so that a test knows which wait it is
// in: a slice of the pause before a retry, or a pass of a polling loop.
class TellingClock final : public core::Clock
{
public:
    TellingClock(core::Clock& inner, core::UiServices& ui)
        : m_pumping(inner, ui)
    {
    }
    qint64 nowMs() const override { return m_pumping.nowMs(); }
    QDateTime currentDateTime() const override { return m_pumping.currentDateTime(); }
    void sleep(int ms) override
    {
        const int outer = sleeping;
        sleeping = ms;
        m_pumping.sleep(ms);
        sleeping = outer;
    }

    int sleeping = 0;

private:
    run::PumpingClock m_pumping;
};

// A waiter whose first pass of a polling loop fails to allocate: the run is under way then.
class FailingClock final : public core::Clock
{
public:
    explicit FailingClock(core::Clock& inner)
        : m_inner(inner)
    {
    }
    qint64 nowMs() const override { return m_inner.nowMs(); }
    QDateTime currentDateTime() const override { return m_inner.currentDateTime(); }
    void sleep(int ms) override
    {
        if (!thrown && ms >= 250) {
            thrown = true;
            throw std::bad_alloc();
        }
        m_inner.sleep(ms);
    }

    bool thrown = false;

private:
    core::Clock& m_inner;
};

class WindowReentryTest : public WindowRunFixture
{
protected:
    WindowReentryTest() { options.Set_TimeOut(30); }

    // Every download completes only after this much time on the service's clock.
    void slowDownloads(qint64 delayMs)
    {
        for (const QString& operation : {u"SaveAllContentAsync"_s, u"SaveAllContentZipAsync"_s}) {
            FaultRule rule;
            rule.operation = operation;
            rule.effect = FaultEffect::Late;
            rule.extraDelayMs = delayMs;
            service()->addFault(rule);
        }
    }

    static QString tabCount(const QTabBar* tabs, const QString& key)
    {
        const QString caption = tabCaption(tabs, key);
        return caption.mid(caption.lastIndexOf(u'(') + 1).chopped(1);
    }

    int boxesWith(const QString& prompt) const
    {
        int count = 0;
        for (const auto& box : ui.boxes)
            count += box.prompt.startsWith(prompt) ? 1 : 0;
        return count;
    }

    TellingClock telling{clock, ui};
    run::Services pumped{options, telling, ui, diadoc, unzipper, log, api};
};

// The close waits for the downloads the stopped run left in flight, letting the window's
// messages through: a click on Execute meanwhile starts no run, and a second close is not a
// second Form_Unload (no second viewer question, no second release, no second placement).
TEST_F(WindowReentryTest, DuringTheWaitForDownloadsInFlightExecuteAndCloseDoNothing)
{
    slowDownloads(20000);
    const auto window = load<CountingWindow>({}, &pumped);
    window->show();
    const MainWindowControls& c = window->controls();
    bool stopped = false;
    bool closing = false;
    int inTheWait = 0;
    ui.onProcessEvents = [&] {
        if (!stopped && window->busyMode() == 2 && tabCount(c.theTabsDocs, u"UnloadingList"_s) != u"0"_s) {
            stopped = true;
            execute(*window);
        } else if (closing && telling.sleeping > 0) {
            ++inTheWait;
            execute(*window);
            window->close();
        }
    };
    ui.expectBox(vbYes); // the stop question
    ui.expectBox(vbNo);  // the end message with the Excel offer
    ui.expectBox(vbNo);  // the viewer question, when a document was unloaded before the stop
    execute(*window);
    ASSERT_TRUE(stopped);
    ASSERT_EQ(listener.ended.size(), 1U);
    ASSERT_TRUE(listener.ended.at(0).stopped);

    const qint64 before = clock.nowMs();
    closing = true;
    EXPECT_TRUE(window->close());
    closing = false;
    ui.onProcessEvents = {};

    EXPECT_GT(inTheWait, 0) << "the close waited for the downloads in flight";
    EXPECT_GT(clock.nowMs(), before);
    EXPECT_EQ(listener.ended.size(), 1U) << "no run started during the wait";
    EXPECT_EQ(window->releases, 1) << "one Form_Unload";
    EXPECT_LE(boxesWith(kViewerQuestion), 1);
    EXPECT_EQ(boxesWith(u"Пока идёт процесс"_s), 0);
    EXPECT_FALSE(window->isVisible());
}

// A click on Execute and on the close box from inside each kind of wait that lets the window's
// messages through: a counter update, the pause before a retry, a protocol step and the wait for
// downloads in flight at the close. Inside a run the click only asks the stop question and the
// close is refused; inside the close's wait both do nothing; no second run starts and the window
// closes once.
TEST_F(WindowReentryTest, NothingReentersFromAnyWaitThatLetsTheMessagesThrough)
{
    // The first download fails at its start, while the others are in flight, and is tried again.
    for (const QString& operation : {u"SaveAllContentAsync"_s, u"SaveAllContentZipAsync"_s}) {
        FaultRule retry;
        retry.operation = operation;
        retry.firstAttempts = 1;
        retry.text = u"##100[Ошибка сервера Диадок]code:500, HTTP error: Internal Server Error"_s;
        service()->addFault(retry);
    }
    slowDownloads(20000);
    const auto window = load<CountingWindow>({}, &pumped);
    window->show();
    const MainWindowControls& c = window->controls();

    enum class Wait
    {
        Counter,
        Pause,
        ProtocolStep,
        Release,
    };
    std::set<Wait> acted;
    bool acting = false;
    bool closing = false;
    bool stopped = false;
    QString counters = c.theTasksFailureCounter->text() + u'/' + c.theDocsFailureCounter->text();
    ui.onProcessEvents = [&] {
        if (acting)
            return;
        const QString now = c.theTasksFailureCounter->text() + u'/' + c.theDocsFailureCounter->text();
        std::optional<Wait> wait;
        if (closing && telling.sleeping > 0)
            wait = Wait::Release;
        else if (window->busyMode() == 3)
            wait = Wait::ProtocolStep;
        else if (window->busyMode() == 2 && telling.sleeping > 0
                 && telling.sleeping <= run::FailureWatch::kPauseSliceMs)
            wait = Wait::Pause;
        else if (window->busyMode() == 2 && telling.sleeping == 0 && now != counters)
            wait = Wait::Counter;
        counters = now;
        if (!wait && !stopped && acted.count(Wait::Pause) > 0 && window->busyMode() == 2 && telling.sleeping > 0
            && tabCount(c.theTabsDocs, u"UnloadingList"_s) != u"0"_s) {
            // A pass of the polling while downloads are in flight: the stop leaves them so for the
            // close to wait on.
            stopped = true;
            execute(*window);
            return;
        }
        if (!wait || acted.count(*wait) > 0)
            return;
        acted.insert(*wait);
        acting = true;
        const std::size_t runs = listener.ended.size();
        const int releases = window->releases;
        execute(*window);
        window->close();
        EXPECT_EQ(listener.ended.size(), runs);
        EXPECT_EQ(window->releases, releases);
        EXPECT_TRUE(window->isVisible());
        acting = false;
    };
    ui.expectBox(vbNo);  // the counter update: the stop question
    ui.expectBox(vbOK);  // and the refused close
    ui.expectBox(vbNo);  // the pause: the stop question
    ui.expectBox(vbOK);  // and the refused close
    ui.expectBox(vbYes); // the stop while the retried download is in flight
    ui.expectBox(vbNo);  // a protocol step: the protocols' stop question
    ui.expectBox(vbOK);  // and the refused close
    ui.expectBox(vbNo);  // the end message with the Excel offer
    ui.expectBox(vbNo);  // the viewer question, when a document was unloaded before the stop
    execute(*window);
    ASSERT_EQ(listener.ended.size(), 1U);
    ASSERT_TRUE(stopped);
    closing = true;
    EXPECT_TRUE(window->close());
    closing = false;
    ui.onProcessEvents = {};

    EXPECT_EQ(acted, (std::set<Wait>{Wait::Counter, Wait::Pause, Wait::ProtocolStep, Wait::Release}));
    EXPECT_EQ(listener.ended.size(), 1U);
    EXPECT_EQ(window->releases, 1);
    EXPECT_EQ(boxesWith(u"Пока идёт процесс выгрузки документов,"_s), 2);
    EXPECT_EQ(boxesWith(u"Пока идёт процесс формирования протокола выгрузки,"_s), 1);
    EXPECT_LE(boxesWith(kViewerQuestion), 1);
    EXPECT_FALSE(window->isVisible());
}

// /AUTOSTART through the window: an allocation that fails inside the run stops it as a memory
// failure does; the protocols are written, the window closes and the program's exit code is 2.
TEST_F(WindowReentryTest, AFailedAllocationInsideAnUnattendedRunEndsItAsStopped)
{
    ui.unattended = true;
    slowDownloads(1000);
    FailingClock failing(clock);
    const run::Services services{options, failing, ui, diadoc, unzipper, log, api};
    const auto window = load({u"/AUTOSTART"_s}, &services);
    window->show();
    QMetaObject::invokeMethod(window->controls().theStartingTimer, "timeout");

    ASSERT_TRUE(failing.thrown);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(listener.ended.size(), 1U);
    EXPECT_TRUE(listener.ended.at(0).stopped);
    EXPECT_EQ(listener.ended.at(0).stopReason, u"bad allocation"_s);
    EXPECT_EQ(listener.ended.at(0).protocols.size(), 3);
    EXPECT_EQ(window->autoStartExitCode(), run::StartSequence::kExitStopped);
    EXPECT_TRUE(ui.errorDialogCalls.empty()) << "no program failure was reported";
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_TRUE(ui.boxes.front().prompt.contains(u"Вероятно исчерпана доступная процессу оперативная память."_s))
        << ui.boxes.front().prompt.toStdString();
    EXPECT_EQ(window->busyMode(), 0);
}

} // namespace

} // namespace mainwindow::test
