// How a grab waits for the screen to be drawn again where the windows it
// leaves out showed, on a clock of the test's: other programs' windows
// beneath that repaint at once, late or by turns, one that repaints
// elsewhere without end, a slow compositing manager, a left-out window
// that repaints or fades meanwhile, and a window that closed just before.
#include "ScreenGrabTestSupport.h"
#include "platform/X11.h"
#include "platform/X11DamageWatch.h"
#include "platform/X11ScreenGrabber.h"
#include "support/ManualPlatformClock.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace platform;
using namespace grab_test;
using testing_support::drainEvents;
using testing_support::ExternalWindow;
using testing_support::ManualPlatformClock;
using testing_support::waitUntil;

namespace {

const QColor kBlue(40, 60, 200);
const QColor kYellow(230, 210, 40);
const QColor kCyan(40, 200, 210);
const QColor kGrey(120, 120, 120);

// The left-out window's magenta (see Inset) over the programs beneath: its
// 250 columns from x 420, 180 of them over the window at 400 and 70 over
// the one at 600.
const QRect kLeftOut(410, 310, 270, 180);
const QRect kMagentaArea(420, 320, 250, 160);
const QPoint kOverLeft(500, 400);
const QPoint kOverRight(640, 400);

ContentFilter leaving(ScreenGrabber& grabber, const OwnWindow& window) {
    const auto listed = content(grabber);
    EXPECT_FALSE(listed.content.displays.empty());
    if (listed.content.displays.empty()) return {};
    return {listed.content.displays.front(), {window.window.xid()}};
}

int magentaIn(const QImage& image, const QRect& area) {
    return image.isNull() ? -1 : countNear(image, area, kMagenta, 24);
}

} // namespace

// Another program keeps repainting its window away from the grab, and of
// the two programs beneath the left-out window one repaints at once and the
// other only once it is done with other work: neither the reports from
// elsewhere nor those of most of the area make the screen drawn again.
TEST(NoCompositor, AGrabWaitsUntilTheWholeUncoveredAreaIsDrawnAgain) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow restless(QRect(100, 700, 200, 200), kGrey);
    OtherWindow quick(QRect(400, 300, 200, 200), kBlue);
    OtherWindow late(QRect(600, 300, 100, 200), kGreen);
    ASSERT_TRUE(restless.ready() && quick.ready() && late.ready());
    restless.keepRepainting();
    OwnWindow excluded(kLeftOut);
    ASSERT_TRUE(late.showsAround(kMagentaArea));
    ASSERT_TRUE(late.hold());

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    Grab grab(grabber, leaving(grabber, excluded));
    ASSERT_TRUE(quick.shows(kBlue)) << "the quick program repaints";
    ASSERT_TRUE(barrier.pass());
    // Well past a quiet moment, short of the longest wait.
    clock->advance(100);
    EXPECT_FALSE(grab.ended()) << "the grab ended with part of the area not drawn again";

    late.release();
    ASSERT_TRUE(late.shows(kGreen)) << "the late program repaints";
    ASSERT_TRUE(barrier.pass());
    clock->advance(100);
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }));
    const QImage image = grab.image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(magentaIn(image, kMagentaArea), 0) << "the left-out window is not in the image";
    EXPECT_TRUE(near(image.pixel(kOverLeft), kBlue));
    EXPECT_TRUE(near(image.pixel(kOverRight), kGreen));
}

