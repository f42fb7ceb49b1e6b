// Which dock positions the position diagram offers, from the main screen's
// frame and the part of it that desktop panels leave visible.
#include "toolbar/DockSpots.h"

#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;

namespace {

const Rect kFrame(0, 0, 1440, 900);
const std::set<P> kBottom{P::bottomLeftH, P::bottomCenterH, P::bottomRightH, P::bottomLeftV, P::bottomRightV};
const std::set<P> kLeft{P::topLeftH, P::topLeftV, P::middleLeftV, P::bottomLeftV, P::bottomLeftH};
const std::set<P> kRight{P::topRightH, P::topRightV, P::middleRightV, P::bottomRightV, P::bottomRightH};

std::vector<P> positionsOf(const std::vector<DockSpot>& spots) {
    std::vector<P> positions;
    for (const DockSpot& s : spots) positions.push_back(s.position);
    return positions;
}

} // namespace

TEST(DockSpots, AHighBottomPanelLeavesTheTopAndTheUpperSidesInDrawingOrder) {
    const auto blocked = blockedSpots(kFrame, Rect(0, 70, 1440, 830));
    EXPECT_EQ(blocked, kBottom);
    const std::vector<DockSpot> all(kSettingsDockSpots.begin(), kSettingsDockSpots.end());
    EXPECT_EQ(positionsOf(offeredSpots(all, blocked)),
              (std::vector<P>{P::topLeftH, P::topCenterH, P::topRightH, P::topLeftV, P::topRightV, P::middleLeftV,
                              P::middleRightV}));
}

TEST(DockSpots, EachEdgeIsTestedStrictlyAndOnItsOwn) {
    // Twenty points is a hidden or slim panel: nothing blocked.
    EXPECT_TRUE(blockedSpots(kFrame, Rect(20, 20, 1400, 880)).empty());
    EXPECT_EQ(blockedSpots(kFrame, Rect(0, 20.5, 1440, 879.5)), kBottom);
    EXPECT_EQ(blockedSpots(kFrame, Rect(48, 0, 1392, 900)), kLeft);
    EXPECT_EQ(blockedSpots(kFrame, Rect(0, 0, 1392, 900)), kRight);
    // The top edge is never blocked, however much a panel there takes.
    EXPECT_TRUE(blockedSpots(kFrame, Rect(0, 0, 1440, 700)).empty());
    // Left and bottom together share the bottom-left corner.
    std::set<P> both = kLeft;
    both.insert(kBottom.begin(), kBottom.end());
    EXPECT_EQ(blockedSpots(kFrame, Rect(60, 60, 1380, 840)), both);
    EXPECT_EQ(both.size(), 8u);
}

TEST(DockSpots, OnlyTheMainScreenCounts) {
    platform::Screen plain = FakeScreenProvider::makeScreen(1, kFrame);
    platform::Screen docked = FakeScreenProvider::makeScreen(2, Rect(1440, 0, 1440, 900));
    docked.visibleFrame = Rect(1440, 70, 1440, 830);
    FakeScreenProvider screens({plain, docked});
    EXPECT_TRUE(blockedSpots(screens).empty());
    screens.setMainDisplay(2);
    EXPECT_EQ(blockedSpots(screens), kBottom);
    FakeScreenProvider none;
    EXPECT_TRUE(blockedSpots(none).empty());
}
