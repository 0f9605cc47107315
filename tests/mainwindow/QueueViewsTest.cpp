#include <functional>
#include <memory>
#include <vector>

#include <QAbstractItemModelTester>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "MainWindowFixture.h"
#include "core/ApplicationTitle.h"
#include "core/mFetchlingOptions.h"
#include "core/mLogFile.h"
#include "core/mUnzipper.h"
#include "diadoc/AsyncContents.h"
#include "diadoc/AsyncDocRecord.h"
#include "diadoc/AsyncTasks.h"
#include "diadoc/AsyncTskRecord.h"
#include "diadoc/FakeDiadoc.h"
#include "diadoc/PersonRecord.h"
#include "diadoc/RecordList.h"
#include "mainwindow/MainWindowControls.h"
#include "mainwindow/QueueViews.h"
#include "platform/diadoc/SandboxClientFactory.h"
#include "platform/diadoc/SandboxDocument.h"
#include "platform/diadoc/SandboxGenerator.h"
#include "platform/diadoc/SandboxService.h"
#include "platform/diadoc/Variant.h"
#include "platform/zip/LibzipLibraries.h"
#include "support/ScriptedUiServices.h"
#include "support/TestRegistry.h"
#include "support/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

const QString kOrg = u"box-romashka"_s;

using DocRecord = diadoc::AsyncContentsListener::Record;

// Holds every download back: the documents stay where they were queued.
class HoldDocs final : public diadoc::AsyncContentsListener
{
public:
    void OnChanged(bool& rCancel) override { rCancel = true; }
};

// Holds every list request back in the main queue.
class HoldTasks final : public diadoc::AsyncTasksListener
{
public:
    void OnAllowNextTaskStart(bool& rAllow) override { rAllow = false; }
};

// What the run does for the window at a failure: the list refresh of the failure handlers.
class FailureRefresh final : public diadoc::AsyncContentsListener
{
public:
    explicit FailureRefresh(QueueViews& views)
        : m_views(views)
    {
    }
    void OnAddedInSecondaryQueue(const DocRecord& rec) override { m_views.fAsyncDocs_OnAddedInSecondaryQueue(rec); }
    void OnAddedInПустыеЗапросы(const DocRecord& rec) override { m_views.fAsyncDocs_OnAddedInПустыеЗапросы(rec); }

private:
    QueueViews& m_views;
};

// After every move of a record, the grid must show as many rows as its list holds.
class RowsFollowTheList final : public diadoc::AsyncContentsListener
{
public:
    explicit RowsFollowTheList(std::function<void()> check)
        : m_check(std::move(check))
    {
    }
    void OnAddedInMainQueue(const DocRecord&) override { m_check(); }
    void OnRemovedFromMainQueue(const DocRecord&) override { m_check(); }
    void OnAddedInSecondaryQueue(const DocRecord&) override { m_check(); }
    void OnRemovedFromSecondaryQueue(const DocRecord&) override { m_check(); }
    void OnAddedInUnloadingList(const DocRecord&) override { m_check(); }
    void OnRemovedFromUnloadingList(const DocRecord&) override { m_check(); }
    void OnAddedInUnloadedList(const DocRecord&) override { m_check(); }
    void OnAddedInПустыеЗапросы(const DocRecord&) override { m_check(); }

private:
    std::function<void()> m_check;
};

void selectTab(QTabBar& tabs, const QString& key)
{
    for (int i = 0; i < tabs.count(); ++i)
        if (tabs.tabData(i).toString() == key)
            tabs.setCurrentIndex(i);
}

