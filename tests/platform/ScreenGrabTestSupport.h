#pragma once

// What the display capture's x11 tests share: colours read off the screen,
// a window of ours to leave out of an image, another program's window that
// repaints when told, and the grabber's answers.

#include "platform/ScreenGrabber.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11DamageWatch.h"
#include "platform/X11RootImage.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QFile>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <optional>

namespace grab_test {

inline const QColor kGreen(40, 160, 60);
inline const QColor kMagenta(255, 0, 255);

inline bool near(QRgb p, const QColor& c, int tolerance = 6) {
    return std::abs(qRed(p) - c.red()) <= tolerance && std::abs(qGreen(p) - c.green()) <= tolerance &&
           std::abs(qBlue(p) - c.blue()) <= tolerance;
}

inline QRgb rootPixel(QPoint at) {
    const QImage one = platform::x11::readRootImage(QRect(at, QSize(1, 1)));
    return one.isNull() ? 0 : one.pixel(0, 0);
}

// The pixels of `area` in `image` that are about `colour`.
inline int countNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 6) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (near(image.pixel(x, y), colour, tolerance)) ++n;
    return n;
}

// Paints a magenta rectangle `margin` pixels inside its edges and leaves the
// rest clear: without a compositing manager the window is shaped to it.
class Inset : public QWidget {
public:
    int margin = 10;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect().adjusted(margin, margin, -margin, -margin), kMagenta);
    }
};

// One of our windows over the root rectangle `root`, shown and painted.
struct OwnWindow {
    explicit OwnWindow(QRect root) : window(platform::toScreen(QRectF(root))), inset(new Inset) {
        window.setContentView(inset);
        window.stacking().setLevel(platform::WindowLevel::panel);
        window.setHasShadow(false);
        window.orderFront();
        testing_support::waitUntil([&] { return window.isVisible() && window.xid() != 0; });
        centre = root.center();
        testing_support::waitUntil([&] { return near(rootPixel(centre), kMagenta); }, 3000);
    }
    platform::Window window;
    Inset* inset;
    QPoint centre;
};

inline platform::ScreenGrabber::ContentResult content(platform::ScreenGrabber& grabber) {
    std::optional<platform::ScreenGrabber::ContentResult> result;
    grabber.shareableContent([&](platform::ScreenGrabber::ContentResult r) { result = std::move(r); });
    EXPECT_TRUE(testing_support::waitUntil([&] { return result.has_value(); }, 3000));
    return result.value_or(platform::ScreenGrabber::ContentResult{});
}

inline platform::ScreenGrabber::ImageResult capture(platform::ScreenGrabber& grabber,
                                                    const platform::ContentFilter& filter,
                                                    platform::CaptureConfiguration config) {
    std::optional<platform::ScreenGrabber::ImageResult> result;
    grabber.captureImage(filter, config, [&](platform::ScreenGrabber::ImageResult r) { result = std::move(r); });
    EXPECT_TRUE(testing_support::waitUntil([&] { return result.has_value(); }, 3000));
    return result.value_or(platform::ScreenGrabber::ImageResult{});
}

// A grab under way: the image comes once the grab ends.
struct Grab {
    Grab(platform::ScreenGrabber& grabber, const platform::ContentFilter& filter) {
        grabber.captureImage(filter, {1920, 1080},
                             [this](platform::ScreenGrabber::ImageResult r) { result = std::move(r); });
    }
    Grab(const Grab&) = delete;
    Grab& operator=(const Grab&) = delete;
    bool ended() {
        testing_support::drainEvents();
        return result.has_value();
    }
    QImage image() const { return result && !result->error ? result->image : QImage(); }
    std::optional<platform::ScreenGrabber::ImageResult> result;
};

// A spot of the screen that this process draws on to learn that the reports
// of earlier drawing have come in: the X server sends each watch of the
// screen its reports in order, and sent those of every drawing it had done
// before it took the spot's.
class DrawingBarrier {
public:
    static constexpr QRect kSpot{1900, 1060, 4, 4};

