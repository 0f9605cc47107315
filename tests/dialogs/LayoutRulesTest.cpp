#include <gtest/gtest.h>

#include "dialogs/ChecksLayout.h"
#include "dialogs/OptionsLayout.h"
#include "dialogs/SignInLayout.h"
#include "dialogs/Twips.h"

using namespace dialogs;

TEST(SignInLayoutRules, DesignSizePlacesTheButtonRowTitleAndTabs)
{
    signin_layout::WindowPlaces p;
    signin_layout::layoutWindow(p, 10995, 7260);
    EXPECT_EQ(p.buttomAutorization, (TwipsRect{2580, 6610, 1935, 500}));
    EXPECT_EQ(p.save, (TwipsRect{4665, 6610, 1800, 500}));
    EXPECT_EQ(p.cancel, (TwipsRect{6615, 6610, 1800, 500}));
    EXPECT_EQ(p.title, (TwipsRect{0, 150, 10995, 375}));
    EXPECT_EQ(p.tabs, (TwipsRect{150, 675, 10695, 5785}));
}

TEST(SignInLayoutRules, OddRemainderOfTheButtonRowIsDropped)
{
    signin_layout::WindowPlaces p;
    // 10996 - 1935 - 1800 - 1800 - 300 = 5161
    signin_layout::layoutWindow(p, 10996, 7260);
    EXPECT_EQ(p.buttomAutorization.left, 2580);
    EXPECT_EQ(p.save.left, 4665);
}

TEST(SignInLayoutRules, WindowSpringsBackToItsLeastSize)
{
    EXPECT_EQ(signin_layout::windowSize({9000, 5000}), QSize(10050, 6180));
    EXPECT_EQ(signin_layout::windowSize({12000, 5000}), QSize(12000, 6180));
    EXPECT_EQ(signin_layout::windowSize({11235, 7830}), QSize(11235, 7830));
}

TEST(SignInLayoutRules, PanelKeepsAddressBoxCheckBoxAndTreeAboveEachOther)
{
    signin_layout::PanelPlaces p;
    signin_layout::layoutPanel(p, 10635, 5395);
    EXPECT_EQ(p.diadocServerURL, (TwipsRect{150, 4945, 10335, 300}));
    EXPECT_EQ(p.labelDiadocServerURL, (TwipsRect{150, 4705, 1905, 240}));
    EXPECT_EQ(p.automaticAutorization, (TwipsRect{210, 4270, 5490, 285}));
    EXPECT_EQ(p.treeViewCertificates, (TwipsRect{480, 1275, 10005, 2845}));
    // Controls the rules leave alone keep their design place.
    EXPECT_EQ(p.login, signin_layout::PanelPlaces().login);
}

TEST(SignInLayoutRules, ANegativeSizeIsSkippedAndTheRestStillRuns)
{
    signin_layout::PanelPlaces p;
    signin_layout::layoutPanel(p, 200, 900);
    EXPECT_EQ(p.treeViewCertificates.width, 8580) << "a width below zero keeps the last width";
    EXPECT_EQ(p.treeViewCertificates.height, 1755);
    EXPECT_EQ(p.diadocServerURL.top, 450) << "the steps after the skipped one still run";

    signin_layout::WindowPlaces w;
    signin_layout::layoutWindow(w, 100, 100);
    EXPECT_EQ(w.tabs.width, 9330);
    EXPECT_EQ(w.tabs.top, 675);
    EXPECT_EQ(w.buttomAutorization.left, (100 - 5535 - 300) / 2) << "positions may be negative";
}

TEST(ChecksLayoutRules, DesignSizeAndLeastSize)
{
    checks_layout::Places p;
    p.caption.width = 4500;
    p.caption.height = 300;
    checks_layout::layout(p, 8415, 8580);
    EXPECT_EQ(p.caption, (TwipsRect{1957, 150, 4500, 300}));
    EXPECT_EQ(p.close, (TwipsRect{6750, 7935, 1515, 495}));
    EXPECT_EQ(p.richTextBox, (TwipsRect{150, 600, 8115, 7185}));
    EXPECT_EQ(checks_layout::minimumInner(p), QSize(4800, 2190));

    checks_layout::layout(p, 4801, 2190);
    EXPECT_EQ(p.caption.left, 150) << "(4801 - 4500) \\ 2 drops the remainder";
    EXPECT_EQ(p.richTextBox.height, 2190 - 495 - 150 - 150 - 600);
}