// The window's queue controls as built, the views over them, a generated sample service and the
// two queues of a run on a virtual clock.
class QueueViewsTest : public ::testing::Test
{
protected:
    QueueViewsTest()
    {
        c = MainWindowControls::build(window);
        window.resize(1400, 800);

        auto organisation = std::make_shared<fakediadoc::FakeOrganization>();
        organisation->types = {{u"Contract"_s, u"Договор"_s}, {u"Nonformalized"_s, u"Неформализованный"_s}};
        auto person = std::make_shared<diadoc::PersonRecord>(ui);
        person->Name = u"ООО «Ромашка»"_s;
        person->DiadocOrganization = organisation;
        persons.Add(person, kOrg);

        platform::diadoc::SandboxGenerator::Settings settings;
        settings.documents = 10;
        settings.polls = 1;
        const QString sandbox = dir.filePath(u"sandbox"_s);
        platform::diadoc::SandboxGenerator::write(sandbox, settings);
        service = factory.service(QUrl::fromLocalFile(sandbox).toString());
        for (const auto& data : service->data().documents)
            documents.push_back(std::make_shared<platform::diadoc::SandboxDocument>(service, &data));
        task.KeyОрганизацииВКоллекции = kOrg;
        QDir().mkpath(dir.filePath(u"out"_s));
        options.Set_DocsLimit(2);

        views = std::make_unique<QueueViews>(
            *c.theTabsTasks, *c.theGridTasks, *c.theTabsDocs, *c.theGridDocs, ui, clock,
            [this] { return shownPersons; }, [this](const QString& line) { logLines.append(line); });
        views->setRefreshPace(0);
    }

    ~QueueViewsTest() override { views.reset(); }

    // Queues document n (from 0) into its own folder.
    void add(int n)
    {
        const QString folder = dir.filePath(u"out/doc"_s + QString::number(n));
        docs.AddNewDocInQueue(task, documents.at(static_cast<std::size_t>(n)), folder, false, false);
    }

    void fault(int n, const QString& operation, platform::diadoc::FaultEffect effect, int firstAttempts)
    {
        platform::diadoc::FaultRule rule;
        rule.operation = operation;
        rule.document = service->data().documents.at(static_cast<std::size_t>(n)).documentId;
        rule.effect = effect;
        rule.firstAttempts = firstAttempts;
        service->addFault(rule);
    }

    const diadoc::AsyncDocList& docsList(const QString& key) const
    {
        if (key == u"MainQueue")
            return docs.MainQueue();
        if (key == u"SecondaryQueue")
            return docs.SecondaryQueue();
        if (key == u"UnloadingList")
            return docs.UnloadingList();
        if (key == u"UnloadedList")
            return docs.UnloadedList();
        return docs.IgnoredList();
    }

    QTableView& gridDocs() { return *window.findChild<QTableView*>(u"theGridDocs"_s); }
    QTableView& gridTasks() { return *window.findChild<QTableView*>(u"theGridTasks"_s); }
    QTabBar& tabsDocs() { return *window.findChild<QTabBar*>(u"theTabsDocs"_s); }
    QTabBar& tabsTasks() { return *window.findChild<QTabBar*>(u"theTabsTasks"_s); }
    QString cell(QTableView& grid, int row, int column) const
    {
        return grid.model()->data(grid.model()->index(row, column)).toString();
    }

    QTemporaryDir dir;
    QMainWindow window;
    MainWindowControls c;
    testsupport::ScriptedUiServices ui;
    testsupport::VirtualClock clock;
    diadoc::PersonsCollection persons;
    const diadoc::PersonsCollection* shownPersons = &persons;
    QStringList logLines;

    platform::diadoc::SandboxClientFactory factory{[this] { return clock.nowMs(); }};
    std::shared_ptr<platform::diadoc::SandboxService> service;
    std::vector<std::shared_ptr<platform::diadoc::SandboxDocument>> documents;
    diadoc::AsyncTskRecord task;
    testsupport::TestRegistry registry;
    core::mFetchlingOptions options{registry.utility};
    platform::zip::LibzipLibraries libraries;
    core::mUnzipper unzipper{libraries, ui, QString::fromUtf16(core::kApplicationTitle)};
    core::mLogFile log{ui, [this] { return clock.currentDateTime(); }};
    diadoc::AsyncTasks tasks{options, clock, ui};
    diadoc::AsyncContents docs{options, clock, ui, unzipper, log};
    std::unique_ptr<QueueViews> views;
};

