// A screenshot from request to file, over fake screens, a fake capture
// service and answered panels: what is captured, cropped and saved, and what
// happens when something fails.
#include "capture/ScreenCaptureCoordinator.h"

#include "capture/CountdownOverlayController.h"
#include "capture/WindowAttachManager.h"
#include "support/FakeDialogs.h"
#include "support/FakeEventMonitor.h"
#include "support/FakeScreenGrabber.h"
#include "support/FakeWindowList.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/ToolbarWindowController.h"

#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using platform::Screen;

namespace {

const Screen kPrimary = FakeScreenProvider::makeScreen(1, Rect(0, 0, 1440, 900));
// Right of the primary, its top 300 points higher.
const Screen kSecond = FakeScreenProvider::makeScreen(2, Rect(1440, 0, 1920, 1200));

platform::Screen scaled(Screen s, double scale) {
    s.scale = scale;
    return s;
}

// The displays as the capture service lists them: window-list frames.
std::vector<platform::CapturableDisplay> displaysOf(const std::vector<Screen>& screens) {
    std::vector<platform::CapturableDisplay> out;
    const double h = screens.front().frame.height();
    for (const auto& s : screens)
        out.push_back({s.displayID, Rect(s.frame.minX(), h - s.frame.maxY(), s.frame.width(), s.frame.height())});
    return out;
}

struct Capture {
    explicit Capture(std::vector<Screen> screens = {kPrimary}) : t(screens) {
        toolbar = std::make_unique<ToolbarWindowController>(t.state);
        attach = std::make_shared<WindowAttachManager>(WindowAttachServices{windows, t.screens, {}, {}});
        grabber = std::make_shared<FakeScreenGrabber>();
        grabber->content.displays = displaysOf(screens);
        grabber->content.windowIDs = {toolbar->window()->xid(), 4711};
        coordinator = std::make_unique<ScreenCaptureCoordinator>(
            t.state, attach, [this] { return withToolbar ? toolbar.get() : nullptr; }, t.screens, grabber, 3600);
    }
    ~Capture() {
        coordinator.reset();
        toolbar.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    CountdownOverlayController* countdown() const { return coordinator->countdownController(); }
    // The countdown's three ticks, then the capture's steps.
    void countDown() {
        ASSERT_TRUE(countdown());
        for (int i = 0; i < 3; ++i) countdown()->tick();
    }
    bool panelShown(std::size_t n = 1) {
        return waitUntil([&] { return panels.shown.size() >= n; }, 2000);
    }
    // Waits past the capture's delay for anything that would happen.
    void settle() {
        waitUntil([] { return false; }, 200);
        drainEvents();
    }
    // Pinned to a window of the window list, at a frame in screen space.
    void pinTo(std::uint32_t windowID, Rect frame) {
        t->isAttachedToWindow = true;
        windows->list = {FakeWindowList::window(windowID, Rect())};
        moveWindow(frame);
        attach->attach(windowID, AttachEdge::top, frame, nullptr);
    }
    void moveWindow(Rect frame) {
        const double h = t.screens->screens().front().frame.height();
        windows->list.front().bounds = Rect(frame.minX(), h - frame.maxY(), frame.width(), frame.height());
    }
    QImage saved(const QString& name) const { return QImageReader(dir.filePath(name)).read(); }

    TestDrawingState t;
    std::unique_ptr<ToolbarWindowController> toolbar;
    bool withToolbar = true;
    std::shared_ptr<FakeWindowList> windows = std::make_shared<FakeWindowList>();
    std::shared_ptr<WindowAttachManager> attach;
    std::shared_ptr<FakeScreenGrabber> grabber;
    std::unique_ptr<ScreenCaptureCoordinator> coordinator;
    FakeSavePanels panels;
    FakeAlerts alerts;
    QTemporaryDir dir;
};

} // namespace

TEST(ScreenCapture, RequestsDuringACountdownAreIgnoredOneCaptureFollows) {
    Capture c;
    c.coordinator->startCapture();
    CountdownOverlayController* first = c.countdown();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->window()->isVisible());
    c.coordinator->startCapture();
    c.coordinator->startCapture();
    EXPECT_EQ(c.countdown(), first);

    c.panels.answer(c.dir.filePath("shot.jpg"));
    c.countDown();
    EXPECT_FALSE(c.countdown()) << "a new request may start once the countdown ended";
    // Nothing is captured before the pause after the countdown.
    EXPECT_EQ(c.grabber->contentRequests, 0);
    ASSERT_TRUE(c.panelShown());
    c.settle();
    EXPECT_EQ(c.grabber->contentRequests, 1);
    EXPECT_EQ(c.grabber->filters.size(), 1u);
    EXPECT_EQ(c.panels.shown.size(), 1u);
    EXPECT_EQ(c.saved("shot.jpg").size(), QSize(1440, 900));
}

