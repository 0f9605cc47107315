#include <QTabBar>
#include <QTableView>

#include "WindowRunFixture.h"
#include "mainwindow/QueueModels.h"
#include "run/Run.h"

using namespace Qt::StringLiterals;
using namespace core::msgbox;

namespace mainwindow::test {

namespace {

QString selectedKey(const QTabBar* tabs)
{
    return tabs->tabData(tabs->currentIndex()).toString();
}

using WindowGridsTest = WindowRunFixture;

// Through the Execute button: while the run goes on the grid of the selected tab never shows more
// rows than its tab caption counts, and after a run to its end the grids show what it unloaded and
// which lists it received, read from the window's organisations.
TEST_F(WindowGridsTest, TheGridsFollowARunOfTheWindowAndShowItsListsAtTheEnd)
{
    const auto window = load();
    const MainWindowControls& c = window->controls();
    int checks = 0;
    ui.onProcessEvents = [&] {
        if (window->busyMode() != 2 || selectedKey(c.theTabsDocs) != u"UnloadingList"_s)
            return;
        const QString caption = tabCaption(c.theTabsDocs, u"UnloadingList"_s);
        const int counted = caption.mid(caption.indexOf(u'(') + 1).chopped(1).toInt();
        EXPECT_LE(c.theGridDocs->model()->rowCount(), std::max(counted, options.Get_DocsLimit()));
        ++checks;
    };
    ui.expectBox(vbNo);
    execute(*window);
    ui.onProcessEvents = {};
    ASSERT_EQ(listener.ended.size(), 1u);
    const run::RunOutcome& outcome = listener.ended.front();
    ASSERT_FALSE(outcome.stopped);
    EXPECT_GT(checks, 0);

    EXPECT_EQ(selectedKey(c.theTabsDocs), u"UnloadedList"_s);
    EXPECT_EQ(selectedKey(c.theTabsTasks), u"ExecutedList"_s);
    const QAbstractItemModel& docs = *c.theGridDocs->model();
    ASSERT_EQ(docs.rowCount(), outcome.unloaded);
    ASSERT_GT(docs.rowCount(), 0);
    for (const int row : {0, docs.rowCount() - 1}) {
        EXPECT_FALSE(docs.data(docs.index(row, 0)).toString().isEmpty());
        EXPECT_FALSE(docs.data(docs.index(row, 3)).toString().isEmpty()) << "the organisation is found";
        EXPECT_FALSE(docs.data(docs.index(row, 7)).toString().isEmpty()) << "so is its type";
    }
    const QAbstractItemModel& tasks = *c.theGridTasks->model();
    EXPECT_EQ(tasks.rowCount(), outcome.listRequests);
    EXPECT_FALSE(c.theGridTasks->isColumnHidden(0)) << "the executed requests show their document counts";
    EXPECT_NE(tasks.data(tasks.index(0, 0)).toString().toInt(), 0);
    EXPECT_TRUE(ui.errorDialogCalls.empty());
}

} // namespace

} // namespace mainwindow::test