TEST_F(QueueViewsTest, AnEventOfAListWhoseTabIsNotSelectedChangesNothing)
{
    HoldDocs hold;
    docs.attach(&hold);
    views->bind(tasks, docs);
    selectTab(tabsDocs(), u"UnloadingList"_s);
    QAbstractItemModel& model = *gridDocs().model();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    const int pumped = ui.processEventsCalls;

    for (int n = 0; n < 3; ++n)
        add(n);
    ASSERT_EQ(docs.MainQueue().Count(), 3);
    EXPECT_EQ(inserted.size() + removed.size() + changed.size() + reset.size(), 0);
    EXPECT_EQ(ui.processEventsCalls, pumped) << "no messages are processed for a list not shown";
    EXPECT_EQ(model.rowCount(), 0);

    // Selecting the tab later shows the current rows.
    selectTab(tabsDocs(), u"MainQueue"_s);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(gridDocs(), 2, 0), docs.MainQueue().Item(3)->DocumentId);

    // Now the list is shown: a document more is one row more at the end, and the window is pumped.
    inserted.clear();
    add(3);
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);
    EXPECT_EQ(inserted[0][2].toInt(), 3);
    EXPECT_EQ(ui.processEventsCalls, pumped + 1);
    docs.detach(&hold);
}

class GridThroughARun : public QueueViewsTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(GridThroughARun, TheRowsFollowTheirListAtEveryMoveAndShowItInOrder)
{
    const QString key = QString::fromLatin1(GetParam());
    fault(1, u"SaveContentResult"_s, platform::diadoc::FaultEffect::False, 1);
    views->bind(tasks, docs);
    selectTab(tabsDocs(), key);
    QAbstractItemModel& model = *gridDocs().model();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    FailureRefresh failures(*views);
    docs.attach(&failures);
    int checks = 0;
    RowsFollowTheList follow([&] {
        ++checks;
        ASSERT_EQ(model.rowCount(), docsList(key).Count()) << "after event " << checks;
    });
    docs.attach(&follow);

    for (int n = 0; n < 6; ++n)
        add(n);
    add(2); // listed twice: the repeat is ignored
    for (auto rec = docs.GetFirstResult(); rec; rec = docs.GetNextResult()) {
    }

    EXPECT_GT(checks, 20);
    EXPECT_EQ(docs.UnloadedList().Count(), 6);
    EXPECT_EQ(docs.IgnoredList().Count(), 1);
    const diadoc::AsyncDocList& list = docsList(key);
    ASSERT_EQ(model.rowCount(), list.Count());
    for (int row = 0; row < list.Count(); ++row) {
        const auto& rec = *list.Item(row + 1);
        EXPECT_EQ(cell(gridDocs(), row, 0), rec.DocumentId);
        const QString organisation =
            rec.DepartmentName.isEmpty() ? u"ООО «Ромашка»"_s : u"ООО «Ромашка», "_s + rec.DepartmentName;
        EXPECT_EQ(cell(gridDocs(), row, 3), organisation);
    }
    EXPECT_TRUE(logLines.isEmpty()) << logLines.join(u'\n').toStdString();
    docs.detach(&follow);
    docs.detach(&failures);
}

INSTANTIATE_TEST_SUITE_P(Tabs, GridThroughARun,
                         ::testing::Values("MainQueue", "SecondaryQueue", "UnloadingList", "UnloadedList",
                                           "IgnoredList"));

struct TabColumns
{
    const char* key;
    std::vector<int> hidden;
    QString reasonCaption;
};

class TasksTabColumns : public QueueViewsTest, public ::testing::WithParamInterface<TabColumns>
{
};

TEST_P(TasksTabColumns, EachTabShowsItsColumns)
{
    const TabColumns& t = GetParam();
    selectTab(tabsTasks(), QString::fromLatin1(t.key));
    std::vector<int> hidden;
    for (int column = 0; column < TasksQueueModel::kColumnCount; ++column)
        if (gridTasks().isColumnHidden(column))
            hidden.push_back(column);
    EXPECT_EQ(hidden, t.hidden);
    EXPECT_EQ(gridTasks().model()->headerData(1, Qt::Horizontal).toString(), t.reasonCaption);
    EXPECT_EQ(gridTasks().model()->columnCount(), 8);
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, TasksTabColumns,
    ::testing::Values(TabColumns{"MainQueue", {0, 1, 7}, {}},
                      TabColumns{"SecondaryQueue", {0, 7}, u"Причина постановки в очередь на повторный запуск"_s},
                      TabColumns{"ExecutingList", {0, 1}, {}}, TabColumns{"ExecutedList", {1, 7}, {}}));

