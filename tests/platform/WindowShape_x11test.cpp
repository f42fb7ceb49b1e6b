// A window shown without a compositing manager keeps the pointer that rests
// on its painted pixels while it repaints and is reshaped, and a repaint
// reshapes it in one change.
#include "platform/Window.h"
#include "platform/X11.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QPainter>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace platform;
using namespace testing_support;

namespace {

// Painted all over; counts the pointer's arrivals and departures.
class CrossingCounter : public QWidget {
public:
    int enters = 0;
    int leaves = 0;

protected:
    void enterEvent(QEnterEvent*) override { ++enters; }
    void leaveEvent(QEvent*) override { ++leaves; }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0, 0, 255)); }
};

// Paints one square, which can move.
class MovingSquare : public QWidget {
public:
    QRect square;
    void moveTo(const QRect& to) {
        update(square | to);
        square = to;
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(square, QColor(0, 0, 255)); }
};

// The bounding shape the X server holds for a window.
QRegion serverBoundingShape(xcb_connection_t* c, xcb_window_t id) {
    QRegion region;
    xcb_shape_get_rectangles_reply_t* reply =
        xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, id, XCB_SHAPE_SK_BOUNDING), nullptr);
    if (!reply) return region;
    const xcb_rectangle_t* r = xcb_shape_get_rectangles_rectangles(reply);
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
        region += QRect(r[i].x, r[i].y, r[i].width, r[i].height);
    std::free(reply);
    return region;
}

} // namespace

TEST(NoCompositor, ARepaintThatPaintsAndClearsReshapesTheWindowOnce) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "needs a session without a compositor";
    const QRect root(300, 300, 200, 100);
    Window window(toScreen(QRectF(root)));
    auto* square = new MovingSquare;
    square->square = QRect(10, 10, 30, 30);
    window.setContentView(square);
    window.stacking().setLevel(WindowLevel::panel);
    window.orderFront();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible() && window.xid() != 0; }));
    ASSERT_TRUE(waitUntilPlaced(window.xid(), root));
    ASSERT_TRUE(waitUntil([&] { return window.shape().isShapedToPaintedPixels(); }));

    // Each change of a shown window's shape makes the server (and a window
    // manager copying it onto its frame) go over the whole shape again.
    xcb_connection_t* watcher = xcb_connect(nullptr, nullptr);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> closer(watcher, xcb_disconnect);
    ASSERT_FALSE(xcb_connection_has_error(watcher));
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(watcher, &xcb_shape_id);
    ASSERT_TRUE(shape && shape->present);
    const xcb_window_t id = window.xid();
    ASSERT_TRUE(waitUntil([&] { return serverBoundingShape(watcher, id) == QRegion(10, 10, 30, 30); }));
    xcb_shape_select_input(watcher, id, 1);
    free(xcb_get_input_focus_reply(watcher, xcb_get_input_focus(watcher), nullptr));

    square->moveTo(QRect(100, 50, 30, 30));
    EXPECT_TRUE(waitUntil([&] { return serverBoundingShape(watcher, id) == QRegion(100, 50, 30, 30); }));
    ASSERT_TRUE(settle());
    int changes = 0;
    while (xcb_generic_event_t* e = xcb_poll_for_event(watcher)) {
        if ((e->response_type & 0x7f) == shape->first_event + XCB_SHAPE_NOTIFY) {
            const auto* n = reinterpret_cast<xcb_shape_notify_event_t*>(e);
            if (n->affected_window == id && n->shape_kind == XCB_SHAPE_SK_BOUNDING) ++changes;
        }
        std::free(e);
    }
    EXPECT_EQ(changes, 1);
}

TEST(NoCompositor, RepaintingUnderThePointerNeverLetsItLeave) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "needs a session without a compositor";
    const QRect root(300, 300, 200, 100);
    Window window(toScreen(QRectF(root)));
    auto* counter = new CrossingCounter;
    window.setContentView(counter);
    window.stacking().setLevel(WindowLevel::panel);
    window.orderFront();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible() && window.xid() != 0; }));
    ASSERT_TRUE(waitUntilPlaced(window.xid(), root));
    ASSERT_TRUE(waitUntil([&] { return window.shape().isShapedToPaintedPixels(); }));

    ASSERT_TRUE(moveMouse(400, 350));
    ASSERT_TRUE(waitUntil([&] { return counter->enters == 1; }));
    // Each repaint reshapes the painted area under the pointer; the pointer
    // must never find itself outside the window meanwhile.
    for (int i = 0; i < 5; ++i) {
        counter->update(QRect(80, 30, 40, 40));
        ASSERT_TRUE(settle());
    }
    EXPECT_EQ(counter->leaves, 0);
    EXPECT_EQ(counter->enters, 1);
}