    DrawingBarrier() {
        auto* c = platform::x11::connection();
        window_ = xcb_generate_id(c);
        const std::uint32_t values[] = {pixel_, 1};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, platform::x11::root(), kSpot.x(), kSpot.y(), kSpot.width(),
                          kSpot.height(), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                          XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
        xcb_map_window(c, window_);
        platform::x11::flush();
    }
    ~DrawingBarrier() {
        xcb_destroy_window(platform::x11::connection(), window_);
        platform::x11::flush();
    }
    DrawingBarrier(const DrawingBarrier&) = delete;
    DrawingBarrier& operator=(const DrawingBarrier&) = delete;

    // Returns once every watch of the screen in this process has taken in
    // the reports of all the drawing the server did before the call. (With
    // a compositing manager: once it has caught up with that drawing too.)
    bool pass() {
        platform::x11::DamageWatch watch;
        auto* c = platform::x11::connection();
        pixel_ ^= 0x00ffffffu;
        xcb_change_window_attributes(c, window_, XCB_CW_BACK_PIXEL, &pixel_);
        xcb_clear_area(c, 0, window_, 0, 0, 0, 0);
        platform::x11::flush();
        const bool seen = testing_support::waitUntil([&] { return watch.drawn().intersects(kSpot); }, 5000);
        testing_support::drainEvents();
        return seen;
    }

private:
    xcb_window_t window_ = 0;
    std::uint32_t pixel_ = 0x00808080u;
};

// Another program's window in one colour (tests/platform/PaintingWindow.cpp;
// the test's target names it OVERINK_PAINTING_WINDOW).
struct OtherWindow {
    OtherWindow(QRect at, const QColor& colour) : process(OVERINK_PAINTING_WINDOW, at), area(at) {
        if (process.ready()) paint(colour);
    }
    bool ready() const { return process.ready() && painted; }
    // Repaints the window and waits until the screen shows it.
    void paint(const QColor& c) {
        colour = c;
        platform::x11::setProperty32(process.window(), platform::x11::atom("_OVERINK_COLOUR"), XCB_ATOM_CARDINAL,
                                     {std::uint32_t(c.rgb() & 0xffffff)});
        platform::x11::flush();
        painted = testing_support::waitUntil([&] { return near(rootPixel(area.center()), c); });
    }
    // The screen shows `part` of the window (all of it by default) in `c`.
    bool shows(const QColor& c, const QRect& part = {}) const {
        const QRect look = part.isNull() ? area : part;
        return testing_support::waitUntil([&] {
            const QImage now = platform::x11::readRootImage(look);
            return !now.isNull() && countNear(now, now.rect(), c) == look.width() * look.height();
        });
    }
    // The screen shows the window in its colour all around `covered`.
    bool showsAround(const QRect& covered) const {
        const QRect hidden = covered & area;
        const int around = area.width() * area.height() - hidden.width() * hidden.height();
        return testing_support::waitUntil([&] {
            const QImage now = platform::x11::readRootImage(area);
            return !now.isNull() && countNear(now, now.rect(), colour) == around;
        });
    }
    void keepRepainting() {
        platform::x11::setProperty32(process.window(), platform::x11::atom("_OVERINK_RESTLESS"), XCB_ATOM_CARDINAL,
                                     {1});
        platform::x11::flush();
    }
    // Its program stops handling events, and so leaves undrawn whatever it
    // is asked to draw, until released.
    bool hold() {
        platform::x11::setProperty32(process.window(), platform::x11::atom("_OVERINK_HOLD"), XCB_ATOM_CARDINAL, {1});
        platform::x11::flush();
        return testing_support::waitUntil([&] {
            return !platform::x11::property32(process.window(), platform::x11::atom("_OVERINK_HELD"), XCB_ATOM_CARDINAL,
                                              1)
                        .empty();
        });
    }
    void release() {
        xcb_delete_property(platform::x11::connection(), process.window(), platform::x11::atom("_OVERINK_HOLD"));
        platform::x11::flush();
    }

    testing_support::ExternalWindow process;
    QRect area;
    QColor colour;
    bool painted = false;
};

// The session's compositing manager, found among the helpers the private X
// session started; 0 without one.
inline pid_t compositingManagerPid() {
    for (const QString& p : qEnvironmentVariable("OVERINK_X11_SESSION_PIDS").split(' ', Qt::SkipEmptyParts)) {
        QFile comm(QStringLiteral("/proc/%1/comm").arg(p));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "xcompmgr") return p.toInt();
    }
    return 0;
}

} // namespace grab_test