class DocsTabColumns : public QueueViewsTest, public ::testing::WithParamInterface<TabColumns>
{
};

TEST_P(DocsTabColumns, EachTabShowsItsColumns)
{
    const TabColumns& t = GetParam();
    selectTab(tabsDocs(), QString::fromLatin1(t.key));
    std::vector<int> hidden;
    for (int column = 0; column < DocsQueueModel::kColumnCount; ++column)
        if (gridDocs().isColumnHidden(column))
            hidden.push_back(column);
    EXPECT_EQ(hidden, t.hidden);
    EXPECT_EQ(gridDocs().model()->headerData(1, Qt::Horizontal).toString(), t.reasonCaption);
    EXPECT_EQ(gridDocs().model()->columnCount(), 11);
}

INSTANTIATE_TEST_SUITE_P(Tabs, DocsTabColumns,
                         ::testing::Values(TabColumns{"MainQueue", {1, 10}, {}},
                                           TabColumns{"SecondaryQueue",
                                                      {10},
                                                      u"Причина постановки в очередь на повторную попытку выгрузки"_s},
                                           TabColumns{"UnloadingList", {1}, {}},
                                           TabColumns{"UnloadedList", {1, 10}, {}},
                                           TabColumns{"IgnoredList", {10}, u"Причина невыгрузки"_s}));

TEST_F(QueueViewsTest, TheGridsNavigateOverTheListOfTheSelectedTab)
{
    HoldDocs hold;
    docs.attach(&hold);
    views->bind(tasks, docs);
    for (int n = 0; n < 3; ++n)
        add(n);
    std::optional<int> row;
    int place = -1;
    selectTab(tabsDocs(), u"MainQueue"_s);
    views->theGridDocs_UnboundGetRelativeBookmark(std::nullopt, -1, row, place);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(place, 3);
    views->theGridDocs_UnboundGetRelativeBookmark(3, 1, row, place);
    EXPECT_EQ(row, std::nullopt);
    EXPECT_EQ(place, 3);
    selectTab(tabsDocs(), u"UnloadedList"_s);
    views->theGridDocs_UnboundGetRelativeBookmark(std::nullopt, 1, row, place);
    EXPECT_EQ(row, std::nullopt) << "the unloaded list is empty";
    views->theGridTasks_UnboundGetRelativeBookmark(std::nullopt, 1, row, place);
    EXPECT_EQ(row, std::nullopt);
    docs.detach(&hold);
}

TEST_F(QueueViewsTest, TheReasonCaptionFollowsTheTab)
{
    selectTab(tabsDocs(), u"IgnoredList"_s);
    EXPECT_EQ(gridDocs().model()->headerData(1, Qt::Horizontal).toString(), u"Причина невыгрузки"_s);
    selectTab(tabsDocs(), u"SecondaryQueue"_s);
    EXPECT_EQ(gridDocs().model()->headerData(1, Qt::Horizontal).toString(),
              u"Причина постановки в очередь на повторную попытку выгрузки"_s);
}

TEST_F(QueueViewsTest, RequestsHeldInTheMainQueueShowWithTheirPeriods)
{
    HoldTasks hold;
    tasks.attach(&hold);
    tasks.SetOrg(persons);
    views->bind(tasks, docs);
    selectTab(tabsTasks(), u"MainQueue"_s);
    using platform::diadoc::Variant;
    tasks.ДобавлениеЗапросовВОчередьByDates(kOrg, {}, {}, u"Contract"_s, u"Inbound"_s, {}, 0,
                                            Variant(QDateTime(QDate(2024, 1, 1), QTime())),
                                            Variant(QDateTime(QDate(2024, 1, 31), QTime())), false, false);
    tasks.ДобавлениеЗапросовВОчередьByDates(kOrg, u"dep-sklad"_s, u"Склад"_s, u"Nonformalized"_s, u"Outbound"_s, {}, 0,
                                            Variant(QDateTime(QDate(2024, 2, 1), QTime())),
                                            Variant(QDateTime(QDate(2024, 2, 1), QTime())), false, false);
    ASSERT_EQ(tasks.MainQueue().Count(), 2);
    ASSERT_EQ(gridTasks().model()->rowCount(), 2);
    EXPECT_EQ(cell(gridTasks(), 0, 2), u"ООО «Ромашка»"_s);
    EXPECT_EQ(cell(gridTasks(), 0, 3), u"01.01.2024 - 31.01.2024"_s);
    EXPECT_EQ(cell(gridTasks(), 0, 4), u"Договор"_s);
    EXPECT_EQ(cell(gridTasks(), 0, 5), u"Входящий"_s);
    EXPECT_EQ(cell(gridTasks(), 0, 6), u"любой"_s);
    EXPECT_EQ(cell(gridTasks(), 1, 2), u"ООО «Ромашка», Склад"_s);
    EXPECT_EQ(cell(gridTasks(), 1, 3), u"01.02.2024"_s);

    selectTab(tabsTasks(), u"ExecutingList"_s);
    EXPECT_EQ(gridTasks().model()->rowCount(), 0);
    tasks.detach(&hold);
}

