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

// The room between the right edge of one place and the left edge of the next, in pixels.
int gapAfter(const QRect& left, const QRect& right)
{
    return right.x() - (left.x() + left.width());
}

// 105 twips: the gap between neighbours of the layout, within a pixel of rounding.
void expectGap(int pixels, const char* what)
{
    EXPECT_GE(pixels, 6) << what;
    EXPECT_LE(pixels, 8) << what;
}

// 30 twips: the border around the panes and inside them, within a pixel of rounding.
void expectBorder(int pixels, const char* what)
{
    EXPECT_GE(pixels, 1) << what;
    EXPECT_LE(pixels, 4) << what;
}

void expectInside(const QWidget& inner, const QWidget& outer, const QWidget& window)
{
    EXPECT_TRUE(placeIn(outer, window).contains(placeIn(inner, window)))
        << inner.objectName().toStdString() << " lies inside " << outer.objectName().toStdString();
}

} // namespace

class MainWindowGeometryTest : public MainWindowFixture, public testing::WithParamInterface<QSize>
{
};

// The rules of the layout as relations between the controls (gaps, alignment, order and
// containment) at several window sizes, so that they hold whatever the fonts make of the texts.
TEST_P(MainWindowGeometryTest, ControlsKeepTheirGapsAlignmentOrderAndPlaces)
{
    const auto window = load();
    window->show();
    window->resize(GetParam());
    settle();
    const MainWindowControls& c = window->controls();
    const QWidget& win = *window;
    const int w = window->width();
    const int h = window->height();
    ASSERT_EQ(w, GetParam().width());
    ASSERT_EQ(h, std::max(GetParam().height(), 430)) << "the inner height is at least 6450 twips";

    // Top to bottom, each across the whole width and with nothing between them: the sign-in strip
    // (in whose place the message box stands), the splitter, the status bar.
    const QRect strip = placeIn(*c.theBoxAuthorization, win);
    const QRect splitterPlace = placeIn(*c.theSSSplitter, win);
    const QRect status = placeIn(*c.theStatusBar, win);
    EXPECT_EQ(placeIn(*c.theBoxMessage, win), strip);
    EXPECT_EQ(strip.topLeft(), QPoint(0, 0));
    EXPECT_EQ(splitterPlace.top(), strip.bottom() + 1);
    EXPECT_EQ(status.top(), splitterPlace.bottom() + 1);
    EXPECT_EQ(status.bottom(), h - 1);
    for (const QRect& row : {strip, splitterPlace, status}) {
        EXPECT_EQ(row.left(), 0);
        EXPECT_EQ(row.width(), w);
    }

    // In the strip, left to right and a gap apart: the text, the sign-in button, the options
    // button, the edge. The two buttons are alike and in line.
    const QRect text = c.theLabelAuthorization->geometry();
    const QRect signIn = c.theButtonAuthorization->geometry();
    const QRect optionsButton = c.theButtonOptions->geometry();
    expectGap(text.x(), "strip's edge to the text");
    expectGap(gapAfter(text, signIn), "text to the sign-in button");
    expectGap(gapAfter(signIn, optionsButton), "between the buttons");
    expectGap(strip.width() - (optionsButton.x() + optionsButton.width()), "options button to the strip's edge");
    EXPECT_EQ(signIn.size(), optionsButton.size());
    EXPECT_EQ(signIn.y(), optionsButton.y());
    for (const QWidget* inStrip :
         {static_cast<const QWidget*>(c.theLabelAuthorization), static_cast<const QWidget*>(c.theButtonAuthorization),
          static_cast<const QWidget*>(c.theButtonOptions)})
        expectInside(*inStrip, *c.theBoxAuthorization, win);

    // The panes: the queues on the left, tasks over documents; the folder over the filter on the
    // right; bars of one thickness between them and a border around them.
    const QWidget& splitter = *c.theSSSplitter;
    const QRect tasks = placeIn(*c.thePanelTasks, splitter);
    const QRect docs = placeIn(*c.thePanelDocs, splitter);
    const QRect path = placeIn(*c.thePanelPath, splitter);
    const QRect filterPlace = placeIn(*c.thePanelFilter, splitter);
    EXPECT_EQ(tasks.left(), docs.left());
    EXPECT_EQ(tasks.width(), docs.width());
    EXPECT_EQ(path.left(), filterPlace.left());
    EXPECT_EQ(path.width(), filterPlace.width());
    EXPECT_EQ(tasks.top(), path.top());
    EXPECT_EQ(docs.bottom(), filterPlace.bottom());
    const int bar = gapBelow(*c.thePanelTasks, *c.thePanelDocs);
    EXPECT_EQ(bar, 6) << "90 twips";
    EXPECT_EQ(gapBelow(*c.thePanelPath, *c.thePanelFilter), bar);
    EXPECT_EQ(gapAfter(tasks, path), bar);
    expectBorder(tasks.left(), "left border");
    expectBorder(tasks.top(), "top border");
    expectBorder(splitter.width() - 1 - filterPlace.right(), "right border");
    expectBorder(splitter.height() - 1 - docs.bottom(), "bottom border");

    // The filter pane keeps its width; the queues take the rest of the window's width.
    const QWidget& filter = *c.thePanelFilter;
    EXPECT_EQ(filter.width(), 295);
    EXPECT_EQ(c.thePanelPath->height(), 54);

    // The filter pane from the bottom up: the button pair centred a gap above the bottom, Execute
    // the wider; over it the tree and the check boxes in order, a gap apart, the boxes on one left
    // edge, those of two lines taller than those of one.
    const QRect execute = c.theButtonExecute->geometry();
    const QRect exit = c.theButtonExit->geometry();
    EXPECT_EQ(exit.y(), execute.y());
    EXPECT_EQ(exit.height(), execute.height());
    EXPECT_GT(execute.width(), exit.width());
    expectGap(filter.height() - (execute.y() + execute.height()), "Execute to the pane's bottom");
    expectGap(gapAfter(execute, exit), "between Execute and Exit");
    EXPECT_LE(std::abs(execute.x() - (filter.width() - exit.x() - exit.width())), 1) << "the pair is centred";
    const QWidget* column[] = {c.theTreeViewPersons,        c.theCheckFinished, c.theCheckInternal, c.theCheckRevoked,
                               c.theCheckSignatureRejected, c.theCheckProtocol, c.theButtonExecute};
    for (int i = 0; i + 1 < 7; ++i)
        expectGap(gapBelow(*column[i], *column[i + 1]), qPrintable(column[i + 1]->objectName()));
    for (const QWidget* inFilter : column)
        expectInside(*inFilter, filter, win);
    const QWidget* oneLine[] = {c.theCheckInternal, c.theCheckRevoked, c.theCheckProtocol};
    for (const QWidget* box :
         {c.theCheckFinished, c.theCheckSignatureRejected, c.theCheckInternal, c.theCheckRevoked, c.theCheckProtocol})
        EXPECT_EQ(box->x(), c.theCheckFinished->x()) << box->objectName().toStdString();
    for (const QWidget* box : oneLine)
        EXPECT_EQ(box->height(), c.theCheckInternal->height()) << box->objectName().toStdString();
    for (const QWidget* box : {c.theCheckFinished, c.theCheckSignatureRejected})
        EXPECT_GT(box->height(), c.theCheckInternal->height()) << "two lines";
    const QRect tree = c.theTreeViewPersons->geometry();
    expectBorder(filter.width() - (tree.x() + tree.width()), "tree to the pane's edge");
    EXPECT_LT(tree.x(), c.theCheckFinished->x()) << "the tree starts left of the boxes";

    // The folder box, without the folder button, a border from both edges of its pane.
    const QRect folder = c.thePath->geometry();
    expectInside(*c.thePath, *c.thePanelPath, win);
    expectBorder(c.thePanelPath->width() - (folder.x() + folder.width()), "folder box to the pane's edge");
    EXPECT_GT(folder.x(), 0);

    // The queue panes: the title row, then the tab strip across the pane, its grid inside the
    // strip's client area with equal insets, and the counter row at the bottom.
    for (const auto& [panel, title, tabs, grid, counterCaption] :
         {std::tuple{c.thePanelTasks, c.theLabelTitleTasks, c.theTabsTasks, c.theGridTasks,
                     c.theLabelTasksFailureCounter},
          std::tuple{c.thePanelDocs, c.theLabelTitleDocs, c.theTabsDocs, c.theGridDocs,
                     c.theLabelDocsFailureCounter}}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        const QRect tabRow = tabs->geometry();
        const QRect cells = grid->geometry();
        EXPECT_EQ(tabRow.x(), 0);
        EXPECT_EQ(tabRow.width(), panel->width());
        EXPECT_EQ(tabRow.height(), tabs->sizeHint().height()) << "the strip is as high as its tab row";
        EXPECT_LE(title->y() + title->height(), tabRow.y()) << "the title over the tab strip";
        EXPECT_EQ(cells.x(), panel->width() - (cells.x() + cells.width())) << "equal insets left and right";
        EXPECT_GT(cells.x(), 0);
        EXPECT_GT(cells.y(), tabRow.y() + tabRow.height()) << "the grid below the tab row";
        EXPECT_LE(cells.y() + cells.height(), counterCaption->y()) << "the grid over the counter row";
        EXPECT_EQ(counterCaption->x(), panel->height() - (counterCaption->y() + counterCaption->height()))
            << "the counter caption as far from the pane's left edge as from its bottom";
        for (const QWidget* part : {static_cast<const QWidget*>(title), static_cast<const QWidget*>(tabs),
                                    static_cast<const QWidget*>(counterCaption)})
            expectInside(*part, *panel, win);
    }
    // Each count right after its caption; the second column of both panes where the tasks'
    // failure count ends, or as far left as the maximum count needs to show in a narrow pane, but
    // clear of the failure count's text; captions of one row in line.
    const auto after = [](const QWidget* caption) { return caption->x() + caption->width(); };
    EXPECT_EQ(c.theTasksFailureCounter->x(), after(c.theLabelTasksFailureCounter));
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

    // Over the status bar: the progress bar inside the last panel's frame and the zip box over the
    // left part of its panel, both within the bar's height; the last panel takes the rest of the width.
    const QLabel& zipBar = *c.statusPanels[2];
    const QLabel& progressPanel = *c.statusPanels[3];
    const QRect zipPanelPlace = placeIn(zipBar, win);
    const QRect progressPanelPlace = placeIn(progressPanel, win);
    const QRect progress = placeIn(*c.theProgressBar, win);
    const QRect zip = placeIn(*c.theCheckZip, win);
    EXPECT_GE(zipBar.width(), 34);
    EXPECT_LE(zip.right() + 1, zipPanelPlace.right() - zipBar.fontMetrics().horizontalAdvance(u"zip"_s))
        << "the box leaves its caption clear";
    EXPECT_GE(progressPanel.width(), 96);
    EXPECT_GE(progressPanelPlace.right(), w - 8) << "the last panel takes the rest of the width";
    EXPECT_GT(progress.left(), progressPanelPlace.left());
    EXPECT_LE(progress.right(), progressPanelPlace.right());
    EXPECT_GT(zip.left(), zipPanelPlace.left());
    for (const QRect& over : {progress, zip}) {
        EXPECT_GE(over.top(), status.top());
        EXPECT_LE(over.bottom(), status.bottom());
    }
    EXPECT_GE(progress.center().y(), status.center().y()) << "lowered from the middle line, never raised";

    testsupport::screenshot(*window, u"mainwindow-%1x%2"_s.arg(w).arg(h));

    // The message box, shown in place of the sign-in strip, gives its text the whole width.
    c.theBoxAuthorization->hide();
    c.theBoxMessage->show();
    settle();
    const QRect header = c.theLabelHeader->geometry();
    EXPECT_EQ(header.x(), 0);
    EXPECT_EQ(header.width(), w);
    expectInside(*c.theLabelHeader, *c.theBoxMessage, win);
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
            testsupport::screenshot(*window, u"mainwindow-long-path"_s);
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
    testsupport::screenshot(*window, u"mainwindow-maximised"_s);

    // While protocols are written the progress bar covers the last panel, inside its frame.
    c.theProgressBar->show();
    settle();
    const QRect panel = placeIn(*c.statusPanels[3], *window);
    const QRect bar = placeIn(*c.theProgressBar, *window);
    EXPECT_TRUE(panel.contains(bar)) << "the bar lies over its panel";
    testsupport::screenshot(*window, u"mainwindow-progress"_s);
}

} // namespace mainwindow::test
