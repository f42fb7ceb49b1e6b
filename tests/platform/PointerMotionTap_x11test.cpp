// The drag motion tap on a real X server: it takes the moves of a drag with
// the left button held, in order, hands them over before the release reaches
// Qt, and leaves every other move to Qt.
#include "platform/PointerMotionTap.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using namespace testing_support;

namespace {

// A window that starts a tap at each left press and notes what it got.
class TappedWindow : public QWidget {
public:
    TappedWindow() : QWidget(nullptr, Qt::FramelessWindowHint) { setMouseTracking(true); }

    std::vector<QPointF> taken;
    std::size_t takenAtRelease = 0;
    int qtDragMoves = 0;
    int qtHoverMoves = 0;
    bool released = false;
    int presses = 0;
    // The X time of the press to start the tap for; none: the press's own.
    std::optional<std::uint64_t> pressTime;
    std::uint64_t lastPressTime = 0;
    std::unique_ptr<platform::PointerMotionTap> tap;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        ++presses;
        lastPressTime = event->timestamp();
        tap = platform::PointerMotionTap::start(windowHandle(), pressTime.value_or(event->timestamp()),
                                                [this](const auto& samples, auto) {
                                                    for (const platform::PointerSample& s : samples)
                                                        taken.push_back(s.position);
                                                });
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton) ++qtDragMoves;
        else ++qtHoverMoves;
    }
    void mouseReleaseEvent(QMouseEvent*) override {
        takenAtRelease = taken.size();
        released = true;
        tap.reset();
    }
};

} // namespace

TEST(PointerMotionTapOnX11, TakesADragsMovesInOrderBeforeItsReleaseAndLeavesHoverToQt) {
    TappedWindow window;
    window.setGeometry(100, 100, 500, 300);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(waitUntilPlaced(static_cast<std::uint32_t>(window.winId()), QRect(100, 100, 500, 300)));
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));

    ASSERT_TRUE(pointerReaches(origin + QPoint(20, 50), static_cast<std::uint32_t>(window.winId())));
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return window.tap != nullptr; }));
    ASSERT_TRUE(window.tap->isOpen());
    // The moves and the release in one go: they come in one read or a few.
    constexpr int kMoves = 50;
    QStringList burst;
    for (int i = 1; i <= kMoves; ++i)
        burst << "mousemove" << QString::number(origin.x() + 20 + 9 * i) << QString::number(origin.y() + 50 + i);
    burst << "mouseup"
          << "1";
    xdotool(burst);
    ASSERT_TRUE(waitUntil([&] { return window.released; }));
    ASSERT_EQ(window.taken.size(), std::size_t(kMoves));
    for (int i = 1; i <= kMoves; ++i)
        EXPECT_EQ(window.taken[std::size_t(i - 1)], QPointF(20 + 9 * i, 50 + i)) << "move " << i;
    EXPECT_EQ(window.takenAtRelease, std::size_t(kMoves)) << "the release came before moves it follows";
    // Qt makes up one move to the release's place; no other reached it.
    EXPECT_LE(window.qtDragMoves, 1);

    // With no button held, moves are Qt's.
    const int hover = window.qtHoverMoves;
    moveMouse(origin + QPoint(300, 200));
    EXPECT_TRUE(waitUntil([&] { return window.qtHoverMoves > hover; }));
}

TEST(PointerMotionTapOnX11, TakesNothingForAPressHandedOverAfterLaterButtons) {
    TappedWindow window;
    window.setGeometry(100, 100, 500, 300);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
    ASSERT_TRUE(waitUntilPlaced(static_cast<std::uint32_t>(window.winId()), QRect(100, 100, 500, 300)));
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    ASSERT_TRUE(pointerReaches(origin + QPoint(20, 50), static_cast<std::uint32_t>(window.winId())));

    // A first click; its press is the one Qt hands over late below.
    xdotool({"mousedown", "1", "mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return window.released; }));
    window.pressTime = window.lastPressTime;
    window.taken.clear();
    // The next press: by now X has sent the release after the first press
    // and this press, so the moves that follow belong to this one.
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return window.presses == 2 && window.tap != nullptr; }));
    const int before = window.qtDragMoves;
    QStringList moves;
    for (int i = 1; i <= 10; ++i)
        moves << "mousemove" << QString::number(origin.x() + 20 + 9 * i) << QString::number(origin.y() + 50);
    xdotool(moves);
    ASSERT_TRUE(waitUntil([&] { return window.qtDragMoves - before >= 10; }));
    xdotool({"mouseup", "1"});
    EXPECT_TRUE(window.taken.empty()) << "a tap for a press older than the last button took the moves";
}