// The grab waits for the screen to be drawn again where the countdown
// showed: the grabber is told of it while it still shows, as it completes.
TEST(ScreenCapture, TheGrabberIsToldOfTheCountdownClosingWhileItStillShows) {
    Capture c;
    c.panels.cancel();
    c.coordinator->startCapture();
    CountdownOverlayController* countdown = c.countdown();
    ASSERT_TRUE(countdown);
    const std::uint32_t id = countdown->window()->xid();
    bool shown = false;
    c.grabber->whileClosing = [&](std::uint32_t) { shown = countdown->window()->isVisible(); };
    countdown->tick();
    countdown->tick();
    EXPECT_TRUE(c.grabber->closing.empty());
    countdown->tick();
    EXPECT_EQ(c.grabber->closing, std::vector<std::uint32_t>{id});
    EXPECT_TRUE(shown);
    ASSERT_TRUE(c.panelShown());
    EXPECT_EQ(c.grabber->closing.size(), 1u);
}

TEST(ScreenCapture, EscCancelsWithoutCaptureAndANewRequestStartsAFreshCountdown) {
    Capture c;
    c.coordinator->startCapture();
    EXPECT_FALSE(injectLocal(keyEvent(platform::KeyCode::escape)).has_value());
    drainEvents();
    EXPECT_FALSE(c.countdown());
    c.settle();
    EXPECT_EQ(c.grabber->contentRequests, 0);
    EXPECT_TRUE(c.grabber->closing.empty());
    EXPECT_TRUE(c.panels.shown.empty());

    c.coordinator->startCapture();
    ASSERT_TRUE(c.countdown());
    EXPECT_TRUE(c.countdown()->window()->isVisible());
    EXPECT_EQ(c.countdown()->ticks(), 0);
}

TEST(ScreenCapture, NotPinnedTheToolbarsDisplayIsCapturedWholeWithoutTheToolbar) {
    Capture c({kPrimary, scaled(kSecond, 2)});
    c.toolbar->window()->setFrame(Rect(2000, 600, 640, 56));
    c.toolbar->window()->orderFront();
    const Rect placed = c.toolbar->window()->frame();
    c.coordinator->startCapture();
    ASSERT_TRUE(c.countdown());
    EXPECT_EQ(c.countdown()->window()->frame(), Rect(kSecond.frame.midX() - 130, kSecond.frame.midY() - 130, 260, 260));
    c.panels.answer(c.dir.filePath("second.jpg"));
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    ASSERT_EQ(c.grabber->filters.size(), 1u);
    const auto& filter = c.grabber->filters.front();
    EXPECT_EQ(filter.display.displayID, 2u);
    EXPECT_EQ(filter.excludedWindowIDs, std::vector<std::uint32_t>{c.toolbar->window()->xid()});
    EXPECT_EQ(c.grabber->configurations.front().width, 3840);
    EXPECT_EQ(c.grabber->configurations.front().height, 2400);
    EXPECT_EQ(c.saved("second.jpg").size(), QSize(3840, 2400));
    // The toolbar was not touched.
    EXPECT_TRUE(c.toolbar->window()->isVisible());
    EXPECT_EQ(c.toolbar->window()->frame(), placed);
}

TEST(ScreenCapture, WithoutAToolbarOnScreenNothingIsLeftOut) {
    Capture c;
    c.grabber->content.windowIDs = {4711};
    c.panels.cancel();
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    EXPECT_TRUE(c.grabber->filters.front().excludedWindowIDs.empty());
}

TEST(ScreenCapture, RetinaDisplaysAreCapturedAtTheirPixelSize) {
    Capture c({scaled(FakeScreenProvider::makeScreen(1, Rect(0, 0, 1512, 982)), 2)});
    c.panels.cancel();
    c.coordinator->startCapture();
    c.countDown();
    // Made ready as the countdown ends, while the pause lets it leave the
    // screen.
    EXPECT_EQ(c.grabber->prepared, std::vector<QSize>{QSize(3024, 1964)});
    EXPECT_EQ(c.grabber->contentRequests, 0);
    ASSERT_TRUE(c.panelShown());
    EXPECT_EQ(c.grabber->configurations.front().width, 3024);
    EXPECT_EQ(c.grabber->configurations.front().height, 1964);

    // A display whose scale changes during the countdown is captured as it
    // is by then.
    Capture d;
    d.panels.cancel();
    d.coordinator->startCapture();
    d.t.screens->setScreens({scaled(kPrimary, 2)});
    d.countDown();
    ASSERT_TRUE(d.panelShown());
    EXPECT_EQ(d.grabber->configurations.front().width, 2880);
    EXPECT_EQ(d.grabber->configurations.front().height, 1800);
}

