// Where the toolbar goes at each dock position, with and without a panel
// taking the screen's bottom edge.
#include "app/ToolbarPlacement.h"

#include <gtest/gtest.h>

using platform::Point;
using platform::Rect;
using platform::Size;
using P = ToolbarDockPosition;

namespace {
const Rect kFrame(0, 0, 1440, 900);
const Rect kWithBottomPanel(0, 70, 1440, 805);
const Rect kNoBottomPanel(0, 0, 1440, 875);
const Size kHorizontal(600, 50);
const Size kVertical(50, 600);
} // namespace

TEST(ToolbarPlacement, TheWorkedNumbers) {
    EXPECT_EQ(dockedToolbarOrigin(P::topCenterH, kWithBottomPanel, kFrame, kHorizontal), Point(420, 817));
    EXPECT_EQ(dockedToolbarOrigin(P::bottomCenterH, kWithBottomPanel, kFrame, kHorizontal), Point(420, 817));
    EXPECT_EQ(dockedToolbarOrigin(P::bottomLeftV, kWithBottomPanel, kFrame, kVertical), Point(8, 78));
    EXPECT_EQ(dockedToolbarOrigin(P::bottomCenterH, kNoBottomPanel, kFrame, kHorizontal), Point(420, 8));
}

TEST(ToolbarPlacement, AllTwelvePositionsWithAndWithoutABottomPanel) {
    struct Case {
        P position;
        Size size;
        Point free;  // V = (0, 0, 1440, 875)
        Point taken; // V = (0, 70, 1440, 805)
    };
    const Case cases[] = {
        {P::topCenterH, kHorizontal, {420, 817}, {420, 817}},
        {P::topLeftH, kHorizontal, {8, 817}, {8, 817}},
        {P::topRightH, kHorizontal, {832, 817}, {832, 817}},
        {P::topLeftV, kVertical, {8, 267}, {8, 267}},
        {P::topRightV, kVertical, {1382, 267}, {1382, 267}},
        {P::middleLeftV, kVertical, {8, 137.5}, {8, 172.5}},
        {P::middleRightV, kVertical, {1382, 137.5}, {1382, 172.5}},
        {P::bottomLeftV, kVertical, {8, 8}, {8, 78}},
        {P::bottomRightV, kVertical, {1382, 8}, {1382, 78}},
        {P::bottomCenterH, kHorizontal, {420, 8}, {420, 817}},
        {P::bottomLeftH, kHorizontal, {8, 8}, {8, 817}},
        {P::bottomRightH, kHorizontal, {832, 8}, {832, 817}},
    };
    for (const Case& c : cases) {
        const auto name = rawValueText(c.position).toStdString();
        EXPECT_EQ(dockedToolbarOrigin(c.position, kNoBottomPanel, kFrame, c.size), c.free) << name;
        EXPECT_EQ(dockedToolbarOrigin(c.position, kWithBottomPanel, kFrame, c.size), c.taken) << name;
    }
}

TEST(ToolbarPlacement, TheBottomIsTakenOnlyBeyondTwentyPoints) {
    EXPECT_FALSE(isScreenBottomTaken(Rect(0, 20, 1440, 855), kFrame));
    EXPECT_TRUE(isScreenBottomTaken(Rect(0, 20.5, 1440, 855), kFrame));
    EXPECT_EQ(dockedToolbarOrigin(P::bottomRightH, Rect(0, 20, 1440, 855), kFrame, kHorizontal), Point(832, 28));
    // A second screen above the primary: the test is against its own frame.
    const Rect upper(0, 900, 1920, 1080);
    EXPECT_FALSE(isScreenBottomTaken(Rect(0, 900, 1920, 1056), upper));
    EXPECT_EQ(dockedToolbarOrigin(P::bottomCenterH, Rect(0, 900, 1920, 1056), upper, kHorizontal), Point(660, 908));
}

TEST(ToolbarPlacement, AfterTheDisplaysChangeOnlyAToolbarLeftOffItsDisplayIsPlacedAgain) {
    platform::Screen left{1, Rect(0, 0, 1024, 600), Rect(0, 0, 1024, 576), {}, 1};
    platform::Screen right{2, Rect(1024, 0, 1920, 1080), Rect(1024, 40, 1920, 1040), {}, 1};
    const std::vector<platform::Screen> screens{left, right};
    // Inside its display's visible frame, its edges on it included: it stays.
    EXPECT_EQ(screenForDisplacedToolbar(Rect(100, 532, 600, 36), screens, left), std::nullopt);
    EXPECT_EQ(screenForDisplacedToolbar(Rect(0, 540, 600, 36), screens, left), std::nullopt);
    // Under the panel that now takes the top of the screen, or off its side
    // since the screen shrank: placed again on that screen.
    EXPECT_EQ(screenForDisplacedToolbar(Rect(100, 560, 600, 36), screens, left), left);
    EXPECT_EQ(screenForDisplacedToolbar(Rect(700, 300, 600, 36), screens, right), left) << "most of it is on the left";
    // On the second screen, over its bottom panel.
    EXPECT_EQ(screenForDisplacedToolbar(Rect(1500, 20, 600, 36), screens, left), right);
    // On no screen any more: the main one.
    EXPECT_EQ(screenForDisplacedToolbar(Rect(3000, 300, 600, 36), screens, right), right);
    EXPECT_EQ(screenForDisplacedToolbar(Rect(3000, 300, 600, 36), {}, std::nullopt), std::nullopt);
}