TEST_F(QueueViewsTest, WithinThePaceTheGridCatchesUpByTimer)
{
    HoldDocs hold;
    docs.attach(&hold);
    views->bind(tasks, docs);
    views->setRefreshPace(30);
    selectTab(tabsDocs(), u"MainQueue"_s);
    QAbstractItemModel& model = *gridDocs().model();
    const int pumped = ui.processEventsCalls;

    add(0);
    EXPECT_EQ(model.rowCount(), 1) << "the first change is shown at once";
    add(1);
    add(2);
    EXPECT_EQ(model.rowCount(), 1) << "the virtual clock stands: the next ones wait for the pace";
    EXPECT_EQ(ui.processEventsCalls, pumped + 1);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    ASSERT_TRUE(inserted.wait(1000));
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(inserted.size(), 1) << "two documents, one signal";

    clock.advance(30);
    add(3);
    EXPECT_EQ(model.rowCount(), 4) << "a pace later a change is shown at once";
    docs.detach(&hold);
}

TEST_F(QueueViewsTest, ACellOfAnUnknownOrganisationIsEmptyLoggedOnceAndOpensNoDialog)
{
    HoldDocs hold;
    docs.attach(&hold);
    diadoc::PersonsCollection nobody;
    shownPersons = &nobody;
    views->bind(tasks, docs);
    selectTab(tabsDocs(), u"MainQueue"_s);
    for (int n = 0; n < 4; ++n)
        add(n);
    window.show();
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(cell(gridDocs(), row, 3), QString());
        EXPECT_EQ(cell(gridDocs(), row, 0), docs.MainQueue().Item(row + 1)->DocumentId);
    }
    ASSERT_EQ(logLines.size(), 1) << logLines.join(u'\n').toStdString();
    EXPECT_TRUE(logLines.front().startsWith(u"theGridDocs: строка "_s)) << logLines.front().toStdString();
    EXPECT_TRUE(ui.errorDialogCalls.empty());
    EXPECT_TRUE(ui.boxes.empty());
    docs.detach(&hold);
}

TEST_F(QueueViewsTest, UnboundGridsAreEmptyAndHearNoMore)
{
    HoldDocs hold;
    docs.attach(&hold);
    views->bind(tasks, docs);
    selectTab(tabsDocs(), u"MainQueue"_s);
    add(0);
    add(1);
    EXPECT_EQ(gridDocs().model()->rowCount(), 2);
    views->unbind();
    EXPECT_EQ(gridDocs().model()->rowCount(), 0);
    const int pumped = ui.processEventsCalls;
    add(2);
    EXPECT_EQ(gridDocs().model()->rowCount(), 0);
    EXPECT_EQ(ui.processEventsCalls, pumped);
    docs.detach(&hold);
}