TEST(ScreenCapture, PinnedTheImageIsCroppedToTheWindowAsItWasAtTheRequest) {
    Capture c({kPrimary, kSecond});
    QImage picture(1440, 900, QImage::Format_RGB32);
    picture.fill(Qt::black);
    // The window's area, (100, 300) sized 300 × 400 in image pixels.
    for (int y = 300; y < 700; ++y)
        for (int x = 100; x < 400; ++x) picture.setPixel(x, y, qRgb(40, 160, 60));
    c.grabber->picture = picture;
    c.pinTo(77, Rect(100, 200, 300, 400));
    c.coordinator->startCapture();
    // It moves during the countdown.
    c.moveWindow(Rect(900, 100, 300, 400));
    c.panels.answer(c.dir.filePath("pinned.jpg"));
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    EXPECT_EQ(c.grabber->filters.front().display.displayID, 1u);
    const QImage saved = c.saved("pinned.jpg");
    ASSERT_EQ(saved.size(), QSize(300, 400));
    for (QPoint p : {QPoint(2, 2), QPoint(297, 397), QPoint(150, 200)}) {
        EXPECT_NEAR(qGreen(saved.pixel(p)), 160, 8) << p.x() << "," << p.y();
        EXPECT_LT(qRed(saved.pixel(p)), 60);
    }
}

TEST(ScreenCapture, PinnedAcrossTwoDisplaysTheFirstItMeetsIsCapturedAndTheCropClipped) {
    // Listed second, but first in the list to meet the window.
    Capture c({kPrimary, kSecond});
    c.pinTo(77, Rect(1240, 100, 400, 300));
    c.panels.answer(c.dir.filePath("span.jpg"));
    c.coordinator->startCapture();
    ASSERT_TRUE(c.countdown());
    EXPECT_EQ(c.countdown()->window()->frame().midX(), kPrimary.frame.midX());
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    EXPECT_EQ(c.grabber->filters.front().display.displayID, 1u);
    EXPECT_EQ(c.saved("span.jpg").size(), QSize(200, 300));

    // A window on the second display only.
    Capture d({kPrimary, kSecond});
    d.pinTo(78, Rect(1500, 0, 500, 250));
    d.panels.answer(d.dir.filePath("second.jpg"));
    d.coordinator->startCapture();
    d.countDown();
    ASSERT_TRUE(d.panelShown());
    EXPECT_EQ(d.grabber->filters.front().display.displayID, 2u);
    EXPECT_EQ(d.saved("second.jpg").size(), QSize(500, 250));
}

TEST(ScreenCapture, PinnedToAWindowNoLongerListedTheToolbarsDisplayIsSavedWhole) {
    Capture c({kPrimary, kSecond});
    c.pinTo(77, Rect(100, 200, 300, 400));
    c.windows->list.clear();
    c.toolbar->window()->setFrame(Rect(2000, 600, 640, 56));
    c.toolbar->window()->orderFront();
    c.panels.answer(c.dir.filePath("gone.jpg"));
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    EXPECT_EQ(c.grabber->filters.front().display.displayID, 2u);
    // Still attached: the crop is the whole display.
    EXPECT_EQ(c.saved("gone.jpg").size(), QSize(1920, 1200));
}

TEST(ScreenCapture, NothingIsCapturedWithoutAToolbarOrADisplayToMatch) {
    Capture noToolbar;
    noToolbar.withToolbar = false;
    noToolbar.coordinator->startCapture();
    ASSERT_TRUE(noToolbar.countdown()) << "the main screen stands in for the toolbar's";
    noToolbar.countDown();
    noToolbar.settle();
    EXPECT_EQ(noToolbar.grabber->contentRequests, 0);
    EXPECT_TRUE(noToolbar.panels.shown.empty());
    EXPECT_TRUE(noToolbar.alerts.shown.empty());

    Capture unlisted;
    unlisted.grabber->content.displays.clear();
    unlisted.coordinator->startCapture();
    unlisted.countDown();
    unlisted.settle();
    EXPECT_EQ(unlisted.grabber->contentRequests, 1);
    EXPECT_TRUE(unlisted.grabber->filters.empty());
    EXPECT_TRUE(unlisted.panels.shown.empty());
    EXPECT_TRUE(unlisted.alerts.shown.empty());
    // The next request works.
    unlisted.coordinator->startCapture();
    EXPECT_TRUE(unlisted.countdown());
}

