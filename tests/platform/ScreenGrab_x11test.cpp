// Display capture from a real X server, with and without a compositing
// manager: the root's pixels, the displays and windows it lists, a window
// of ours left out of the image while it stays on screen, and a server that
// goes while the image is read.
#include "ScreenGrabTestSupport.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11RootImage.h"
#include "platform/X11ScreenGrabber.h"
#include "platform/X11ScreenProvider.h"
#include "support/DisplayProxy.h"
#include "support/ManualPlatformClock.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <xcb/shm.h>

using namespace platform;
using namespace grab_test;
using testing_support::drainEvents;
using testing_support::ExternalWindow;
using testing_support::holdsFor;
using testing_support::ManualPlatformClock;
using testing_support::waitUntil;

TEST(ScreenGrab, RootReadsAgreeWithAndWithoutSharedMemory) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    ASSERT_TRUE(waitUntil([] { return near(rootPixel(QPoint(700, 600)), kGreen); }, 3000));
    QString error;
    const QImage shm = x11::readRootImage(QRect(0, 0, 1920, 1080), &error, x11::RootReadMethod::sharedMemory);
    ASSERT_FALSE(shm.isNull()) << error.toStdString();
    const QImage request = x11::readRootImage(QRect(0, 0, 1920, 1080), &error, x11::RootReadMethod::request);
    ASSERT_FALSE(request.isNull()) << error.toStdString();
    EXPECT_EQ(shm.size(), QSize(1920, 1080));
    EXPECT_TRUE(near(shm.pixel(700, 600), kGreen));
    EXPECT_TRUE(shm == request);
    // Clipped to the root; nothing at all outside it.
    EXPECT_EQ(x11::readRootImage(QRect(1900, 1000, 100, 100)).size(), QSize(20, 80));
    EXPECT_TRUE(x11::readRootImage(QRect(3000, 0, 10, 10), &error).isNull());
    EXPECT_FALSE(error.isEmpty());
}

TEST(ScreenGrab, ListsTheDisplaysAsTheScreenListNamesThemAndTheWindowsOnScreen) {
    OwnWindow own(QRect(400, 400, 300, 100));
    X11ScreenGrabber grabber(false);
    const auto result = content(grabber);
    ASSERT_FALSE(result.error);
    X11ScreenProvider screens;
    ASSERT_EQ(result.content.displays.size(), screens.screens().size());
    EXPECT_EQ(result.content.displays.front().displayID, screens.screens().front().displayID);
    EXPECT_EQ(result.content.displays.front().frame, Rect(0, 0, 1920, 1080));
    const auto& ids = result.content.windowIDs;
    EXPECT_NE(std::find(ids.begin(), ids.end(), own.window.xid()), ids.end());
    own.window.orderOut();
    drainEvents();
    const auto hidden = content(grabber).content.windowIDs;
    EXPECT_EQ(std::find(hidden.begin(), hidden.end(), own.window.xid()), hidden.end());
}

TEST(ScreenGrab, AnExcludedWindowIsLeftOutOnlyForTheGrab) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    OwnWindow excluded(QRect(400, 400, 300, 100));
    OwnWindow kept(QRect(800, 400, 300, 100));
    ASSERT_TRUE(near(rootPixel(excluded.centre), kMagenta));
    ASSERT_TRUE(near(rootPixel(kept.centre), kMagenta));
    const QPoint corner(403, 403); // outside the painted inset
    const QRgb cornerBefore = rootPixel(corner);

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const auto listed = content(grabber);
    ASSERT_FALSE(listed.content.displays.empty());
    Grab grab(grabber, {listed.content.displays.front(), {excluded.window.xid()}});
    // The screen drawn again where the window showed and a quiet moment on
    // the grab's clock end the grab, long before its longest wait.
    ASSERT_TRUE(waitUntil([&] { return grab.ended() || near(rootPixel(excluded.centre), kGreen); }));
    ASSERT_TRUE(barrier.pass());
    clock->advance(20);
    ASSERT_TRUE(grab.ended());
    ASSERT_FALSE(grab.result->error) << grab.result->error->description.toStdString();
    const QImage image = grab.image();
    ASSERT_EQ(image.size(), QSize(1920, 1080));
    EXPECT_TRUE(near(image.pixel(excluded.centre), kGreen)) << "the excluded window is not in the image";
    EXPECT_TRUE(near(image.pixel(kept.centre), kMagenta)) << "other windows of ours are";
    EXPECT_TRUE(near(image.pixel(1000, 800), kGreen));

    // Back on screen, exactly as it was.
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(excluded.centre), kMagenta); }));
    EXPECT_TRUE(excluded.window.isVisible());
    // (The program beneath may have to repaint there first.)
    EXPECT_TRUE(waitUntil([&] { return rootPixel(corner) == cornerBefore; })) << "its shape is restored, not removed";
    EXPECT_TRUE(holdsFor([&] { return near(rootPixel(excluded.centre), kMagenta); }, 200)) << "and it stays";
}

