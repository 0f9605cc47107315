#pragma once

#include <QSize>

#include "Twips.h"

namespace dialogs {

// The resize rules of the sign-in dialog, in twips: the window's minimum, the button row, title
// and tab strip on the window, and the certificate tree, automatic sign-in box and server address
// on the sign-in panel.
namespace signin_layout {

inline constexpr int kDesignInnerWidth = 10995;
inline constexpr int kDesignInnerHeight = 7260;
// The window's size with the frame it was designed with: the size it is centred for, and with
// the least size the measure of the least inner size.
inline constexpr int kDesignWindowWidth = 11235;
inline constexpr int kDesignWindowHeight = 7830;
inline constexpr int kMinimumWindowWidth = 10050;
inline constexpr int kMinimumWindowHeight = 6180;

struct WindowPlaces
{
    TwipsRect title{0, 195, 9795, 375};
    TwipsRect tabs{240, 615, 9330, 5820};
    TwipsRect buttomAutorization{2115, 6585, 1935, 500};
    TwipsRect save{4110, 6585, 1800, 500};
    TwipsRect cancel{5970, 6585, 1800, 500};
};

struct PanelPlaces
{
    TwipsRect optionLoginPassword{210, 150, 1215, 240};
    TwipsRect login{480, 480, 2355, 300};
    TwipsRect labelPassword{3000, 150, 975, 240};
    TwipsRect password{3000, 480, 2355, 300};
    TwipsRect viewPassword{5385, 450, 600, 360};
    TwipsRect optionCertificate{210, 930, 1455, 240};
    TwipsRect treeViewCertificates{480, 1275, 8580, 1755};
    TwipsRect automaticAutorization{210, 3315, 5490, 285};
    TwipsRect labelDiadocServerURL{165, 4620, 1905, 240};
    TwipsRect diadocServerURL{165, 4890, 8895, 300};
};

// Steps 1 and 2: the window's size (frame included) grows to the least size.
QSize windowSize(QSize window);
// A window size without the frame the window was designed with.
QSize innerSize(QSize window);
// The window's rules for its inner size.
void layoutWindow(WindowPlaces& places, int innerWidth, int innerHeight);
// The sign-in panel's rules for the panel's size. The server address box and its caption stand
// at the bottom, the automatic sign-in box 150 above the caption, and the tree reaches to 150
// above the box.
void layoutPanel(PanelPlaces& places, int panelWidth, int panelHeight);

} // namespace signin_layout

} // namespace dialogs
