#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTreeWidget>

#include "MainWindowFixture.h"
#include "core/widgets/DProgressBar.h"
#include "mainwindow/SSSplitter.h"

using namespace Qt::StringLiterals;

namespace mainwindow::test {

namespace {

// Lets Qt carry out the layout requests that a change of size posts.
void settle()
{
    for (int i = 0; i < 4; ++i)
        QApplication::processEvents();
}

// Saves a picture of the window when FETCHLING_SCREENSHOT_DIR names a folder.
void screenshot(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("FETCHLING_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        window.grab().save(QDir(folder).filePath(name + u".png"_s));
}

// A control's place in another widget's coordinates.
QRect placeIn(const QWidget& widget, const QWidget& in)
{
    return QRect(widget.mapTo(&in, QPoint(0, 0)), widget.size());
}

// The room between the bottom of one control and the top of the next, in pixels.
int gapBelow(const QWidget& upper, const QWidget& lower)
{
    return lower.y() - (upper.y() + upper.height());
}

// 105 twips: the gap between neighbours of the layout, within a pixel of rounding.
void expectGap(int pixels, const char* what)
{
    EXPECT_GE(pixels, 6) << what;
    EXPECT_LE(pixels, 8) << what;
}

} // namespace

class MainWindowGeometryTest : public MainWindowFixture, public testing::WithParamInterface<QSize>
{
};

// Every rule of the layout, in pixels at 15 twips a pixel, at several window sizes.
TEST_P(MainWindowGeometryTest, LayoutNumbersHoldInPixels)
{
    const auto window = load();
    window->show();
    window->resize(GetParam());
    settle();
    const MainWindowControls& c = window->controls();
    const int w = window->width();
    const int h = window->height();
    ASSERT_EQ(w, GetParam().width());
    ASSERT_EQ(h, std::max(GetParam().height(), 430)) << "the inner height is at least 6450 twips";

    // The sign-in strip: 600 high; the buttons 105 from its right edge and apart; the text before them.
    EXPECT_EQ(placeIn(*c.theBoxAuthorization, *window), QRect(0, 0, w, 40));
    EXPECT_EQ(placeIn(*c.theBoxMessage, *window), QRect(0, 0, w, 40));
    EXPECT_EQ(c.theButtonOptions->geometry(), QRect(w - 7 - 97, 6, 97, 25));
    EXPECT_EQ(c.theButtonAuthorization->geometry(), QRect(w - 7 - 97 - 7 - 97, 6, 97, 25));
    EXPECT_EQ(c.theLabelAuthorization->x(), 7);
    EXPECT_EQ(c.theLabelAuthorization->width(), c.theButtonAuthorization->x() - 14);

    // The splitter fills the room between the strip and the status bar, 360 high.
    EXPECT_EQ(placeIn(*c.theSSSplitter, *window), QRect(0, 40, w, h - 40 - 24));
    EXPECT_EQ(placeIn(*c.theStatusBar, *window), QRect(0, h - 24, w, 24));

    // Bars 90 thick between the panes and a border of 30 around them.
    const QWidget& splitter = *c.theSSSplitter;
    EXPECT_EQ(placeIn(*c.thePanelTasks, splitter).topLeft(), QPoint(2, 2));
    EXPECT_EQ(gapBelow(*c.thePanelTasks, *c.thePanelDocs), 6);
    EXPECT_EQ(gapBelow(*c.thePanelPath, *c.thePanelFilter), 6);
    EXPECT_EQ(placeIn(*c.thePanelPath, splitter).x() - placeIn(*c.thePanelTasks, splitter).right() - 1, 6);
    EXPECT_EQ(placeIn(*c.thePanelFilter, splitter).right(), splitter.width() - 3);
    EXPECT_EQ(placeIn(*c.thePanelDocs, splitter).bottom(), splitter.height() - 3);

    // The filter pane keeps its width; the queues take the rest of the window's width.
    const QWidget& filter = *c.thePanelFilter;
    EXPECT_EQ(filter.width(), 295);
    EXPECT_EQ(c.thePanelTasks->width(), c.thePanelDocs->width());
    EXPECT_EQ(c.thePanelPath->height(), 54);

    // The filter pane from the bottom up: the button pair centred 105 above the bottom, the check
    // boxes 105 apart, the tree 45 before the right edge.
    const QRect execute = c.theButtonExecute->geometry();
    const QRect exit = c.theButtonExit->geometry();
    EXPECT_EQ(execute.size(), QSize(160, 33));
    EXPECT_EQ(exit.size(), QSize(80, 33));
    EXPECT_EQ(execute.y() + execute.height(), filter.height() - 7);
    EXPECT_EQ(exit.y(), execute.y());
    EXPECT_EQ(exit.x() - (execute.x() + execute.width()), 7);
    EXPECT_LE(std::abs(execute.x() - (filter.width() - exit.x() - exit.width())), 1) << "the pair is centred";
    const QWidget* column[] = {c.theTreeViewPersons,        c.theCheckFinished, c.theCheckInternal, c.theCheckRevoked,
                               c.theCheckSignatureRejected, c.theCheckProtocol, c.theButtonExecute};
    for (int i = 0; i + 1 < 7; ++i)
        expectGap(gapBelow(*column[i], *column[i + 1]), qPrintable(column[i + 1]->objectName()));
    for (const QWidget* box : {c.theCheckFinished, c.theCheckSignatureRejected})
        EXPECT_EQ(box->height(), 28) << "two lines";
    for (const QWidget* box : {c.theCheckInternal, c.theCheckRevoked, c.theCheckProtocol}) {
        EXPECT_EQ(box->height(), 16);
        EXPECT_EQ(box->x(), 10);
    }
    const QRect tree = c.theTreeViewPersons->geometry();
    EXPECT_EQ(tree.topLeft(), QPoint(6, 82));
    EXPECT_EQ(filter.width() - (tree.x() + tree.width()), 3);

    // The folder box, without the folder button, ends 45 before the pane's edge.
    EXPECT_EQ(c.thePath->x(), 5);
    EXPECT_EQ(c.thePanelPath->width() - (c.thePath->x() + c.thePath->width()), 3);

    // The queue panes: a title row 360 high, the tab strip, its grid inset by 60 in the strip's
    // client area, a counter row 360 high.
    for (const auto& [panel, tabs, grid, counterCaption] :
         {std::tuple{c.thePanelTasks, c.theTabsTasks, c.theGridTasks, c.theLabelTasksFailureCounter},
          std::tuple{c.thePanelDocs, c.theTabsDocs, c.theGridDocs, c.theLabelDocsFailureCounter}}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        const int tabRow = tabs->sizeHint().height();
        EXPECT_EQ(tabs->geometry(), QRect(0, 24, panel->width(), tabRow));
        EXPECT_EQ(grid->geometry(), QRect(4, 24 + tabRow + 4, panel->width() - 8, panel->height() - 48 - tabRow - 8));
        EXPECT_EQ(counterCaption->x(), 6);
        EXPECT_EQ(counterCaption->y() + counterCaption->height(), panel->height() - 6);
    }
    // Each count right after its caption; the second column of both panes where the tasks'
    // failure count ends, or as far left as the maximum count needs to show in a narrow pane, but
    // clear of the failure count's text.
    const auto after = [](const QWidget* caption) { return caption->x() + caption->width(); };
    EXPECT_EQ(c.theTasksFailureCounter->x(), after(c.theLabelTasksFailureCounter));
    EXPECT_EQ(c.theTasksFailureCounter->width(), 66);
    const int secondColumn = c.theLabelMaxDocsCountInOneList->x();
    const auto textEnd = [](const QLabel* count) {
        return count->x() + count->fontMetrics().horizontalAdvance(count->text());
    };
    EXPECT_LE(secondColumn, after(c.theTasksFailureCounter));
    EXPECT_GE(secondColumn, textEnd(c.theTasksFailureCounter) + 6);
    if (secondColumn < after(c.theTasksFailureCounter) && secondColumn > textEnd(c.theTasksFailureCounter) + 8) {
        expectGap(c.thePanelTasks->width() - textEnd(c.theMaxDocsCountInOneList), "after the maximum count");
    }
    EXPECT_EQ(c.theLabelEmptyTasks->x(), secondColumn);
    EXPECT_EQ(c.theLabelDocsCountAll->x(), secondColumn);
    EXPECT_EQ(c.theMaxDocsCountInOneList->x(), after(c.theLabelMaxDocsCountInOneList));
    EXPECT_EQ(c.theEmptyTasks->x(), after(c.theLabelEmptyTasks));
    EXPECT_EQ(c.theDocsCountAll->x(), after(c.theLabelDocsCountAll));
    EXPECT_EQ(c.theDocsFailureCounter->x(), after(c.theLabelDocsFailureCounter));
    EXPECT_EQ(c.theLabelEmptyTasks->y(), c.theLabelTitleTasks->y());
    EXPECT_EQ(c.theLabelMaxDocsCountInOneList->y(), c.theLabelTasksFailureCounter->y());

    // Over the status bar: the progress bar centred on its middle line and lowered by 15, the zip
    // box over the left part of its panel.
    const QLabel& zipBar = *c.statusPanels[2];
    const QLabel& progressPanel = *c.statusPanels[3];
    EXPECT_GE(zipBar.width(), 34);
    EXPECT_LE(placeIn(*c.theCheckZip, *window).right() + 1,
              placeIn(zipBar, *window).right() - zipBar.fontMetrics().horizontalAdvance(u"zip"_s))
        << "the box leaves its caption clear";
    EXPECT_GE(progressPanel.width(), 96);
    EXPECT_GE(placeIn(progressPanel, *window).right(), w - 8) << "the last panel takes the rest of the width";
    EXPECT_EQ(placeIn(*c.theProgressBar, *window),
              QRect(placeIn(progressPanel, *window).x() + 3, h - 20, progressPanel.width() - 4, 18));
    EXPECT_EQ(placeIn(*c.theCheckZip, *window),
              QRect(placeIn(zipBar, *window).x() + 4, h - 19, c.theCheckZip->width(), 18));

    screenshot(*window, u"mainwindow-%1x%2"_s.arg(w).arg(h));

    // The message box, shown in place of the sign-in strip, gives its text the whole width.
    c.theBoxAuthorization->hide();
    c.theBoxMessage->show();
    settle();
    EXPECT_EQ(c.theLabelHeader->geometry(), QRect(0, 10, w, 19));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MainWindowGeometryTest,
                         testing::Values(QSize(942, 598), QSize(1280, 800), QSize(700, 300), QSize(1600, 1000)));

class MainWindowPanesTest : public MainWindowFixture
{
};

TEST_F(MainWindowPanesTest, ADraggedFilterWidthIsKeptWhenTheWindowGrows)
{
    const auto window = load();
    window->show();
    settle();
    const MainWindowControls& c = window->controls();
    // The user drags the bar between the columns to the left and releases it.
    QSplitter* columns = nullptr;
    for (auto* splitter : c.theSSSplitter->findChildren<QSplitter*>())
        if (splitter->orientation() == Qt::Horizontal)
            columns = splitter;
    ASSERT_NE(columns, nullptr);
    const QList<int> sizes = columns->sizes();
    columns->setSizes({sizes[0] - 60, sizes[1] + 60});
    QSplitterHandle* bar = columns->handle(1);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    EXPECT_EQ(window->paneFiltersWidth(), 355 * 15);

    for (const QSize size : {QSize(1400, 900), QSize(1000, 600), QSize(800, 598)}) {
        window->resize(size);
        settle();
        EXPECT_EQ(c.thePanelFilter->width(), 355) << size.width();
        EXPECT_EQ(c.thePanelPath->width(), 355);
    }
}

TEST_F(MainWindowPanesTest, ThePathPaneStaysLockedAtItsTwoHeights)
{
    options.Set_Login(QString::fromUtf16(frmDiadocUnloadDocs::kDeveloperLogin));
    const auto window = load();
    window->show();
    settle();
    const MainWindowControls& c = window->controls();
    const QWidget& path = *c.thePanelPath;
    c.thePath->setText(QString(15, u'a'));
    settle();

    struct Step
    {
        int length;
        int paneHeight;
        bool warning;
    };
    for (const Step step : {Step{15, 54, false}, Step{40, 86, true}, Step{15, 54, false}}) {
        SCOPED_TRACE(step.length);
        c.thePath->setText(QString(step.length, u'a'));
        for (const QSize size : {QSize(942, 598), QSize(1200, 900), QSize(942, 430)}) {
            window->resize(size);
            settle();
            EXPECT_EQ(path.height(), step.paneHeight) << size.height();
            EXPECT_TRUE(c.theSSSplitter->paneLockHeight(u"Pane Path"_s));
        }
        // The folder button at the right of the box, 60 before the pane's edge, the box 90 before it.
        const QRect button = c.theButtonSelectFolder->geometry();
        EXPECT_EQ(button.size(), QSize(33, 33));
        EXPECT_EQ(path.width() - (button.x() + button.width()), 4);
        EXPECT_EQ(button.x() - (c.thePath->x() + c.thePath->width()), 6);
        // The warning row lies wholly inside the taller pane and wholly outside the shorter one.
        EXPECT_EQ(c.theLabelVeryLongPath->isVisible(), step.warning);
        EXPECT_GT(c.theLabelVeryLongPath->y(), 54);
        EXPECT_LE(c.theLabelVeryLongPath->y() + c.theLabelVeryLongPath->height(), 86);
        if (step.warning)
            screenshot(*window, u"mainwindow-long-path"_s);
    }
}

TEST_F(MainWindowPanesTest, ANarrowWindowKeepsTheSignInTextAndMovesTheButtonsPastTheEdge)
{
    const auto window = load();
    window->show();
    settle();
    const MainWindowControls& c = window->controls();
    const int textWidth = c.theLabelAuthorization->width();
    window->resize(200, 598);
    settle();
    ASSERT_EQ(window->width(), 200) << "no least width";
    EXPECT_EQ(c.theButtonOptions->x(), 200 - 7 - 97);
    EXPECT_EQ(c.theButtonAuthorization->x(), 200 - 7 - 97 - 7 - 97);
    EXPECT_EQ(c.theLabelAuthorization->width(), textWidth);

    window->resize(942, 598);
    settle();
    EXPECT_EQ(c.theLabelAuthorization->width(), textWidth);
    EXPECT_EQ(c.thePanelFilter->width(), 295) << "a wide window gives the filter pane its width back";
}

TEST_F(MainWindowPanesTest, ANewMemoryTextMovesTheZipBoxAndTheProgressBarWithTheirPanels)
{
    const auto window = load();
    window->show();
    settle();
    const MainWindowControls& c = window->controls();
    c.theProgressBar->show();
    const QLabel& zipBar = *c.statusPanels[2];
    const QLabel& progressPanel = *c.statusPanels[3];
    const int zipBefore = zipBar.x();
    c.statusPanels[1]->setText(u"Используется 12 345 678МБ ОЗУ (пик 23 456 789МБ) и ещё немного текста "_s);
    settle();
    EXPECT_GT(zipBar.x(), zipBefore) << "panel 2 grows with its text";
    EXPECT_EQ(c.theCheckZip->x(), zipBar.x() + 4);
    EXPECT_EQ(c.theProgressBar->x(), progressPanel.x() + 3);
    EXPECT_EQ(c.theProgressBar->width(), progressPanel.width() - 4);
}

TEST_F(MainWindowPanesTest, MaximisedTheQueuesTakeTheRoom)
{
    const auto window = load();
    window->showMaximized();
    settle();
    const MainWindowControls& c = window->controls();
    EXPECT_EQ(c.thePanelFilter->width(), 295);
    EXPECT_EQ(c.theSSSplitter->width(), window->width());
    EXPECT_EQ(c.theButtonExecute->y() + c.theButtonExecute->height(), c.thePanelFilter->height() - 7);
    screenshot(*window, u"mainwindow-maximised"_s);

    // While protocols are written the progress bar covers the last panel, inside its frame.
    c.theProgressBar->show();
    settle();
    const QRect panel = placeIn(*c.statusPanels[3], *window);
    const QRect bar = placeIn(*c.theProgressBar, *window);
    EXPECT_TRUE(panel.contains(bar)) << "the bar lies over its panel";
    screenshot(*window, u"mainwindow-progress"_s);
}

} // namespace mainwindow::test