TEST(ScreenCapture, ARefusedPermissionShowsTheAlertOnceWithTheHighWindowsLowered) {
    Capture c;
    c.toolbar->window()->orderFront();
    c.grabber->contentError = platform::CaptureError{platform::CaptureError::Kind::permissionDenied, "no"};
    int toolbarLevelDuringAlert = -1;
    c.alerts.whileShown = [&](const platform::Alert&) {
        toolbarLevelDuringAlert = c.toolbar->window()->stacking().level();
    };
    c.alerts.answer(platform::Alert::kSecondButtonReturn);
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(waitUntil([&] { return !c.alerts.shown.empty(); }, 2000));
    c.settle();
    ASSERT_EQ(c.alerts.shown.size(), 1u);
    const platform::Alert& a = c.alerts.shown.front();
    EXPECT_EQ(a.alertStyle, platform::Alert::Style::warning);
    EXPECT_EQ(a.messageText, "Screen Recording Permission Required");
    EXPECT_EQ(a.informativeText,
              QString::fromUtf8("Overink needs Screen Recording permission to capture screenshots.\n\n"
                                "Turn it on for Overink under System Settings ▸ Privacy & Security ▸ Screen "
                                "Recording, then restart the app."));
    EXPECT_EQ(a.buttons(), (std::vector<QString>{"Open System Settings", "Dismiss"}));
    EXPECT_EQ(toolbarLevelDuringAlert, platform::WindowLevel::normal);
    EXPECT_EQ(c.toolbar->window()->stacking().level(), platform::WindowLevel::panel);
    EXPECT_TRUE(c.panels.shown.empty());

    // Refused at the image instead: again one alert for this attempt.
    c.grabber->contentError.reset();
    c.grabber->imageError = platform::CaptureError{platform::CaptureError::Kind::permissionDenied, "no"};
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(waitUntil([&] { return c.alerts.shown.size() == 2; }, 2000));
    c.settle();
    EXPECT_EQ(c.alerts.shown.size(), 2u);
    EXPECT_TRUE(c.panels.shown.empty());
}

TEST(ScreenCapture, OtherCaptureFailuresShowNothing) {
    Capture c;
    c.grabber->imageError = platform::CaptureError{platform::CaptureError::Kind::failed, "%s%s%n went wrong"};
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(waitUntil([&] { return c.grabber->filters.size() == 1; }, 2000));
    c.settle();
    EXPECT_TRUE(c.alerts.shown.empty());
    EXPECT_TRUE(c.panels.shown.empty());
    EXPECT_FALSE(c.countdown());
}

TEST(ScreenCapture, TheSavePanelProposesADatedJpegWithTheOverlaysLowered) {
    Capture c;
    bool loweredDuringPanel = false;
    c.panels.whileShown = [&](const platform::SavePanel&) { loweredDuringPanel = c.t->isImportingBrushes; };
    c.panels.cancel();
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(c.panelShown());
    const platform::SavePanel& p = c.panels.shown.front();
    EXPECT_EQ(p.title, "Save Screenshot");
    EXPECT_EQ(p.prompt, "Save");
    EXPECT_TRUE(p.canCreateDirectories);
    EXPECT_EQ(p.allowedExtensions.front(), "jpg");
    EXPECT_TRUE(QRegularExpression("^overink_\\d{14}\\.jpg$").match(p.nameFieldStringValue).hasMatch())
        << p.nameFieldStringValue.toStdString();
    EXPECT_TRUE(loweredDuringPanel);
    // Cancelled: nothing written, and everything back at its level.
    EXPECT_FALSE(c.t->isImportingBrushes);
    EXPECT_TRUE(QDir(c.dir.path()).isEmpty());
}

TEST(ScreenCapture, AFailedWriteIsReportedWithThePathAndTheReason) {
    Capture c;
    const QString path = c.dir.filePath("missing/folder/shot.jpg");
    c.panels.answer(path);
    bool loweredDuringAlert = false;
    c.alerts.whileShown = [&](const platform::Alert&) { loweredDuringAlert = c.t->isImportingBrushes; };
    c.coordinator->startCapture();
    c.countDown();
    ASSERT_TRUE(waitUntil([&] { return !c.alerts.shown.empty(); }, 2000));
    const platform::Alert& a = c.alerts.shown.front();
    EXPECT_EQ(a.messageText, "The screenshot could not be saved.");
    EXPECT_TRUE(a.informativeText.contains(path)) << a.informativeText.toStdString();
    // The reason the system gave follows the path.
    EXPECT_GT(a.informativeText.size(), path.size() + 30);
    EXPECT_TRUE(loweredDuringAlert) << "the alert comes before the overlays return";
    EXPECT_FALSE(c.t->isImportingBrushes);
    EXPECT_FALSE(QFile::exists(path));
}