// The two programs beneath repaint the area by turns: the grab waits for a
// quiet moment after the newest drawing there, however long ago the first
// one was.
TEST(NoCompositor, AGrabWaitsForQuietAfterTheNewestDrawingOfTheUncoveredArea) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow left(QRect(400, 300, 200, 200), kBlue);
    OtherWindow right(QRect(600, 300, 100, 200), kGreen);
    ASSERT_TRUE(left.ready() && right.ready());
    OwnWindow excluded(kLeftOut);

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    Grab grab(grabber, leaving(grabber, excluded));
    ASSERT_TRUE(left.shows(kBlue) && right.shows(kGreen));
    ASSERT_TRUE(barrier.pass());
    clock->advance(10);
    left.paint(kYellow);
    ASSERT_TRUE(left.shows(kYellow) && barrier.pass());
    clock->advance(10);
    EXPECT_FALSE(grab.ended()) << "the grab ended 10 ms after a drawing of the area";
    right.paint(kCyan);
    ASSERT_TRUE(right.shows(kCyan) && barrier.pass());
    clock->advance(10);
    EXPECT_FALSE(grab.ended()) << "the grab ended 10 ms after a drawing of the area";
    clock->advance(10);
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); })) << "a quiet moment after the last drawing ends it";
    const QImage image = grab.image();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(magentaIn(image, kMagentaArea), 0);
    EXPECT_TRUE(near(image.pixel(kOverLeft), kYellow));
    EXPECT_TRUE(near(image.pixel(kOverRight), kCyan));
}

// The program beneath is busy for longer than the grab's usual wait (a
// loaded machine): while the screen still shows the left-out window, the
// grab waits on.
TEST(NoCompositor, AGrabWaitsOutAProgramBeneathThatIsLateToRepaint) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow late(QRect(400, 300, 300, 200), kGreen);
    ASSERT_TRUE(late.ready());
    OwnWindow excluded(kLeftOut);
    ASSERT_TRUE(late.showsAround(kMagentaArea));
    ASSERT_TRUE(late.hold());

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    Grab grab(grabber, leaving(grabber, excluded));
    ASSERT_TRUE(barrier.pass());
    // Past the usual wait, short of the longest.
    clock->advance(600);
    EXPECT_FALSE(grab.ended()) << "the grab took the screen while it still showed the window";

    late.release();
    ASSERT_TRUE(late.shows(kGreen));
    ASSERT_TRUE(barrier.pass());
    clock->advance(100);
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }));
    EXPECT_EQ(magentaIn(grab.image(), kMagentaArea), 0) << "the left-out window is not in the image";
}

// The left-out window repaints while it is away, painting pixels it did not
// paint before (a control under the pointer lighting up): it stays away
// until the grab has read the screen.
TEST(NoCompositor, AnExcludedWindowRepaintingDuringTheGrabStaysOutOfTheImage) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow beneath(QRect(400, 300, 300, 200), kGreen);
    ASSERT_TRUE(beneath.ready());
    OwnWindow excluded(kLeftOut);

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    Grab grab(grabber, leaving(grabber, excluded));
    excluded.inset->margin = 4;
    excluded.inset->repaint();
    ASSERT_TRUE(beneath.shows(kGreen, kMagentaArea));
    // Whatever the repaint does to the window, on the server and through the
    // window manager, is done, drawn and reported.
    ASSERT_TRUE(testing_support::syncWithServer());
    ASSERT_TRUE(testing_support::settle());
    ASSERT_TRUE(barrier.pass());
    clock->advance(100);
    // The longest wait, should the screen still show the window.
    for (int i = 0; i < 30 && !grab.ended(); ++i) clock->advance(50);
    ASSERT_TRUE(grab.ended());
    EXPECT_EQ(magentaIn(grab.image(), kLeftOut), 0) << "the left-out window is not in the image";
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(QPoint(416, 316)), kMagenta); })) << "it shows again, repainted";
}