// The views attach through attachments that let go by themselves, so the queues of a run and the
// views may go in either order: a queue that goes while bound leaves both grids empty (painting
// them then reads nothing of it), and views that go first hear nothing more. Under the sanitizers a
// read of what went first fails the test.
TEST_F(QueueViewsTest, TheQueuesAndTheViewsMayGoInEitherOrder)
{
    HoldDocs hold;
    window.show();
    const auto queueOf = [this](diadoc::AsyncContents& queue, int n) {
        queue.AddNewDocInQueue(task, documents.at(static_cast<std::size_t>(n)),
                               dir.filePath(u"out/doc"_s + QString::number(n)), false, false);
    };
    {
        auto ownTasks = std::make_unique<diadoc::AsyncTasks>(options, clock, ui);
        auto ownDocs = std::make_unique<diadoc::AsyncContents>(options, clock, ui, unzipper, log);
        ownDocs->attach(&hold);
        views->bind(*ownTasks, *ownDocs);
        selectTab(tabsDocs(), u"MainQueue"_s);
        queueOf(*ownDocs, 0);
        queueOf(*ownDocs, 1);
        ASSERT_EQ(gridDocs().model()->rowCount(), 2);

        ownDocs.reset();
        EXPECT_FALSE(views->isBound());
        EXPECT_EQ(gridDocs().model()->rowCount(), 0);
        EXPECT_EQ(gridTasks().model()->rowCount(), 0);
        static_cast<void>(window.grab());
        selectTab(tabsTasks(), u"ExecutedList"_s);
        selectTab(tabsDocs(), u"UnloadedList"_s);
        static_cast<void>(window.grab());
        ownTasks.reset();
    }
    {
        auto ownTasks = std::make_unique<diadoc::AsyncTasks>(options, clock, ui);
        auto ownDocs = std::make_unique<diadoc::AsyncContents>(options, clock, ui, unzipper, log);
        ownDocs->attach(&hold);
        views->bind(*ownTasks, *ownDocs);
        selectTab(tabsDocs(), u"MainQueue"_s);
        queueOf(*ownDocs, 2);
        views.reset();
        const int pumped = ui.processEventsCalls;
        queueOf(*ownDocs, 3);
        EXPECT_EQ(ownDocs->Count(1), 2);
        EXPECT_EQ(ui.processEventsCalls, pumped) << "no view is left to refresh";
    }
    EXPECT_TRUE(ui.errorDialogCalls.empty());
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(QueueViewsTest, EveryTabHasItsOwnColour)
{
    window.show();
    for (QTabBar* tabs : {&tabsTasks(), &tabsDocs()}) {
        const QImage shot = tabs->grab().toImage();
        for (int i = 0; i < tabs->count(); ++i) {
            const QString key = tabs->tabData(i).toString();
            const QRect rect = tabs->tabRect(i);
            const QColor seen = shot.pixelColor(rect.left() + 5, rect.top() + 5);
            EXPECT_EQ(seen, QueueViews::tabColour(key)) << key.toStdString();
        }
    }
    EXPECT_EQ(QueueViews::tabColour(u"IgnoredList"_s), QColor(255, 231, 206));
    EXPECT_EQ(QueueViews::tabColour(u"ExecutingList"_s), QueueViews::tabColour(u"UnloadingList"_s));
}

// The main window's own grids are the queue views, with the tabs its load selects.
class QueueViewsInTheWindowTest : public MainWindowFixture
{
};

TEST_F(QueueViewsInTheWindowTest, TheWindowsGridsShowTheQueuesOfItsTabs)
{
    const auto window = load();
    const MainWindowControls& wc = window->controls();
    EXPECT_NE(dynamic_cast<TasksQueueModel*>(wc.theGridTasks->model()), nullptr);
    EXPECT_NE(dynamic_cast<DocsQueueModel*>(wc.theGridDocs->model()), nullptr);
    EXPECT_EQ(wc.theGridTasks->model()->rowCount(), 0);
    EXPECT_FALSE(wc.theGridTasks->isColumnHidden(7));
    EXPECT_TRUE(wc.theGridTasks->isColumnHidden(0));
    EXPECT_FALSE(wc.theGridDocs->isColumnHidden(10));
    EXPECT_TRUE(wc.theGridDocs->isColumnHidden(1));
    EXPECT_EQ(wc.theGridDocs->model()->headerData(0, Qt::Horizontal).toString(), u"Id документа"_s);
    EXPECT_FALSE(wc.theGridDocs->isSortingEnabled());
}

} // namespace

} // namespace mainwindow::test
