// A window shown without a compositing manager keeps the pointer that rests
// on its painted pixels while it repaints and is reshaped.
#include "platform/Window.h"
#include "platform/X11.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

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

} // namespace

TEST(NoCompositor, RepaintingUnderThePointerNeverLetsItLeave) {
    if (x11::compositingManagerRunning()) GTEST_SKIP() << "needs a session without a compositor";
    const QRect root(300, 300, 200, 100);
    Window window(toScreen(QRectF(root)));
    auto* counter = new CrossingCounter;
    window.setContentView(counter);
    window.setLevel(WindowLevel::panel);
    window.orderFront();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible() && window.xid() != 0; }));
    ASSERT_TRUE(waitUntilPlaced(window.xid(), root));
    ASSERT_TRUE(waitUntil([&] { return window.isShapedToPaintedPixels(); }));

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