// The reports of drawing are timed by the watch's clock, and the newest
// drawing of an area counts, not drawing elsewhere.
TEST(NoCompositor, ADamageWatchTimesTheNewestDrawingOfAnArea) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow one(QRect(400, 300, 200, 200), kBlue);
    OtherWindow other(QRect(900, 300, 200, 200), kGreen);
    ASSERT_TRUE(one.ready() && other.ready());
    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    clock->advance(1000);
    x11::DamageWatch watch(clock);
    ASSERT_TRUE(watch.isWatching());
    ASSERT_TRUE(barrier.pass());
    EXPECT_FALSE(watch.drawn().intersects(one.area)) << "nothing was drawn there since the watch began";
    EXPECT_EQ(watch.lastDrawnIn(one.area), -1);

    one.paint(kYellow);
    ASSERT_TRUE(one.shows(kYellow) && barrier.pass());
    EXPECT_EQ(watch.lastDrawnIn(one.area), 0);
    clock->advance(10);
    one.paint(kCyan);
    ASSERT_TRUE(one.shows(kCyan) && barrier.pass());
    EXPECT_EQ(watch.lastDrawnIn(one.area), 10);
    clock->advance(10);
    other.paint(kYellow);
    ASSERT_TRUE(other.shows(kYellow) && barrier.pass());
    EXPECT_EQ(watch.lastDrawnIn(other.area), 20);
    EXPECT_EQ(watch.lastDrawnIn(one.area), 10);
    EXPECT_EQ(watch.elapsed(), 20);
    EXPECT_TRUE(watch.drawn().contains(one.area) && watch.drawn().contains(other.area));
}

// A compositing manager starved of time (a loaded machine) repaints long
// after the grab's usual wait: the grab waits on while the screen still
// shows the window, rather than take it, window and all.
TEST(ScreenGrab, AnExcludedWindowStaysOutWhenTheCompositingManagerIsSlow) {
    const pid_t manager = compositingManagerPid();
    if (!manager) GTEST_SKIP() << "no compositing manager in this session";
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    OwnWindow excluded(QRect(400, 400, 300, 100));
    ASSERT_TRUE(near(rootPixel(excluded.centre), kMagenta));

    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const ContentFilter filter = leaving(grabber, excluded);
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    Grab grab(grabber, filter);
    clock->advance(600);
    const bool endedWhileStopped = grab.ended();
    ::kill(manager, SIGCONT);
    EXPECT_FALSE(endedWhileStopped) << "the grab took the screen while it still showed the window";
    // It ends on the manager's repaint: no time needs to pass.
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }, 10000));
    ASSERT_FALSE(grab.image().isNull());
    EXPECT_TRUE(near(grab.image().pixel(excluded.centre), kGreen, 24)) << "the excluded window is not in the image";
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(excluded.centre), kMagenta); })) << "it shows again";
}

// A compositing manager that reports drawing where the left-out window was
// before it has learnt that the window is hidden: it draws the place again
// as it was, window and all (stood in for by the test, the manager itself
// held), and only later without it. The grab looks at the screen after the
// report and waits on for the second drawing.
TEST(ScreenGrab, AnExcludedWindowStaysOutWhenTheCompositingManagerDrawsItAgainFirst) {
    const pid_t manager = compositingManagerPid();
    if (!manager) GTEST_SKIP() << "no compositing manager in this session";
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    const QRect area(400, 400, 300, 100);
    OwnWindow excluded(area);
    ASSERT_TRUE(near(rootPixel(excluded.centre), kMagenta));

    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const ContentFilter filter = leaving(grabber, excluded);
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    Grab grab(grabber, filter);
    // The stale frame, drawn onto the root over everything as the manager
    // draws its frames; its report reaches every watch of the screen.
    const QImage stale = x11::readRootImage(area);
    auto* c = x11::connection();
    const xcb_gcontext_t gc = xcb_generate_id(c);
    const std::uint32_t overChildren = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
    xcb_create_gc(c, gc, x11::root(), XCB_GC_SUBWINDOW_MODE, &overChildren);
    x11::DamageWatch reports;
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, x11::root(), gc, std::uint16_t(area.width()),
                  std::uint16_t(area.height()), std::int16_t(area.x()), std::int16_t(area.y()), 0, 24,
                  std::uint32_t(stale.sizeInBytes()), stale.constBits());
    xcb_free_gc(c, gc);
    x11::flush();
    const bool reported = waitUntil([&] { return reports.drawn().contains(area); });
    drainEvents();
    const bool endedOnTheStaleFrame = grab.ended();
    ::kill(manager, SIGCONT);
    ASSERT_TRUE(reported) << "the stale frame was not reported";
    EXPECT_FALSE(endedOnTheStaleFrame) << "the grab took the screen while it still showed the window";
    // It ends on the manager's own drawing: no time needs to pass.
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }, 10000));
    ASSERT_FALSE(grab.image().isNull());
    EXPECT_EQ(magentaIn(grab.image(), area.adjusted(10, 10, -10, -10)), 0) << "the excluded window is not in the image";
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(excluded.centre), kMagenta); })) << "it shows again";
}

