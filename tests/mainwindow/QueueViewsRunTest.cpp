#include <QDir>
#include <QMainWindow>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "core/ApplicationTitle.h"
#include "core/mAPI.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/mDiadoc.h"
#include "engine/Fetchling.h"
#include "mainwindow/MainWindowControls.h"
#include "mainwindow/QueueViews.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/shell/LinuxSpecialFolders.h"
#include "platform/zip/LibzipLibraries.h"
#include "run/Run.h"
#include "run/RunObserver.h"
#include "run/Services.h"
#include "run/SignIn.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

// What a window's observer does for its grids: binds them to each run's queues, lets go of them
// before they go, and shows a failure's list before the failure is judged. It also notes what
// the grid showed at that moment and whether a box had been shown yet.
class GridsObserver final : public run::RunObserver
{
public:
    GridsObserver(QueueViews& views, const testsupport::ScriptedUiServices& ui, const QTableView& gridDocs)
        : m_views(views)
        , m_ui(ui)
        , m_gridDocs(gridDocs)
    {
    }
    void runStarted(engine::Fetchling& engine) override
    {
        m_views.bind(engine.AsyncTasks(), engine.AsyncDocs());
        m_docs = &engine.AsyncDocs();
    }
    void releasingEngine(engine::Fetchling&) override
    {
        m_views.unbind();
        m_docs = nullptr;
    }
    void failureListed(const std::shared_ptr<diadoc::AsyncTskRecord>& rec, int position) override
    {
        m_views.fAsyncTasks_OnAddedInSecondaryQueue(rec, position);
    }
    void failureListed(const std::shared_ptr<diadoc::AsyncDocRecord>& rec, bool ignored) override
    {
        if (ignored) {
            m_views.fAsyncDocs_OnAddedInПустыеЗапросы(rec);
            return;
        }
        m_views.fAsyncDocs_OnAddedInSecondaryQueue(rec);
        const auto& list = m_docs->SecondaryQueue();
        const QAbstractItemModel& model = *m_gridDocs.model();
        rowsAtFailure.push_back(model.rowCount() == list.Count() ? model.rowCount() : -1);
        lastRowAtFailure = model.data(model.index(model.rowCount() - 1, 0)).toString();
        failedId = rec->DocumentId;
        boxesAtFailure.push_back(static_cast<int>(m_ui.boxes.size()));
    }

    std::vector<int> rowsAtFailure;
    std::vector<int> boxesAtFailure;
    QString lastRowAtFailure;
    QString failedId;

private:
    QueueViews& m_views;
    const testsupport::ScriptedUiServices& m_ui;
    const QTableView& m_gridDocs;
    const diadoc::AsyncContents* m_docs = nullptr;
};

void selectTab(QTabBar& tabs, const QString& key)
{
    for (int i = 0; i < tabs.count(); ++i)
        if (tabs.tabData(i).toString() == key)
            tabs.setCurrentIndex(i);
}

// A run over the bundled sample service, its grids in the window's controls.
class QueueViewsRunTest : public ::testing::Test
{
protected:
    QueueViewsRunTest()
    {
        ui.unattended = true;
        options.Set_DiadocServerURL(QDir(QStringLiteral(FETCHLING_SAMPLE_SANDBOX)).absolutePath());
        options.Set_TypeDiadocAccount(1);
        options.Set_Login(u"buh@romashka.ru"_s);
        options.Set_Password(u"Ромашка2024"_s);
        options.Set_TimeOut(1);
        signedIn = run::SignIn(options, diadoc, ui).signIn();
        c = MainWindowControls::build(window);
        views = std::make_unique<QueueViews>(*c.theTabsTasks, *c.theGridTasks, *c.theTabsDocs, *c.theGridDocs, ui,
                                             clock, [this] { return signedIn.organisations.persons.get(); });
        views->setRefreshPace(0);
        QDir().mkpath(out());
    }

    QString out() const { return dir.filePath(u"out"_s) + u'/'; }

    run::RunRequest request() const
    {
        run::RunRequest r;
        r.unloadFolder = out();
        r.from = QDate(2024, 1, 1);
        r.to = QDate(2024, 12, 31);
        r.nodes = signedIn.organisations.nodes;
        return r;
    }

    QTemporaryDir dir;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    testsupport::VirtualClock clock;
    platform::diadoc::SandboxClientFactory factory{[this] { return clock.nowMs(); }};
    testsupport::ScriptedUiServices ui;
    diadoc::mDiadoc diadoc{factory, options};
    platform::zip::LibzipLibraries zipLibraries;
    core::mUnzipper unzipper{zipLibraries, ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    platform::shell::LinuxSpecialFolders folders{dir.filePath(u"home"_s), dir.filePath(u"home/.config"_s)};
    core::mAPI api{folders};
    run::Services services{options, clock, ui, diadoc, unzipper, log, api};
    run::SignIn::Outcome signedIn;
    QMainWindow window;
    MainWindowControls c;
    std::unique_ptr<QueueViews> views;
};

TEST_F(QueueViewsRunTest, AFailuresListIsShownBeforeItsBoxAndTheGridsFollowEachRun)
{
    ASSERT_FALSE(signedIn.organisations.persons->isEmpty()) << signedIn.text.toStdString();
    GridsObserver observer(*views, ui, *c.theGridDocs);
    run::Run runner(services, observer);

    // A first run to its end: the grid of the unloaded documents shows them all, in order.
    selectTab(*c.theTabsDocs, u"UnloadedList"_s);
    const auto first = runner.execute(request(), signedIn.organisations);
    ASSERT_FALSE(first.stopped);
    QAbstractItemModel& docs = *c.theGridDocs->model();
    ASSERT_EQ(docs.rowCount(), first.unloaded);
    const auto& unloaded = runner.engine()->AsyncDocs().UnloadedList();
    for (int row = 0; row < unloaded.Count(); ++row)
        ASSERT_EQ(docs.data(docs.index(row, 0)).toString(), unloaded.Item(row + 1)->DocumentId);
    selectTab(*c.theTabsTasks, u"ExecutedList"_s);
    EXPECT_EQ(c.theGridTasks->model()->rowCount(), first.listRequests);

    // A second run whose downloads fail with a write error: it lets go of the first run's queues,
    // shows the failed download in the secondary queue's grid before the box, and stops.
    platform::diadoc::FaultRule rule;
    rule.operation = u"SaveContentResult"_s;
    rule.text = u"Ошибка записи в файл"_s;
    factory.service(options.Get_DiadocServerURL())->addFault(rule);
    selectTab(*c.theTabsDocs, u"SecondaryQueue"_s);
    const std::size_t boxesBefore = ui.boxes.size();
    const auto second = runner.execute(request(), signedIn.organisations);
    EXPECT_TRUE(second.stopped);
    EXPECT_EQ(second.stopReason, u"Ошибка записи в файл"_s);
    ASSERT_FALSE(observer.rowsAtFailure.empty());
    EXPECT_GE(observer.rowsAtFailure.front(), 1) << "the grid showed the secondary queue as it was";
    EXPECT_EQ(observer.lastRowAtFailure, observer.failedId);
    EXPECT_EQ(observer.boxesAtFailure.front(), static_cast<int>(boxesBefore)) << "no box before the refresh";
    EXPECT_GT(ui.boxes.size(), boxesBefore);
    EXPECT_EQ(docs.rowCount(), runner.engine()->AsyncDocs().SecondaryQueue().Count());

    // The views go before the run and its queues, as in the window, which declares them after it.
    views.reset();
}

} // namespace

} // namespace mainwindow::test
