#include <gtest/gtest.h>

#include "dialogs/ChecksLayout.h"
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