// A window that fades (a tooltip chip coming or going) changes its alpha
// while the grab has it hidden: it stays out of the image, and shows again
// afterwards at the alpha set last.
TEST(ScreenGrab, AnExcludedWindowFadingDuringTheGrabStaysOutOfTheImage) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    OwnWindow fading(QRect(400, 400, 300, 100));
    ASSERT_TRUE(near(rootPixel(fading.centre), kMagenta));

    DrawingBarrier barrier;
    auto clock = std::make_shared<ManualPlatformClock>();
    X11ScreenGrabber grabber(false, clock);
    const auto listed = content(grabber);
    ASSERT_FALSE(listed.content.displays.empty());
    QTimer fade;
    int step = 0;
    QObject::connect(&fade, &QTimer::timeout, [&] { fading.window.setAlphaValue(++step % 2 ? 0.97 : 1.0); });
    fade.start(1);
    Grab grab(grabber, {listed.content.displays.front(), {fading.window.xid()}});
    ASSERT_TRUE(waitUntil([&] { return grab.ended() || (step > 2 && near(rootPixel(fading.centre), kGreen)); }));
    ASSERT_TRUE(barrier.pass());
    clock->advance(20);
    ASSERT_TRUE(grab.ended());
    fade.stop();
    ASSERT_FALSE(grab.result->error) << grab.result->error->description.toStdString();
    EXPECT_GT(step, 0) << "the fade went on during the grab";
    EXPECT_TRUE(near(grab.image().pixel(fading.centre), kGreen, 24)) << "the fading window is not in the image";

    fading.window.setAlphaValue(1.0);
    EXPECT_TRUE(waitUntil([&] { return near(rootPixel(fading.centre), kMagenta); })) << "it shows again";
}

TEST(ScreenGrab, TheImageIsScaledToTheConfiguredSize) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(0, 0, 1920, 1080));
    ASSERT_TRUE(other.ready());
    ASSERT_TRUE(waitUntil([] { return near(rootPixel(QPoint(960, 540)), kGreen); }, 3000));
    X11ScreenGrabber grabber(false);
    const auto listed = content(grabber);
    ASSERT_FALSE(listed.content.displays.empty());
    const auto result = capture(grabber, {listed.content.displays.front(), {}}, {960, 540});
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.image.size(), QSize(960, 540));
    EXPECT_TRUE(near(result.image.pixel(480, 270), kGreen));
}

TEST(ScreenGrab, AWaylandSessionRefusesEveryRequest) {
    X11ScreenGrabber grabber(true);
    const auto listed = content(grabber);
    ASSERT_TRUE(listed.error);
    EXPECT_EQ(listed.error->kind, CaptureError::Kind::permissionDenied);
    const auto image = capture(grabber, {{1, Rect(0, 0, 1920, 1080)}, {}}, {1920, 1080});
    ASSERT_TRUE(image.error);
    EXPECT_EQ(image.error->kind, CaptureError::Kind::permissionDenied);
    EXPECT_TRUE(image.image.isNull());
}

TEST(ScreenGrab, ADisplayNoLongerConnectedIsAFailure) {
    X11ScreenGrabber grabber(false);
    const auto image = capture(grabber, {{0xFFFFFFF0u, Rect(0, 0, 1920, 1080)}, {}}, {1920, 1080});
    ASSERT_TRUE(image.error);
    EXPECT_EQ(image.error->kind, CaptureError::Kind::failed);
}

// The X server goes while the grab's read of the screen waits for its
// answer (the display ends as the request comes, before the server sees
// it): the program ends with status 1 and one line of its own, saying the
// server is gone. The grab reported a refusal first ("the X server refused
// to read the screen (error 0)"), a second line.
TEST(ScreenGrabLoss, AServerGoneWhileTheScreenIsReadLeavesOneLineOfOurs) {
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(x11::connection(), &xcb_shm_id);
    const int kGetImage = 73, kShmGetImage = 4;
    testing_support::DisplayProxy display(
        {.requests = {{kGetImage, -1}, {shm ? shm->major_opcode : -2, kShmGetImage}}});
    ASSERT_FALSE(display.name().isEmpty()) << "no display number to be had";
    QTemporaryDir dir;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromLatin1(display.name()));
    env.insert("XDG_RUNTIME_DIR", dir.path());
    QProcess probe;
    probe.setProcessEnvironment(env);
    probe.start(OVERINK_GRAB_LOSS_PROBE, {});
    ASSERT_TRUE(probe.waitForFinished(60000)) << "the probe did not end";
    const QByteArray out = probe.readAllStandardOutput();
    const QString err = QString::fromLocal8Bit(probe.readAllStandardError());
    ASSERT_TRUE(display.gone()) << "the probe read the screen without asking for its image: " << out.toStdString();
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(probe.exitCode(), 1) << err.toStdString();
    const QStringList ours = err.split('\n', Qt::SkipEmptyParts).filter(QRegularExpression("^overink: "));
    ASSERT_EQ(ours.size(), 1) << err.toStdString();
    EXPECT_TRUE(ours.front().contains("The X server is gone")) << err.toStdString();
}
