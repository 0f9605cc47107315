#include <new>

#include <QFile>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include "FailureMessages.h"
#include "RunFixture.h"
#include "core/MsgBox.h"
#include "run/RunObserver.h"
#include "run/SignIn.h"
#include "run/StartSequence.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;
namespace failure = testsupport::failure;

namespace {

using StartSequenceTest = testsupport::RunFixture;

// An observer that runs a test's hook at each change of the queues: the place where an allocation
// fails inside the run.
class HookedObserver final : public run::RunObserver
{
public:
    std::function<void(const run::TaskCounts&)> onTasks;
    std::function<void(const run::DocCounts&)> onDocs;
    void tasksChanged(const run::TaskCounts& counts) override
    {
        if (onTasks)
            onTasks(counts);
    }
    void docsChanged(const run::DocCounts& counts) override
    {
        if (onDocs)
            onDocs(counts);
    }
};

// An allocation that fails anywhere inside a started run, not only in a queue's failure, stops
// the run as the memory failure of a queue does: its message, its stop reason, the protocols
// still written, the counts told, exit 2; and no later start until the program restarts.
TEST_F(StartSequenceTest, AFailedAllocationInsideTheRunStopsItAsAMemoryFailure)
{
    struct Case
    {
        const char* name;
        bool duringDownloads;
        QString head;
    } cases[] = {
        {"while listing", false, failure::kTasksHead},
        {"while downloading", true, failure::kContentHead},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(out()).removeRecursively();
        ui.boxes.clear();
        HookedObserver hooked;
        bool thrown = false;
        if (c.duringDownloads) {
            hooked.onDocs = [&thrown](const run::DocCounts& counts) {
                if (!thrown && counts.unloaded >= 5) {
                    thrown = true;
                    throw std::bad_alloc();
                }
            };
        } else {
            hooked.onTasks = [&thrown](const run::TaskCounts& counts) {
                if (!thrown && counts.executed >= 1) {
                    thrown = true;
                    throw std::bad_alloc();
                }
            };
        }
        const run::SignIn signIn(options, diadoc, ui);
        const run::SignIn::Outcome signedIn = signIn.signIn();
        run::StartSequence start(services, hooked);
        const auto result =
            start.start(run::StartSequence::storedChoices(options, QDate(2025, 1, 15), signedIn.organisations.nodes),
                        signedIn.organisations);

        ASSERT_TRUE(thrown);
        ASSERT_TRUE(result.ran);
        EXPECT_EQ(result.exitCode, run::StartSequence::kExitStopped);
        const run::RunOutcome& outcome = start.run().lastOutcome();
        EXPECT_TRUE(outcome.stopped);
        EXPECT_EQ(outcome.stopReason, failure::kMemory);
        EXPECT_EQ(outcome.protocols.size(), 3) << "the protocols are still written";
        if (c.duringDownloads) {
            EXPECT_GE(outcome.unloaded, 5);
        }
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(
            ui.boxes.front().prompt,
            QStringList(
                {c.head, u"\"bad allocation\"."_s, failure::kStop, {}, failure::kMemoryCause, failure::kMemoryAdvice})
                .join(u"\r\n"_s));
        EXPECT_EQ(ui.boxes.front().style, vbOKOnly | vbCritical);
        const QStringList summary = run::PrintingObserver::summaryLines(outcome);
        EXPECT_TRUE(summary.first().startsWith(u"Выгрузка документов прервана."_s)) << summary.first().toStdString();

        ui.boxes.clear();
        EXPECT_TRUE(start.refusesNewRuns());
        const auto again =
            start.start(run::StartSequence::storedChoices(options, QDate(2025, 1, 15), signedIn.organisations.nodes),
                        signedIn.organisations);
        EXPECT_FALSE(again.ran);
        EXPECT_EQ(again.exitCode, run::StartSequence::kExitRefused);
        EXPECT_TRUE(again.refusal.startsWith(
            u"Последняя выгрузка документов была прервана в связи с критической ошибкой (\"bad allocation\")."_s));
        ASSERT_EQ(ui.boxes.size(), 1U);
        EXPECT_EQ(ui.boxes.front().prompt, again.refusal);
    }
}

// A stored end that names no real day is today's (the setting's default), never a day of the
// program's own making, and the run log says which value was replaced.
TEST_F(StartSequenceTest, AStoredDateThatIsNoDateIsReplacedAndTheRunLogSaysSo)
{
    options.Set_CreateLogFile(1);
    options.Set_FromDate(u"01.12.2024"_s);
    options.Set_ToDate(u"99.99.9999"_s);
    auto run = makeRun();
    const auto outcome = run->run();
    EXPECT_EQ(outcome.from, u"01.12.2024"_s);
    EXPECT_EQ(outcome.to, u"15.01.2025"_s);
    EXPECT_GT(outcome.listed, 0);
    QFile file(log.logFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << log.logFileName().toStdString();
    QStringDecoder utf16(QStringDecoder::Utf16LE);
    const QString text = utf16.decode(file.readAll());
    EXPECT_TRUE(text.contains(u"Сохранённое значение ToDate \"99.99.9999\" не является датой и заменено значением "
                              u"по умолчанию 15.01.2025."_s))
        << text.left(400).toStdString();
}

} // namespace
