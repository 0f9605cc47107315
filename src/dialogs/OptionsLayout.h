#pragma once

#include "Twips.h"

namespace dialogs {

// The resize rules of the options dialog, in twips: the button row and the tab strip on the
// window, the two frames at the bottom of "Основные", the grid and its tool bar on "Исключения",
// and the tree and the check box on "Типы документов".
namespace options_layout {

inline constexpr int kDesignInnerWidth = 8355;
inline constexpr int kDesignInnerHeight = 5745;

struct WindowPlaces
{
    TwipsRect tabs{195, 210, 7980, 4710};
    TwipsRect defaultButton{180, 5085, 1515, 500};
    TwipsRect ok{4125, 5085, 1515, 500};
    TwipsRect cancel{5805, 5085, 1515, 500};
};

// Every tab panel's place in the tab strip as built.
inline constexpr TwipsRect kTabPanel{30, 360, 7920, 4320};

struct ProtocolPanelPlaces
{
    TwipsRect framePath{180, 0, 7560, 1275};
    TwipsRect label5{180, 1395, 3750, 210};
    TwipsRect frameExclude{180, 2115, 7530, 1695};
    TwipsRect frameProtocol{180, 3915, 7530, 300};
};

struct ExcludePanelPlaces
{
    TwipsRect labelExclude{180, 105, 5820, 195};
    TwipsRect grid{195, 375, 6015, 1785};
    TwipsRect toolbar{6555, 405, 360, 1320};
};

struct DocTypesPanelPlaces
{
    TwipsRect checkBoxSelectiveDocTypes{180, 90, 4065, 270};
    TwipsRect treeDocTypes{180, 420, 7065, 3345};
    TwipsRect checkBoxExcludeMHD{180, 3930, 7260, 270};
};

// Steps 1 to 4: the button row and the tab strip for the window's inner size.
void layoutWindow(WindowPlaces& places, int innerWidth, int innerHeight);
// Steps 5 and 8: a tab panel fills the tab strip below its own top.
void layoutTabPanel(TwipsRect& panel, const TwipsRect& tabs);
// Steps 6 and 7, for the panel's height.
void layoutProtocolPanel(ProtocolPanelPlaces& places, int panelHeight);
// Steps 9 to 11, for the panel's size.
void layoutExcludePanel(ExcludePanelPlaces& places, int panelWidth, int panelHeight);
// Steps 12 and 13, for the panel's size.
void layoutDocTypesPanel(DocTypesPanelPlaces& places, int panelWidth, int panelHeight);

} // namespace options_layout

} // namespace dialogs
