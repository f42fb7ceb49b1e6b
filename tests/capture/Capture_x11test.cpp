// A screenshot by the real program on a real X server, with and without a
// compositing manager: a red stroke drawn over another program's window is
// captured with that window, and neither the toolbar, nor the countdown, nor
// the camera's tooltip chip is in the saved JPEG, while the toolbar stays on
// screen.
#include "capture/CountdownOverlayController.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "platform/NotificationCenter.h"
#include "platform/X11RootImage.h"
#include "support/FakeDialogs.h"
#include "support/RealProgram.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/NotificationNames.h"
#include "ui/SymbolButton.h"
#include "ui/TooltipManager.h"
#include "ui/TooltipPanel.h"

#include <QAbstractButton>
#include <QFile>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const QColor kGreen(40, 160, 60);

bool near(QRgb p, const QColor& c, int tolerance) {
    return std::abs(qRed(p) - c.red()) <= tolerance && std::abs(qGreen(p) - c.green()) <= tolerance &&
           std::abs(qBlue(p) - c.blue()) <= tolerance;
}
// The pen's default red, 255 59 48, give or take antialiasing and JPEG.
bool isRed(QRgb p) { return qRed(p) > 200 && qGreen(p) < 110 && qBlue(p) < 110; }

QRgb rootPixel(QPoint at) {
    const QImage one = platform::x11::readRootImage(QRect(at, QSize(1, 1)));
    return one.isNull() ? 0 : one.pixel(0, 0);
}

int count(const QImage& image, QRect area, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (test(image.pixel(x, y))) ++n;
    return n;
}

std::uint32_t overlayId(const RealProgram& program) {
    const OverlayWindow* w = program.overlay();
    return w ? w->xid() : 0;
}

} // namespace

