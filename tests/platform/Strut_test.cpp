#include "platform/Strut.h"

#include <gtest/gtest.h>

using platform::Strut;
using platform::visibleRootRect;

namespace {
const QSize kRoot(3840, 1080);
const QRect kLeft(0, 0, 1920, 1080);
const QRect kRight(1920, 0, 1920, 1080);

Strut topPanel(int height, int x0, int x1) {
    return Strut::fromProperty({0, 0, std::uint32_t(height), 0, 0, 0, 0, 0, std::uint32_t(x0), std::uint32_t(x1), 0, 0},
                               kRoot)
        .front();
}
} // namespace

TEST(Strut, APanelShrinksOnlyTheMonitorItsSpanReaches) {
    const std::vector<Strut> s{topPanel(24, 1920, 3839)};
    EXPECT_EQ(visibleRootRect(kRight, s, kRoot), QRect(1920, 24, 1920, 1056));
    EXPECT_EQ(visibleRootRect(kLeft, s, kRoot), kLeft);
}

TEST(Strut, EdgesCombineAndTheLegacyPropertyReservesWholeEdges) {
    const auto legacy = Strut::fromProperty({48, 0, 0, 30}, kRoot);
    ASSERT_EQ(legacy.size(), 1u);
    std::vector<Strut> s{legacy.front(), topPanel(24, 0, 100)};
    EXPECT_EQ(visibleRootRect(kLeft, s, kRoot), QRect(48, 24, 1872, 1026));
    // The left band ends at x = 48, outside the right monitor.
    EXPECT_EQ(visibleRootRect(kRight, s, kRoot), QRect(1920, 0, 1920, 1050));
    EXPECT_TRUE(Strut::fromProperty({1, 2}, kRoot).empty());
}

TEST(Strut, ARightPanelOfTheRootShrinksTheRightMonitorOnly) {
    const auto s = Strut::fromProperty({0, 64, 0, 0, 0, 0, 0, 1079, 0, 0, 0, 0}, kRoot);
    EXPECT_EQ(visibleRootRect(kRight, s, kRoot), QRect(1920, 0, 1856, 1080));
    EXPECT_EQ(visibleRootRect(kLeft, s, kRoot), kLeft);
}

TEST(Strut, ABandCoveringAWholeMonitorBelongsToAnotherMonitor) {
    // Two monitors stacked; a panel at the top of the lower one reserves from
    // the root's top edge down through the upper monitor.
    const QSize tall(1920, 2160);
    const QRect upper(0, 0, 1920, 1080), lower(0, 1080, 1920, 1080);
    const auto s = Strut::fromProperty({0, 0, 1104, 0, 0, 0, 0, 0, 0, 1919, 0, 0}, tall);
    EXPECT_EQ(visibleRootRect(upper, s, tall), upper);
    EXPECT_EQ(visibleRootRect(lower, s, tall), QRect(0, 1104, 1920, 1056));
}
