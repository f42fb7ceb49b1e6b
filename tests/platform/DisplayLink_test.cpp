// Refresh rates read from video modes.
#include "platform/DisplayLink.h"

#include <xcb/randr.h>

#include <gtest/gtest.h>

using namespace platform;

TEST(ModeRefreshRate, FromClockAndTotals) {
    // 1920×1080 at 60 Hz (CEA timing) and 2560×1440 at 144 Hz.
    EXPECT_NEAR(modeRefreshRate(148'500'000, 2200, 1125, 0), 60.0, 1e-9);
    EXPECT_NEAR(modeRefreshRate(586'586'000, 2720, 1497, 0), 144.06, 0.01);
    // Interlaced modes show half the lines per field; double scan twice.
    EXPECT_NEAR(modeRefreshRate(74'250'000, 2200, 1125, XCB_RANDR_MODE_FLAG_INTERLACE), 60.0, 1e-9);
    EXPECT_NEAR(modeRefreshRate(25'175'000, 800, 525, XCB_RANDR_MODE_FLAG_DOUBLE_SCAN), 29.97, 0.01);
    // A mode without a clock (Xvfb) says nothing.
    EXPECT_EQ(modeRefreshRate(0, 2200, 1125, 0), 0);
    EXPECT_EQ(modeRefreshRate(148'500'000, 0, 1125, 0), 0);
    EXPECT_EQ(modeRefreshRate(148'500'000, 2200, 0, 0), 0);
}

TEST(MediaTime, NeverGoesBack) {
    double last = mediaTime();
    EXPECT_GT(last, 0);
    for (int i = 0; i < 1000; ++i) {
        const double now = mediaTime();
        EXPECT_GE(now, last);
        last = now;
    }
}
