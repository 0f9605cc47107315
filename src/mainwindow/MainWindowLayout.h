#pragma once

#include "dialogs/Twips.h"

namespace mainwindow {

// The main window's layout rules, in twips as the window was designed. Each rule reads the
// current places of the controls it depends on and writes new ones, so it may run at any time and
// as often as Qt lays the window out. A move that would give a control a negative width or height
// is skipped as a whole: the control keeps its last place and size.
namespace layout {

using dialogs::TwipsRect;

// Below this inner height the window is made taller; there is no least width.
inline constexpr int kMinimumInnerHeight = 6450;
// The gap between neighbouring controls.
inline constexpr int kGap = 105;

// The window: the two top boxes on the same place and the splitter under them.
struct WindowPlaces
{
    TwipsRect boxMessage{0, 0, 14130, 600};
    TwipsRect boxAuthorization{0, 0, 14130, 600};
    TwipsRect splitter{0, 600, 14130, 7470};
};

// The box of the prerequisite message.
struct MessagePlaces
{
    TwipsRect labelHeader{0, 150, 14130, 285};
};

// The sign-in strip: its text, then the two buttons at its right end.
struct AuthorizationPlaces
{
    TwipsRect labelAuthorization{105, 165, 10800, 285};
    TwipsRect buttonAuthorization{11010, 90, 1455, 375};
    TwipsRect buttonOptions{12570, 90, 1455, 375};
};

// The controls that float over the status bar.
struct StatusBarPlaces
{
    TwipsRect progressBar{0, 0, 8580, 270};
    TwipsRect checkZip{0, 0, 165, 270};
};

// A status bar panel: its left, measured from the status bar's left edge, and its width.
struct StatusPanel
{
    int left = 0;
    int width = 0;
};

// The filter pane: the tree, the five shown check boxes and the two buttons under it. The
// design places are those of a pane 4425 wide and 7185 high.
struct FilterPlaces
{
    TwipsRect tree{90, 1230, 4290, 3160};
    TwipsRect checkFinished{150, 4495, 4230, 420};
    TwipsRect checkInternal{150, 5020, 4230, 240};
    TwipsRect checkRevoked{150, 5365, 4230, 240};
    TwipsRect checkSignatureRejected{150, 5710, 4230, 420};
    TwipsRect checkProtocol{150, 6235, 4230, 240};
    TwipsRect buttonExecute{360, 6580, 2400, 500};
    TwipsRect buttonExit{2865, 6580, 1200, 500};
};

// The unload folder box and the folder button at its right.
struct PathPlaces
{
    TwipsRect path{75, 330, 4305, 315};
    TwipsRect buttonSelectFolder{3870, 240, 495, 495};
};

// The tasks pane: a title row above the tab strip and a counter row below it. Labels that size
// to their text carry their text's size.
struct TasksPlaces
{
    TwipsRect labelTitle{90, 90, 0, 0};
    TwipsRect labelEmpty{0, 90, 0, 0};
    TwipsRect empty{0, 90, 990, 240};
    TwipsRect tabs{0, 360, 9285, 3630};
    TwipsRect grid{60, 720, 9165, 3210};
    TwipsRect labelFailureCounter{90, 0, 0, 0};
    TwipsRect failureCounter{0, 0, 990, 240};
    TwipsRect labelMaxDocsCount{0, 0, 0, 0};
    TwipsRect maxDocsCount{0, 0, 990, 240};
};

// The documents pane, laid out as the tasks pane; its total stands in the tasks pane's second
// column.
struct DocsPlaces
{
    TwipsRect labelTitle{60, 90, 0, 0};
    TwipsRect labelCountAll{0, 90, 0, 0};
    TwipsRect countAll{0, 90, 990, 240};
    TwipsRect tabs{0, 360, 9285, 3405};
    TwipsRect grid{60, 720, 9165, 2985};
    TwipsRect labelFailureCounter{90, 0, 0, 0};
    TwipsRect failureCounter{0, 0, 990, 240};
};

// The window's height for its height and inner height: raised so that the inner height is at
// least kMinimumInnerHeight.
int windowHeight(int height, int innerHeight);

// The top boxes take the window's width; the splitter fills the room between them and the status
// bar. The splitter's top is the message box's height whichever box is shown.
void layoutWindow(WindowPlaces& places, int innerWidth, int innerHeight, int statusBarHeight);
// The height of the top strip: 600 as built, or, when the sign-in text standing at labelTop needs
// more lines than that holds, the text's height with as much room below it as above.
int topStripHeight(int labelTop, int textHeight);
void layoutMessageBox(MessagePlaces& places, int boxInnerWidth);
// The buttons stand 105 from the strip's right edge and 105 apart; the text runs from 105 to 105
// before the first button.
void layoutAuthorizationBox(AuthorizationPlaces& places, int boxInnerWidth);

// The progress bar over the "ProgressBar" panel, centred on the status bar's middle line and
// lowered by 15; the zip box over the left part of the "ZipBar" panel. Places in the window.
void resizeProgressBar(StatusBarPlaces& places, const TwipsRect& statusBar, int innerHeight, const StatusPanel& zipBar,
                       const StatusPanel& progressBar);

// From the pane's bottom up: the button pair centred 105 above the bottom, the check boxes 105
// apart above it, the tree filling the room to 45 before the right edge and 105 above the boxes.
void layoutFilterPanel(FilterPlaces& places, int width, int height);
void layoutPathPanel(PathPlaces& places, int width, bool buttonSelectFolderVisible);

// The client area of a tab strip, the area under its tabs, in the strip's container.
TwipsRect tabClientArea(const TwipsRect& tabs, int tabRowHeight);
void layoutTasksPanel(TasksPlaces& places, int width, int height, int tabRowHeight);
// The places were made for a narrower type than the program's: where the pane is too narrow for
// the maximum count's text at the column's place, the second column moves left as far as it must,
// but never onto the failure count's text. The text widths are those of the counts' texts.
void fitSecondColumn(TasksPlaces& places, int width, int failureTextWidth, int maxDocsTextWidth);
// secondColumnLeft is the left of the tasks pane's second column (its maximum-count caption).
void layoutDocsPanel(DocsPlaces& places, int width, int height, int tabRowHeight, int secondColumnLeft);

} // namespace layout

} // namespace mainwindow
