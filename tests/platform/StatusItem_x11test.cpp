// The status item under a real tray host (trayer), and its launcher where
// no tray host runs.
#include "platform/StatusItem.h"
#include "platform/Window.h"
#include "platform/X11ScreenProvider.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QSystemTrayIcon>

#include <gtest/gtest.h>

using namespace platform;
using testing_support::waitUntil;

namespace {
struct Clicks {
    explicit Clicks(StatusItem& item)
        : l(item.leftClicked.connect([this] { ++left; })), r(item.rightClicked.connect([this] { ++right; })) {}
    int left = 0, right = 0;
    Subscription l, r;
};

QPoint centreOf(const Rect& frame) { return toGlobal(Point{frame.midX(), frame.midY()}).toPoint(); }

// `window`: the X window that shows the icon or button.
void exerciseClicks(StatusItem& item, std::uint32_t window) {
    Clicks clicks(item);
    // The tray host places the icon after embedding it; wait until it rests.
    const auto frame = testing_support::waitUntilSteady([&]() -> std::optional<Rect> {
        const auto f = item.buttonFrame();
        if (f && f->maxX() <= 1920 && f->minX() >= 0) return f;
        return std::nullopt;
    });
    ASSERT_TRUE(frame);
    const QPoint c = centreOf(*frame);
    ASSERT_TRUE(testing_support::pointerReaches(c, window));
    testing_support::click();
    EXPECT_TRUE(waitUntil([&] { return clicks.left == 1; }));
    testing_support::click(3);
    EXPECT_TRUE(waitUntil([&] { return clicks.right == 1; }));
    testing_support::paceNewClick();
    // Two quick clicks are two clicks.
    testing_support::xdotool({"click", "--repeat", "2", "--delay", "150", "1"});
    EXPECT_TRUE(waitUntil([&] { return clicks.left == 3; }));
    // Nothing more comes of them.
    EXPECT_TRUE(testing_support::settle());
    EXPECT_EQ(clicks.left, 3);
    EXPECT_EQ(clicks.right, 1);
}
} // namespace

TEST(StatusItemX11, SitsInTheTrayAndReportsLeftAndRightClicks) {
    X11ScreenProvider screens;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a tray host";
    StatusItem item("pencil.tip.crop.circle", "Overink", screens);
    EXPECT_TRUE(item.isInTray());
    ASSERT_TRUE(waitUntil([&] { return item.buttonFrame().has_value(); }));
    // Trayer docks at the top edge, 24 px high.
    const Rect f = *item.buttonFrame();
    EXPECT_GE(f.minY(), 1080 - 24 - 1);
    EXPECT_GT(f.width(), 0);
    ASSERT_TRUE(waitUntil([] { return testing_support::trayIconWindow() != 0; }));
    exerciseClicks(item, testing_support::trayIconWindow());
}

TEST(NoTray, TheLauncherFloatsAtTheTopRightAndTakesTheSameClicks) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "needs a session without a tray host";
    X11ScreenProvider screens;
    StatusItem item("pencil.tip.crop.circle", "Overink", screens);
    EXPECT_FALSE(item.isInTray());
    ASSERT_TRUE(item.launcherWindow());
    ASSERT_TRUE(waitUntil([&] { return item.launcherWindow()->isVisible(); }));
    const Rect visible = screens.screens().front().visibleFrame;
    const Rect f = *item.buttonFrame();
    EXPECT_EQ(f.maxX(), visible.maxX() - 4);
    EXPECT_EQ(f.maxY(), visible.maxY() - 4);
    EXPECT_EQ(item.launcherWindow()->stacking().level(), WindowLevel::panel);
    exerciseClicks(item, item.launcherWindow()->xid());
    EXPECT_FALSE(item.launcherWindow()->keyboard().isKeyWindow());
}
