// The status item under a real tray host (trayer), and its launcher where
// no tray host runs.
#include "platform/StatusItem.h"
#include "platform/Window.h"
#include "platform/X11ScreenProvider.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QSystemTrayIcon>
#include <QThread>

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

void exerciseClicks(StatusItem& item) {
    Clicks clicks(item);
    // The tray host places the icon after embedding it; wait until it rests.
    std::optional<Rect> last;
    ASSERT_TRUE(waitUntil([&] {
        const auto f = item.buttonFrame();
        const bool resting = f && f == last && f->maxX() <= 1920 && f->minX() >= 0;
        last = f;
        QThread::msleep(100);
        return resting;
    }));
    const QPoint c = centreOf(*last);
    testing_support::clickAt(c.x(), c.y());
    EXPECT_TRUE(waitUntil([&] { return clicks.left == 1; }));
    testing_support::clickAt(c.x(), c.y(), 3);
    EXPECT_TRUE(waitUntil([&] { return clicks.right == 1; }));
    QThread::msleep(500);
    // Two quick clicks are two clicks.
    testing_support::xdotool({"click", "--repeat", "2", "--delay", "150", "1"});
    EXPECT_TRUE(waitUntil([&] { return clicks.left == 3; }));
    testing_support::drainEvents();
    QThread::msleep(100);
    testing_support::drainEvents();
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
    exerciseClicks(item);
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
    EXPECT_EQ(item.launcherWindow()->level(), WindowLevel::panel);
    QThread::msleep(200);
    exerciseClicks(item);
    EXPECT_FALSE(item.launcherWindow()->isKeyWindow());
}
