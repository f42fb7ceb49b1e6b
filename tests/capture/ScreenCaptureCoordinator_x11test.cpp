// The screenshot after the countdown on a real X server, while what lies
// beneath the countdown is slow to draw the screen again: a program that is
// busy elsewhere without a compositing manager, the compositing manager
// itself with one. The countdown is never in the image.
#include "capture/CountdownOverlayController.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "platform/ScreenGrabTestSupport.h"
#include "platform/X11ScreenGrabber.h"
#include "platform/X11ScreenProvider.h"
#include "support/FakeDialogs.h"
#include "support/ManualPlatformClock.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/ToolbarWindowController.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace grab_test;
using namespace testing_support;

namespace {

// The display's grabber on the test's clock, noting the images asked of it
// and the one it answered.
class WatchedGrabber : public platform::X11ScreenGrabber {
public:
    explicit WatchedGrabber(std::shared_ptr<platform::Clock> clock) : X11ScreenGrabber(false, std::move(clock)) {}
    void captureImage(const platform::ContentFilter& filter, const platform::CaptureConfiguration& configuration,
                      std::function<void(ImageResult)> done) override {
        ++asked;
        X11ScreenGrabber::captureImage(filter, configuration, [this, done = std::move(done)](ImageResult r) {
            image = r.image;
            done(std::move(r));
        });
    }
    int asked = 0;
    std::optional<QImage> image;
};

// The countdown, centred on the 1920 × 1080 display, and a place on its
// dark disc left of the digit.
const QRect kCountdown(830, 410, 260, 260);
const QPoint kOnTheDisc(900, 540);

// The coordinator with the toolbar, the display as the X server lists it and
// the grabber on the test's clock; the save panel is cancelled.
struct CountdownCapture {
    CountdownCapture() {
        toolbar = std::make_unique<ToolbarWindowController>(t.state);
        coordinator = std::make_unique<ScreenCaptureCoordinator>(
            t.state, std::weak_ptr<WindowAttachManager>{}, [this] { return toolbar.get(); },
            std::make_shared<platform::X11ScreenProvider>(), grabber, 3600);
        panels.cancel();
    }
    ~CountdownCapture() {
        coordinator.reset();
        toolbar.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // The toolbar on screen with its top-left corner at `at` (root pixels),
    // over the bare root, whose colour there is noted first.
    bool showToolbar(QPoint at) {
        root = QColor::fromRgb(rootPixel(at + QPoint(20, 20)));
        platform::Window* w = toolbar->window();
        bar = QRect(at, QSize(int(w->frame().width()), int(w->frame().height())));
        w->setFrame(platform::toScreen(QRectF(bar)));
        w->orderFront();
        return waitUntilPlaced(w->xid(), [&] { return platform::toGlobal(w->frame()).toRect(); }) &&
               waitUntil([&] { return !near(rootPixel(bar.center()), root); });
    }
    bool countdownShows() {
        coordinator->startCapture();
        return coordinator->countdownController() && waitUntil([] { return qGreen(rootPixel(kOnTheDisc)) < 130; });
    }
    // The countdown's three ticks; the grab follows its pause.
    bool countDownToTheGrab() {
        for (int i = 0; i < CountdownOverlayController::kTicksToComplete; ++i)
            coordinator->countdownController()->tick();
        return waitUntil([&] { return grabber->asked == 1; });
    }
    bool ended() {
        drainEvents();
        return grabber->image.has_value();
    }
    // Pixels of the countdown's place in the image that are not `beneath`.
    int countdownPixels(const QColor& beneath) const {
        const QImage& image = *grabber->image;
        if (image.size() != QSize(1920, 1080)) return -1;
        return kCountdown.width() * kCountdown.height() - countNear(image, kCountdown, beneath, 24);
    }

    TestDrawingState t;
    std::shared_ptr<ManualPlatformClock> clock = std::make_shared<ManualPlatformClock>();
    std::shared_ptr<WatchedGrabber> grabber = std::make_shared<WatchedGrabber>(clock);
    std::unique_ptr<ToolbarWindowController> toolbar;
    std::unique_ptr<ScreenCaptureCoordinator> coordinator;
    FakeSavePanels panels;
    QRect bar;
    QColor root;
};

} // namespace

// Without a compositing manager the program beneath the countdown draws the
// place it uncovers itself, and here it is busy until the test lets it go.
// The toolbar, over the bare root, is left out and its place drawn again at
// once; the grab still waits for the countdown's place.
TEST(CaptureOnX11, TheCountdownIsNotInTheImageWhileTheProgramBeneathIsLateToRepaint) {
    if (platform::x11::compositingManagerRunning()) GTEST_SKIP() << "runs without a compositing manager";
    OtherWindow beneath(QRect(700, 300, 520, 480), kGreen);
    ASSERT_TRUE(beneath.ready());
    CountdownCapture c;
    ASSERT_TRUE(c.showToolbar(QPoint(100, 900)));
    ASSERT_FALSE(c.bar.intersects(beneath.area));
    ASSERT_TRUE(c.countdownShows());
    ASSERT_TRUE(beneath.hold());

    DrawingBarrier barrier;
    ASSERT_TRUE(c.countDownToTheGrab());
    ASSERT_TRUE(waitUntil([&] { return c.ended() || near(rootPixel(c.bar.center()), c.root); }))
        << "the toolbar's place is drawn again";
    ASSERT_TRUE(barrier.pass());
    // Well past a quiet moment, short of the longest wait.
    c.clock->advance(100);
    EXPECT_FALSE(c.ended()) << "the grab read the screen before the countdown's place was drawn again";

    beneath.release();
    ASSERT_TRUE(beneath.shows(kGreen));
    ASSERT_TRUE(barrier.pass());
    c.clock->advance(100);
    ASSERT_TRUE(waitUntil([&] { return c.ended(); }));
    EXPECT_EQ(c.countdownPixels(kGreen), 0) << "the countdown is not in the image";
    const QImage& image = *c.grabber->image;
    EXPECT_TRUE(near(image.pixel(c.bar.center()), c.root)) << "nor the toolbar";
    EXPECT_TRUE(waitUntil([&] { return !near(rootPixel(c.bar.center()), c.root); })) << "the toolbar shows again";
    EXPECT_EQ(c.panels.shown.size(), 1u);
}

// With a compositing manager it draws the place the countdown leaves, and
// here it is starved until the test lets it go. The toolbar was hidden
// during the countdown: nothing else is left out of the image to hold the
// grab back.
TEST(CaptureOnX11, TheCountdownIsNotInTheImageWhileTheCompositingManagerIsSlow) {
    const pid_t manager = compositingManagerPid();
    if (!manager) GTEST_SKIP() << "no compositing manager in this session";
    OtherWindow beneath(QRect(700, 300, 520, 480), kGreen);
    ASSERT_TRUE(beneath.ready());
    CountdownCapture c;
    ASSERT_TRUE(c.countdownShows());

    ASSERT_EQ(::kill(manager, SIGSTOP), 0);
    const bool asked = c.countDownToTheGrab();
    // Past the usual wait, short of the longest.
    c.clock->advance(600);
    const bool endedWhileStopped = c.ended();
    ::kill(manager, SIGCONT);
    ASSERT_TRUE(asked);
    EXPECT_FALSE(endedWhileStopped) << "the grab read the screen while it still showed the countdown";
    // It ends on the manager's drawing: no time needs to pass.
    ASSERT_TRUE(waitUntil([&] { return c.ended(); }, 10000));
    EXPECT_EQ(c.countdownPixels(kGreen), 0) << "the countdown is not in the image";
    EXPECT_EQ(c.panels.shown.size(), 1u);
}