TEST(Twips, FifteenTwipsAPixelWithEdgesRoundedApart)
{
    EXPECT_EQ(twipsToPixels(10995), 733);
    EXPECT_EQ(twipsToPixels(TwipsRect{2580, 6610, 1935, 500}), QRect(172, 441, 129, 33));
    EXPECT_EQ(twipsToPixels(TwipsRect{4665, 6610, 1800, 500}), QRect(311, 441, 120, 33));
    EXPECT_EQ(pixelsToTwips(QRect(1, 2, 3, 4)), (TwipsRect{15, 30, 45, 60}));
}

TEST(OptionsLayoutRules, DesignSizePlacesTheButtonRowTabsFramesAndGrid)
{
    options_layout::WindowPlaces w;
    options_layout::layoutWindow(w, options_layout::kDesignInnerWidth, options_layout::kDesignInnerHeight);
    EXPECT_EQ(w.defaultButton, (TwipsRect{150, 5095, 1515, 500}));
    EXPECT_EQ(w.cancel, (TwipsRect{6690, 5095, 1515, 500}));
    EXPECT_EQ(w.ok, (TwipsRect{5025, 5095, 1515, 500}));
    EXPECT_EQ(w.tabs, (TwipsRect{150, 150, 8055, 4795}));

    TwipsRect panel = options_layout::kTabPanel;
    options_layout::layoutTabPanel(panel, w.tabs);
    EXPECT_EQ(panel, (TwipsRect{30, 360, 8055, 4435}));

    options_layout::ProtocolPanelPlaces protocol;
    options_layout::layoutProtocolPanel(protocol, panel.height);
    EXPECT_EQ(protocol.frameProtocol.top, 4045);
    EXPECT_EQ(protocol.frameExclude.top, 2290);
    EXPECT_EQ(protocol.framePath, options_layout::ProtocolPanelPlaces().framePath) << "the folder box stays";

    options_layout::ExcludePanelPlaces exclude;
    options_layout::layoutExcludePanel(exclude, panel.width, panel.height);
    EXPECT_EQ(exclude.grid, (TwipsRect{150, 450, 7245, 3835}));
    EXPECT_EQ(exclude.toolbar, (TwipsRect{7545, 450, 360, 1320}));

    options_layout::DocTypesPanelPlaces types;
    options_layout::layoutDocTypesPanel(types, panel.width, panel.height);
    EXPECT_EQ(types.checkBoxExcludeMHD.top, 4435 - 270 - 90);
    EXPECT_EQ(types.treeDocTypes, (TwipsRect{180, 420, 8055 - 360, 4075 - 420 - 90}));
}

TEST(OptionsLayoutRules, AThousandHigherMovesTheBottomDownAndLeavesTheTopAlone)
{
    options_layout::WindowPlaces small;
    options_layout::WindowPlaces tall;
    options_layout::layoutWindow(small, 8355, 5745);
    options_layout::layoutWindow(tall, 8355, 6745);
    EXPECT_EQ(tall.defaultButton.top - small.defaultButton.top, 1000);
    EXPECT_EQ(tall.ok.top - small.ok.top, 1000);
    EXPECT_EQ(tall.tabs.height - small.tabs.height, 1000);
    EXPECT_EQ(tall.tabs.top, small.tabs.top);

    options_layout::ProtocolPanelPlaces a;
    options_layout::ProtocolPanelPlaces b;
    options_layout::layoutProtocolPanel(a, 4435);
    options_layout::layoutProtocolPanel(b, 5435);
    EXPECT_EQ(b.frameProtocol.top - a.frameProtocol.top, 1000);
    EXPECT_EQ(b.frameExclude.top - a.frameExclude.top, 1000);
    EXPECT_EQ(b.label5, a.label5);

    options_layout::ExcludePanelPlaces c;
    options_layout::ExcludePanelPlaces d;
    options_layout::layoutExcludePanel(c, 8055, 4435);
    options_layout::layoutExcludePanel(d, 8055, 5435);
    EXPECT_EQ(d.grid.height - c.grid.height, 1000);
    EXPECT_EQ(d.toolbar, c.toolbar);
}

TEST(OptionsLayoutRules, TooSmallKeepsTheLastSizesAndStillPlacesTheRest)
{
    options_layout::WindowPlaces w;
    options_layout::layoutWindow(w, 200, 300);
    EXPECT_EQ(w.tabs.width, 7980) << "a width below zero keeps the last width";
    EXPECT_EQ(w.tabs.height, 4710);
    EXPECT_EQ(w.cancel.left, 200 - 1515 - 150) << "positions may be negative";

    options_layout::ExcludePanelPlaces e;
    options_layout::layoutExcludePanel(e, 400, 300);
    EXPECT_EQ(e.grid.width, 6015);
    EXPECT_EQ(e.grid.height, 1785);
    EXPECT_EQ(e.toolbar.left, 6015 + 300) << "the tool bar follows the grid's width as it stands";
}
