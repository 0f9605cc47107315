#include <vector>

#include <gtest/gtest.h>

#include "RunFixture.h"
#include "run/FailureWatch.h"
#include "run/NodeKey.h"
#include "run/PumpingClock.h"
#include "run/Run.h"
#include "run/RunObserver.h"

using namespace Qt::StringLiterals;

namespace {

using RunTest = testsupport::RunFixture;

TEST(NodeKeyTest, KeysReadAsTheEngineAndTheSettingsTakeThem)
{
    const run::NodeKey org = run::NodeKey::organisation(u"7701234567"_s, u"770101001"_s);
    const run::NodeKey dep = org.department(u"dep-sever"_s);
    const run::NodeKey sub = dep.department(u"dep-sever-sklad"_s);
    EXPECT_EQ(org.text(), u"org7701234567/770101001"_s);
    EXPECT_EQ(sub.text(), u"org7701234567/770101001|depdep-sever|depdep-sever-sklad"_s);
    EXPECT_EQ(org.storedName(), u"org7701234567/770101001"_s);
    EXPECT_EQ(sub.storedName(), u"depdep-sever-sklad"_s);
    EXPECT_EQ(sub.departmentId(), u"dep-sever-sklad"_s);
    EXPECT_EQ(sub.organisationKey(), org.text());
    EXPECT_EQ(sub.parent(), dep);
    EXPECT_EQ(dep.parent(), org);
    EXPECT_TRUE(sub.isWithin(org));
    EXPECT_FALSE(org.isWithin(dep));
    for (const auto& key : {org, dep, sub})
        EXPECT_EQ(run::NodeKey::parse(key.text()), key);
    EXPECT_TRUE(run::NodeKey::parse(u"dep-x"_s).isEmpty());
    // An organisation without KPP ends with "/" and stays whole.
    EXPECT_EQ(run::NodeKey::parse(u"org123/|depa"_s).organisationKey(), u"org123/"_s);
}

// An observer that can act from inside the run's events, as a window's stop question does.
class ActingObserver final : public run::RunObserver
{
public:
    std::function<void(engine::Fetchling&)> onStart;
    std::function<void()> onList;
    int ended = 0;
    void runStarted(engine::Fetchling& engine) override
    {
        if (onStart)
            onStart(engine);
    }
    void maxDocsInOneListChanged(int) override
    {
        if (onList)
            onList();
    }
    void runEnded(const run::RunOutcome&) override { ++ended; }
};

run::RunRequest requestFor(const run::SignIn::Outcome& signedIn, const QString& folder)
{
    run::RunRequest request;
    request.unloadFolder = folder;
    request.from = u"01.01.2024"_s;
    request.to = u"31.12.2024"_s;
    request.nodes = signedIn.organisations.nodes;
    return request;
}

TEST_F(RunTest, SummaryRowsBeforeAnyRunHaveZeroCounts)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto rows = runner.summaryRows(u"html"_s);
    ASSERT_GT(rows.size(), 15);
    EXPECT_EQ(runner.engine(), nullptr);
    bool counted = false;
    for (const auto& row : rows)
        if (row.caption == u"Количество успешно выгруженных документов:"_s)
            counted = row.value == u"0"_s;
    EXPECT_TRUE(counted);
}

TEST_F(RunTest, ARunRefusesToStartFromItsOwnEventsAndTheStopEndsItBeforeTheNextNode)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    ASSERT_FALSE(signedIn.organisations.persons->isEmpty()) << signedIn.text.toStdString();
    const run::RunRequest request = requestFor(signedIn, out());
    QDir().mkpath(out());

    QString refusal;
    acting.onStart = [&](engine::Fetchling&) {
        EXPECT_TRUE(runner.isBusy());
        try {
            runner.execute(request, signedIn.organisations);
        } catch (const core::Error& e) {
            refusal = e.description();
        }
    };
    acting.onList = [&] { runner.requestStop(); };
    const auto outcome = runner.execute(request, signedIn.organisations);

    EXPECT_TRUE(refusal.contains(u"Выгрузка документов уже идёт."_s)) << refusal.toStdString();
    EXPECT_FALSE(runner.isBusy());
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.stopReason.isEmpty());
    EXPECT_EQ(outcome.endText, u"Выгрузка документов прервана."_s);
    EXPECT_EQ(acting.ended, 1);
    QStringList captions;
    for (const auto& row : runner.summaryRows(u"html"_s))
        captions.append(row.caption);
    EXPECT_TRUE(captions.contains(u"Выгрузка остановлена пользователем:"_s));

    // A second run of the same object replaces the engine and its watch, and is not stopped.
    acting.onStart = {};
    acting.onList = {};
    const auto second = runner.execute(request, signedIn.organisations);
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(second.left, 0);
    EXPECT_GT(second.unloaded, 100);
}

// Writes down which engine each call names, with the size of its download queue then.
class BindingObserver final : public run::RunObserver
{
public:
    QStringList calls;
    std::vector<const engine::Fetchling*> engines;
    void runStarted(engine::Fetchling& engine) override
    {
        calls.append(u"started"_s);
        engines.push_back(&engine);
    }
    void runReleasing(engine::Fetchling& engine) override
    {
        calls.append(u"releasing %1"_s.arg(engine.AsyncDocs().Count()));
        engines.push_back(&engine);
    }
};

TEST_F(RunTest, TheQueuesAWindowShowsAreLetGoWhileTheyStillStandBeforeTheNextRun)
{
    BindingObserver binding;
    run::Run runner(services, binding);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    const run::RunRequest request = requestFor(signedIn, out());
    QDir().mkpath(out());
    const auto first = runner.execute(request, signedIn.organisations);
    runner.execute(request, signedIn.organisations);
    const QString documents = QString::number(first.unloaded + first.ignored);
    EXPECT_EQ(binding.calls, (QStringList{u"started"_s, u"releasing "_s + documents, u"started"_s}));
    ASSERT_EQ(binding.engines.size(), 3u);
    EXPECT_EQ(binding.engines[0], binding.engines[1]);
}

TEST_F(RunTest, TheRunsSummaryKeepsTheChoicesItStartedWith)
{
    ActingObserver acting;
    run::Run runner(services, acting);
    const auto signedIn = run::SignIn(options, diadoc, ui).signIn();
    run::RunRequest request = requestFor(signedIn, out());
    request.flags.onlyFinished = false;
    request.flags.withRevoked = true;
    QDir().mkpath(out());
    options.Set_Revoked(0);
    runner.execute(request, signedIn.organisations);
    const auto rows = runner.summaryRows(u"html"_s);
    bool revoked = false;
    for (const auto& row : rows)
        if (row.caption == u"Выгружать аннулированные документы:"_s)
            revoked = row.value == u"Да"_s;
    EXPECT_TRUE(revoked);
}

TEST_F(RunTest, AWindowsWaitIsCutIntoSlicesBetweenWhichItsMessagesAreHandled)
{
    run::PumpingClock pumping(clock, ui);
    const qint64 start = clock.nowMs();
    pumping.sleep(1000);
    EXPECT_EQ(clock.nowMs() - start, 1000);
    EXPECT_GE(ui.processEventsCalls, 1000 / run::PumpingClock::kSliceMs);
}

} // namespace