TEST(CaptureOnX11, TheJpegShowsTheWindowAndTheStrokeButNotTheToolbarOrTheCountdown) {
    // The other program's window lies under the toolbar and under the centre
    // of the screen, where the countdown shows.
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 26, 1320, 820));
    ASSERT_TRUE(other.ready());
    // The countdown ticks when the test says (its timer would take an hour):
    // however long the clicks take, they come while it runs.
    RealProgram program(true, [](AppServices& s) { s.captureCountdownTickSeconds = 3600; });
    program.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return !program.delegate->drawingState()->overlayControllers.empty(); }));
    platform::Window* toolbar = program.toolbarWindow();
    const QRect bar = platform::toGlobal(toolbar->frame()).toRect();
    ASSERT_TRUE(QRect(300, 26, 1320, 820).contains(bar));
    auto toolbarShows = [&] {
        const QImage now = platform::x11::readRootImage(bar);
        return count(now, now.rect(), [](QRgb p) { return near(p, kGreen, 24); }) < now.width() * now.height() / 2;
    };
    ASSERT_TRUE(waitUntil(toolbarShows, 3000)) << "the toolbar shows";

    // A red stroke with the pen across the window, once the overlay takes
    // the pointer there.
    ASSERT_TRUE(pointerReaches(QPoint(600, 700), overlayId(program)));
    xdotool({"mousedown", "1"});
    for (int x = 610; x <= 1300; x += 10) xdotool({"mousemove", QString::number(x), "700"});
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return isRed(rootPixel(QPoint(900, 700))); }, 3000)) << "the stroke shows";

    // The toolbar's camera button.
    FakeSavePanels panels;
    const QString path = program.dir.filePath("shot.jpg");
    panels.answer(path);
    QWidget* camera = program.toolbarView()->captureButton();
    const QPoint button = camera->mapToGlobal(camera->rect().center());
    // The pointer stays on the button: the toolbar repaints as the grab
    // hides it from under the pointer. Whatever the window manager is still
    // restacking after the stroke's press on the overlay, the click goes
    // once the server would hand it to the toolbar, as a person's would.
    ASSERT_TRUE(pointerReaches(button, toolbar->xid())) << "the toolbar takes the click";
    int clicks = 0;
    QObject::connect(program.toolbarView()->captureButton(), &QAbstractButton::clicked, [&] { ++clicks; });
    click();
    const auto coordinator = program.delegate->captureCoordinator();
    ASSERT_TRUE(waitUntil([&] { return coordinator->countdownController() != nullptr; }))
        << "the camera button started no countdown";
    // The countdown's dark disc over the window, left of its digit.
    EXPECT_TRUE(waitUntil([&] { return qGreen(rootPixel(QPoint(900, 540))) < 130; })) << "the countdown shows";
    // A second click on the camera starts nothing new: the same countdown
    // goes on, and the save panel waits for its end.
    CountdownOverlayController* running = coordinator->countdownController();
    ASSERT_TRUE(pointerReaches(button, toolbar->xid()));
    click();
    ASSERT_TRUE(waitUntil([&] { return clicks == 2; })) << "the second click reached the camera button";
    ASSERT_TRUE(settle());
    EXPECT_EQ(coordinator->countdownController(), running);
    EXPECT_TRUE(running->isTimerRunning());
    EXPECT_TRUE(panels.shown.empty());
    // The pointer leaves the camera and comes back to rest on it: its
    // tooltip chip is up, at full strength, when the grab comes.
    ASSERT_TRUE(moveMouse(button + QPoint(0, 120)));
    ASSERT_TRUE(pointerReaches(button, toolbar->xid()));
    const auto chipUp = [] {
        const TooltipPanel* chip = TooltipManager::shared().panel();
        return chip && chip->isVisible() && chip->alphaValue() == 1.0;
    };
    ASSERT_TRUE(waitUntil(chipUp)) << "the camera's tooltip chip shows";
    const QRect chip = platform::toGlobal(TooltipManager::shared().panel()->frame()).toRect();
    for (int tick = 0; tick < CountdownOverlayController::kTicksToComplete; ++tick) running->tick();

    ASSERT_TRUE(waitUntil([&] { return QFile::exists(path); }, 8000));
    // Held for seconds, the chip was up throughout the grab if it is still.
    const bool chipStayed = chipUp();
    const QImage shot = QImageReader(path).read();
    ASSERT_EQ(shot.size(), QSize(1920, 1080));
    EXPECT_TRUE(QImageReader(path).format() == "jpeg");

    // The window, where it is.
    for (QPoint p : {QPoint(340, 100), QPoint(1580, 100), QPoint(340, 800), QPoint(1580, 800)})
        EXPECT_TRUE(near(shot.pixel(p), kGreen, 16)) << p.x() << "," << p.y();
    EXPECT_FALSE(near(shot.pixel(200, 500), kGreen, 40)) << "and nowhere else";
    // The stroke, where it was drawn, and nothing red away from it.
    EXPECT_GT(count(shot, QRect(620, 700, 660, 1), isRed), 620);
    EXPECT_EQ(count(shot, QRect(620, 300, 660, 300), isRed), 0);
    // No countdown: the centre is the window's green throughout.
    auto mostlyGreen = [&](QRect r) {
        return count(shot, r, [](QRgb p) { return near(p, kGreen, 24); }) > r.width() * r.height() * 99 / 100;
    };
    EXPECT_TRUE(mostlyGreen(QRect(830, 410, 260, 260))) << "no countdown";
    EXPECT_TRUE(mostlyGreen(bar)) << "no toolbar";
    if (chipStayed) EXPECT_TRUE(mostlyGreen(chip)) << "no tooltip chip";

    // The toolbar is back on screen after the grab.
    EXPECT_TRUE(toolbar->isVisible());
    EXPECT_TRUE(waitUntil(toolbarShows));
    EXPECT_FALSE(program.delegate->captureCoordinator()->countdownController());
    EXPECT_FALSE(program.delegate->drawingState()->isImportingBrushes);
}
