#include <ostream>

#include <gtest/gtest.h>

#include "mainwindow/MainWindowLayout.h"

namespace dialogs {

void PrintTo(const TwipsRect& r, std::ostream* out)
{
    *out << '{' << r.left << ", " << r.top << ", " << r.width << ", " << r.height << '}';
}

} // namespace dialogs

namespace mainwindow::layout {

namespace {

TEST(MainWindowLayout, TheInnerHeightIsRaisedTo6450AndTheWidthNever)
{
    struct Case
    {
        int height;
        int innerHeight;
        int expected;
    };
    const Case cases[] = {
        {6839, 6449, 6840}, {6840, 6450, 6840}, {4000, 3610, 6840}, {9000, 8610, 9000}, {390, 0, 6840},
    };
    for (const Case& c : cases)
        EXPECT_EQ(windowHeight(c.height, c.innerHeight), c.expected) << c.innerHeight;
}

TEST(MainWindowLayout, TopBoxesTakeTheWidthAndTheSplitterTheRoomAboveTheStatusBar)
{
    WindowPlaces p;
    layoutWindow(p, 14130, 8970, 360);
    EXPECT_EQ(p.boxMessage, (TwipsRect{0, 0, 14130, 600}));
    EXPECT_EQ(p.boxAuthorization, (TwipsRect{0, 0, 14130, 600}));
    EXPECT_EQ(p.splitter, (TwipsRect{0, 600, 14130, 8010}));

    // A minimised window has no room: the splitter keeps its place, the boxes still follow.
    layoutWindow(p, 2400, 300, 360);
    EXPECT_EQ(p.boxMessage.width, 2400);
    EXPECT_EQ(p.splitter, (TwipsRect{0, 600, 14130, 8010}));

    MessagePlaces m;
    layoutMessageBox(m, 9000);
    EXPECT_EQ(m.labelHeader, (TwipsRect{0, 150, 9000, 285}));
}

TEST(MainWindowLayout, SignInButtonsStandAtTheRightEndAndTheTextBeforeThem)
{
    AuthorizationPlaces p;
    layoutAuthorizationBox(p, 14130);
    EXPECT_EQ(p.buttonOptions, (TwipsRect{12570, 90, 1455, 375}));
    EXPECT_EQ(p.buttonAuthorization, (TwipsRect{11010, 90, 1455, 375}));
    EXPECT_EQ(p.labelAuthorization, (TwipsRect{105, 165, 10800, 285}));

    // Too narrow for the text: it keeps its last width while both buttons pass the left edge.
    layoutAuthorizationBox(p, 3000);
    EXPECT_EQ(p.buttonOptions.left, 1440);
    EXPECT_EQ(p.buttonAuthorization.left, -120);
    EXPECT_EQ(p.labelAuthorization, (TwipsRect{105, 165, 10800, 285}));
}

TEST(MainWindowLayout, FilterPaneStacksButtonsBoxesAndTreeFromTheBottomUp)
{
    struct Case
    {
        int width;
        int height;
        int executeLeft;
        int exitLeft;
    };
    const Case cases[] = {{4425, 7185, 360, 2865}, {3000, 7185, -352, 2153}, {6000, 9000, 1147, 3652}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        FilterPlaces p;
        layoutFilterPanel(p, c.width, c.height);
        const int h = c.height;
        EXPECT_EQ(p.buttonExecute, (TwipsRect{c.executeLeft, h - 605, 2400, 500}));
        EXPECT_EQ(p.buttonExit, (TwipsRect{c.exitLeft, h - 605, 1200, 500}));
        EXPECT_EQ(p.checkProtocol, (TwipsRect{150, h - 950, 4230, 240}));
        EXPECT_EQ(p.checkSignatureRejected, (TwipsRect{150, h - 1475, 4230, 420}));
        EXPECT_EQ(p.checkRevoked, (TwipsRect{150, h - 1820, 4230, 240}));
        EXPECT_EQ(p.checkInternal, (TwipsRect{150, h - 2165, 4230, 240}));
        EXPECT_EQ(p.checkFinished, (TwipsRect{150, h - 2690, 4230, 420}));
        EXPECT_EQ(p.tree, (TwipsRect{90, 1230, c.width - 135, h - 4025}));
    }

    // A pane lower than 4025 leaves the tree at its last size; the boxes still move.
    FilterPlaces low;
    layoutFilterPanel(low, 4425, 7185);
    layoutFilterPanel(low, 4425, 4000);
    EXPECT_EQ(low.tree, (TwipsRect{90, 1230, 4290, 3160}));
    EXPECT_EQ(low.checkFinished.top, 4000 - 2690);
}

TEST(MainWindowLayout, FolderBoxLeavesRoomForTheFolderButtonWhenShown)
{
    PathPlaces shown;
    layoutPathPanel(shown, 4425, true);
    EXPECT_EQ(shown.buttonSelectFolder.left, 3870);
    EXPECT_EQ(shown.path.left, 75);
    EXPECT_EQ(shown.path.width, 3705);
    EXPECT_EQ(shown.buttonSelectFolder.left - (shown.path.left + shown.path.width), 90);

    PathPlaces hidden;
    layoutPathPanel(hidden, 4425, false);
    EXPECT_EQ(hidden.path.width, 4305);
    EXPECT_EQ(4425 - (hidden.path.left + hidden.path.width), 45);

    // Narrower than the button and its margins: the box keeps its width.
    layoutPathPanel(shown, 600, true);
    EXPECT_EQ(shown.path.width, 3705);
    EXPECT_EQ(shown.buttonSelectFolder.left, 45);
}

// Captions as a font sizes them.
TasksPlaces tasksWithCaptions()
{
    TasksPlaces p;
    p.labelTitle = {90, 90, 2400, 195};
    p.labelEmpty.width = 3000;
    p.labelEmpty.height = 195;
    p.labelFailureCounter.width = 3600;
    p.labelFailureCounter.height = 195;
    p.labelMaxDocsCount.width = 4200;
    p.labelMaxDocsCount.height = 195;
    return p;
}

TEST(MainWindowLayout, QueuePanesPutTheGridInTheTabClientAreaAndCountsAfterTheirCaptions)
{
    TasksPlaces p = tasksWithCaptions();
    layoutTasksPanel(p, 9285, 4350, 300);
    EXPECT_EQ(p.tabs, (TwipsRect{0, 360, 9285, 3630}));
    EXPECT_EQ(tabClientArea(p.tabs, 300), (TwipsRect{0, 660, 9285, 3330}));
    EXPECT_EQ(p.grid, (TwipsRect{60, 720, 9165, 3210}));
    EXPECT_EQ(p.labelFailureCounter, (TwipsRect{90, 4065, 3600, 195}));
    EXPECT_EQ(p.failureCounter, (TwipsRect{3690, 4065, 990, 240}));
    // The second column starts at 90 + the caption + the count's 990, in both rows.
    EXPECT_EQ(p.labelMaxDocsCount, (TwipsRect{4680, 4065, 4200, 195}));
    EXPECT_EQ(p.maxDocsCount.left, 8880);
    EXPECT_EQ(p.labelEmpty, (TwipsRect{4680, 90, 3000, 195}));
    EXPECT_EQ(p.empty, (TwipsRect{7680, 90, 990, 240}));
    EXPECT_EQ(p.labelTitle, (TwipsRect{90, 90, 2400, 195}));

    // Lower than 720: the tab strip keeps its place; the grid and the counter row still move.
    layoutTasksPanel(p, 6000, 700, 300);
    EXPECT_EQ(p.tabs, (TwipsRect{0, 360, 9285, 3630}));
    EXPECT_EQ(p.grid, (TwipsRect{60, 720, 9165, 3210}));
    EXPECT_EQ(p.labelFailureCounter.top, 700 - 195 - 90);
    EXPECT_EQ(p.labelMaxDocsCount.left, 4680);

    DocsPlaces d;
    d.labelCountAll.width = 2700;
    d.labelFailureCounter.width = 3500;
    d.labelFailureCounter.height = 195;
    layoutDocsPanel(d, 9285, 4125, 300, 4680);
    EXPECT_EQ(d.labelCountAll.left, 4680);
    EXPECT_EQ(d.countAll, (TwipsRect{7380, 90, 990, 240}));
    EXPECT_EQ(d.tabs, (TwipsRect{0, 360, 9285, 3405}));
    EXPECT_EQ(d.grid, (TwipsRect{60, 720, 9165, 2985}));
    EXPECT_EQ(d.labelFailureCounter, (TwipsRect{90, 3840, 3500, 195}));
    EXPECT_EQ(d.failureCounter.left, 3590);
}

// The second column keeps its place where the pane has room for the maximum count's text, moves
// left as far as the text needs in a narrower pane, and never onto the failure count's text.
TEST(MainWindowLayout, TheSecondColumnYieldsToTheMaximumCountButNotOverTheFailureCount)
{
    struct Case
    {
        int width;
        int failureText;
        int maxDocsText;
        int column;
    };
    // Laid out as built: the failure count at 3690, the second column at 4680, its caption 4200 wide.
    for (const Case c : {Case{9285, 105, 300, 4680}, Case{9000, 105, 300, 9000 - 105 - 300 - 4200},
                         Case{8000, 105, 300, 3690 + 105 + 105}, Case{8000, 900, 300, 3690 + 900 + 105}}) {
        SCOPED_TRACE(c.width);
        TasksPlaces p = tasksWithCaptions();
        layoutTasksPanel(p, c.width, 4350, 300);
        fitSecondColumn(p, c.width, c.failureText, c.maxDocsText);
        EXPECT_EQ(p.labelMaxDocsCount.left, c.column);
        EXPECT_EQ(p.maxDocsCount.left, c.column + 4200);
        EXPECT_EQ(p.labelEmpty.left, c.column);
        EXPECT_EQ(p.empty.left, c.column + 3000);
        EXPECT_EQ(p.failureCounter.left, 3690) << "the first column stays";
    }
}

TEST(MainWindowLayout, ProgressBarAndZipBoxFloatOverTheirPanels)
{
    // A status bar 361 high gives the same places as one 360 high: 361 \ 2 = 180.
    for (const int barHeight : {360, 361}) {
        SCOPED_TRACE(barHeight);
        StatusBarPlaces p;
        resizeProgressBar(p, {0, 8970 - barHeight, 14130, barHeight}, 8970, {4980, 510}, {5490, 8640});
        EXPECT_EQ(p.progressBar, (TwipsRect{5535, 8970 - 300, 8580, 270}));
        EXPECT_EQ(p.checkZip, (TwipsRect{5040, 8970 - 285, 165, 270}));
    }

    // The bar follows its panel's width; a panel narrower than 60 stops the procedure.
    StatusBarPlaces p;
    resizeProgressBar(p, {0, 6090, 9000, 360}, 6450, {4980, 510}, {5490, 1440});
    EXPECT_EQ(p.progressBar, (TwipsRect{5535, 6150, 1380, 270}));
    EXPECT_EQ(p.checkZip.top, 6165);
    resizeProgressBar(p, {0, 6090, 9000, 360}, 6450, {300, 510}, {810, 45});
    EXPECT_EQ(p.progressBar, (TwipsRect{855, 6150, 1380, 270}));
    EXPECT_EQ(p.checkZip.left, 5040);
}

} // namespace

} // namespace mainwindow::layout