// A fade step of the left-out window (a tooltip chip fading) while the
// compositing manager is slow: once it draws again, it draws the screen
// without the window.
TEST(ScreenGrab, AnExcludedWindowFadingWhileTheCompositingManagerIsSlowStaysOut) {
    const pid_t manager = compositingManagerPid();
    if (!manager) GTEST_SKIP() << "no compositing manager in this session";
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    OwnWindow fading(QRect(400, 400, 300, 100));
    ASSERT_TRUE(near(rootPixel(fading.centre), kMagenta));

    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const ContentFilter filter = leaving(grabber, fading);
    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    Grab grab(grabber, filter);
    fading.window.setAlphaValue(0.97);
    // The window manager has done whatever it does about the change.
    const bool settled = testing_support::settle();
    ::kill(manager, SIGCONT);
    ASSERT_TRUE(settled);
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }, 10000));
    ASSERT_FALSE(grab.image().isNull());
    EXPECT_EQ(magentaIn(grab.image(), QRect(410, 410, 280, 80)), 0) << "the fading window is not in the image";
    EXPECT_FALSE(near(grab.image().pixel(fading.centre), kMagenta, 60)) << "not even faintly";

    fading.window.setAlphaValue(1.0);
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(fading.centre), kMagenta); })) << "it shows again";
}

// A window of ours that closes just before the grab (the countdown) leaves
// the screen as it is said to close, and the program beneath draws its
// place again at once, before the grab begins: that drawing counts, and the
// grab ends without waiting any time.
TEST(ScreenGrab, TheDrawingWhereAWindowClosedJustBeforeTheGrabCounts) {
    OtherWindow beneath(QRect(400, 300, 300, 200), kGreen);
    ASSERT_TRUE(beneath.ready());
    OwnWindow closing(kLeftOut);
    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const auto listed = content(grabber);
    ASSERT_FALSE(listed.content.displays.empty());

    grabber.windowClosing(closing.window.xid());
    closing.window.orderOut();
    ASSERT_TRUE(beneath.shows(kGreen)) << "the program beneath draws the place again";
    ASSERT_TRUE(barrier.pass());
    clock->advance(20);
    Grab grab(grabber, {listed.content.displays.front(), {}});
    ASSERT_TRUE(waitUntil([&] { return grab.ended(); }));
    EXPECT_EQ(magentaIn(grab.image(), kLeftOut), 0) << "the closed window is not in the image";
    EXPECT_FALSE(closing.window.shape().isHiddenFromScreen()) << "shown again, it would show";
}

// Said to close, the window stays, and no image is asked for: it comes back
// on screen after a few seconds, frame and all.
TEST(ScreenGrab, AWindowSaidToCloseThatStaysComesBackWhenNoImageFollows) {
    OtherWindow beneath(QRect(400, 300, 300, 200), kGreen);
    ASSERT_TRUE(beneath.ready());
    OwnWindow staying(kLeftOut);
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    grabber.windowClosing(staying.window.xid());
    ASSERT_TRUE(beneath.shows(kGreen, kMagentaArea)) << "it leaves the screen at once";
    clock->advance(2900);
    EXPECT_TRUE(beneath.shows(kGreen, kMagentaArea));
    clock->advance(100);
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(staying.centre), kMagenta); })) << "it shows again";
    EXPECT_FALSE(staying.window.shape().isHiddenFromScreen());
}
