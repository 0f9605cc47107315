#include "MainWindowLayout.h"

#include <algorithm>

namespace mainwindow::layout {

namespace {

// A move with a negative width or height fails as a whole and leaves the control where it was.
void move(TwipsRect& place, int left, int top, int width, int height)
{
    if (width < 0 || height < 0)
        return;
    place = {left, top, width, height};
}

void moveTo(TwipsRect& place, int left, int top)
{
    place.left = left;
    place.top = top;
}

// The place inset by the same margin on every side.
void moveInside(TwipsRect& place, const TwipsRect& area, int margin)
{
    move(place, area.left + margin, area.top + margin, area.width - 2 * margin, area.height - 2 * margin);
}

// A tab strip between the pane's title row and counter row, each 360 high; the grid inset by 60
// in the strip's client area.
void layoutQueue(TwipsRect& tabs, TwipsRect& grid, int width, int height, int tabRowHeight)
{
    constexpr int kRow = 360;
    move(tabs, 0, kRow, width, height - kRow - kRow);
    moveInside(grid, tabClientArea(tabs, tabRowHeight), 60);
}

// A caption in the counter row, 90 from the pane's left and bottom edges.
void placeCounterCaption(TwipsRect& caption, int height)
{
    moveTo(caption, 90, height - caption.height - 90);
}

// A control right after another one, on its row.
void placeAfter(TwipsRect& place, const TwipsRect& before, int top)
{
    moveTo(place, before.left + before.width, top);
}

} // namespace

int windowHeight(int height, int innerHeight)
{
    return innerHeight < kMinimumInnerHeight ? height - innerHeight + kMinimumInnerHeight : height;
}

void layoutWindow(WindowPlaces& p, int innerWidth, int innerHeight, int statusBarHeight)
{
    move(p.boxMessage, 0, 0, innerWidth, p.boxMessage.height);
    move(p.boxAuthorization, 0, 0, innerWidth, p.boxAuthorization.height);
    move(p.splitter, 0, p.boxMessage.height, innerWidth, innerHeight - p.boxMessage.height - statusBarHeight);
}

int topStripHeight(int labelTop, int textHeight)
{
    return std::max(WindowPlaces().boxAuthorization.height, labelTop + textHeight + labelTop);
}

void layoutMessageBox(MessagePlaces& p, int boxInnerWidth)
{
    move(p.labelHeader, 0, p.labelHeader.top, boxInnerWidth, p.labelHeader.height);
}

void layoutAuthorizationBox(AuthorizationPlaces& p, int boxInnerWidth)
{
    p.buttonOptions.left = boxInnerWidth - p.buttonOptions.width - kGap;
    p.buttonAuthorization.left = p.buttonOptions.left - kGap - p.buttonAuthorization.width;
    move(p.labelAuthorization, kGap, p.labelAuthorization.top, p.buttonAuthorization.left - kGap - kGap,
         p.labelAuthorization.height);
}

void resizeProgressBar(StatusBarPlaces& p, const TwipsRect& statusBar, int innerHeight, const StatusPanel& zipBar,
                       const StatusPanel& progressBar)
{
    moveTo(p.progressBar, statusBar.left + progressBar.left + 45,
           innerHeight - statusBar.height / 2 - p.progressBar.height / 2 + 15);
    // A panel too narrow for the bar stops the procedure here.
    if (progressBar.width - 60 < 0)
        return;
    p.progressBar.width = progressBar.width - 60;
    moveTo(p.checkZip, statusBar.left + zipBar.left + 60, p.progressBar.top + 15);
}

void layoutFilterPanel(FilterPlaces& p, int width, int height)
{
    const int pair = p.buttonExecute.width + kGap + p.buttonExit.width;
    const int left = (width - pair) / 2;
    p.buttonExecute.left = left;
    p.buttonExit.left = p.buttonExecute.width + left + kGap;
    p.buttonExecute.top = height - kGap - p.buttonExecute.height;
    p.buttonExit.top = p.buttonExecute.top;
    // The check boxes from the bottom up, each 105 above the one below it.
    const TwipsRect* below = &p.buttonExecute;
    for (TwipsRect* box :
         {&p.checkProtocol, &p.checkSignatureRejected, &p.checkRevoked, &p.checkInternal, &p.checkFinished}) {
        box->top = below->top - kGap - box->height;
        below = box;
    }
    move(p.tree, p.tree.left, p.tree.top, width - p.tree.left - 45, p.checkFinished.top - kGap - p.tree.top);
}

void layoutPathPanel(PathPlaces& p, int width, bool buttonSelectFolderVisible)
{
    if (buttonSelectFolderVisible) {
        p.buttonSelectFolder.left = width - p.buttonSelectFolder.width - 60;
        move(p.path, p.path.left, p.path.top, width - p.buttonSelectFolder.width - 3 * p.path.left, p.path.height);
    } else {
        move(p.path, p.path.left, p.path.top, width - 60 - 60, p.path.height);
    }
}

TwipsRect tabClientArea(const TwipsRect& tabs, int tabRowHeight)
{
    return {tabs.left, tabs.top + tabRowHeight, tabs.width, tabs.height - tabRowHeight};
}

void layoutTasksPanel(TasksPlaces& p, int width, int height, int tabRowHeight)
{
    layoutQueue(p.tabs, p.grid, width, height, tabRowHeight);
    placeCounterCaption(p.labelFailureCounter, height);
    placeAfter(p.failureCounter, p.labelFailureCounter, p.labelFailureCounter.top);
    // The second column starts where the failure count ends, in the counter row and the title row.
    placeAfter(p.labelMaxDocsCount, p.failureCounter, p.labelFailureCounter.top);
    placeAfter(p.maxDocsCount, p.labelMaxDocsCount, p.labelFailureCounter.top);
    placeAfter(p.labelEmpty, p.failureCounter, p.labelTitle.top);
    placeAfter(p.empty, p.labelEmpty, p.labelEmpty.top);
}

void fitSecondColumn(TasksPlaces& p, int width, int failureTextWidth, int maxDocsTextWidth)
{
    const int fitting = width - kGap - maxDocsTextWidth - p.labelMaxDocsCount.width;
    const int least = p.failureCounter.left + failureTextWidth + kGap;
    const int left = std::max(least, std::min(p.labelMaxDocsCount.left, fitting));
    const int shift = left - p.labelMaxDocsCount.left;
    for (TwipsRect* place : {&p.labelMaxDocsCount, &p.maxDocsCount, &p.labelEmpty, &p.empty})
        place->left += shift;
}

void layoutDocsPanel(DocsPlaces& p, int width, int height, int tabRowHeight, int secondColumnLeft)
{
    p.labelCountAll.left = secondColumnLeft;
    placeAfter(p.countAll, p.labelCountAll, p.labelCountAll.top);
    layoutQueue(p.tabs, p.grid, width, height, tabRowHeight);
    placeCounterCaption(p.labelFailureCounter, height);
    placeAfter(p.failureCounter, p.labelFailureCounter, p.labelFailureCounter.top);
}

} // namespace mainwindow::layout
