// Presses that come as soon as a new overlay shows, under a window manager
// that puts each window it takes on elsewhere first (the stand-in, which
// first puts it out of the tray's strut and moves it into place only
// later): the overlay, which no window manager takes on, stands where it
// asked from the start, and each press is drawn where the pointer was, none
// is lost, none reaches the program beneath; the toolbar, held elsewhere,
// leaves its asked place to the overlay meanwhile.
#include "app/RealShell.h"
#include "support/X11TestUtil.h"

#include <QLineF>

#include <xcb/xtest.h>

#include <gtest/gtest.h>

using namespace testing_support;
namespace x11 = platform::x11;

namespace {

bool viewable(std::uint32_t window) {
    auto* c = x11::connection();
    auto a = x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The pointer driven through XTest, whose moves and buttons the server takes
// in the order sent (xdotool warps the pointer, which may overtake a button
// it sent before). This process goes on with its events meanwhile, as the
// program does while a person draws.
void fake(std::uint8_t type, std::uint8_t detail, QPoint at = {}) {
    xcb_test_fake_input(x11::connection(), type, detail, XCB_CURRENT_TIME, x11::root(),
                        static_cast<std::int16_t>(at.x()), static_cast<std::int16_t>(at.y()), 0);
    x11::flush();
    pace(5);
}
// A press at the first point, moves to the others, and the release.
void drag(const std::vector<QPoint>& points) {
    fake(XCB_MOTION_NOTIFY, 0, points.front());
    fake(XCB_BUTTON_PRESS, 1);
    for (std::size_t i = 1; i < points.size(); ++i) fake(XCB_MOTION_NOTIFY, 0, points[i]);
    fake(XCB_BUTTON_RELEASE, 1);
}

} // namespace

TEST(LatePlacingOnX11, PressesBeforeTheOverlayStandsInPlaceAreDrawnUnderThePointer) {
    ExternalWindow recorder(OVERINK_CLICK_RECORDER, QRect(100, 30, 1600, 1000));
    ASSERT_TRUE(recorder.ready());
    RealShell shell;
    ASSERT_TRUE(shell.state().selectedTool.get()) << "the pen at first";
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(
        waitUntil([&] { return shell.overlay() && shell.overlay()->xid() && viewable(shell.overlay()->xid()); }));
    const std::uint32_t overlay = shell.overlay()->xid();
    EXPECT_EQ(serverGeometry(*shell.overlay()), QRect(0, 0, 1920, 1079)) << "where it asked, from the start";

    // The toolbar is held elsewhere too: where it asked to be, the overlay
    // takes the presses meanwhile.
    const QRect toolbarAsked = platform::toGlobal(shell.toolbarWindow()->requestedFrame()).toRect();
    ASSERT_NE(serverGeometry(*shell.toolbarWindow()).topLeft(), toolbarAsked.topLeft());
    const QPoint whereTheToolbarAsked = toolbarAsked.topLeft() + QPoint(5, 5);
    ASSERT_FALSE(serverGeometry(*shell.toolbarWindow()).contains(whereTheToolbarAsked));

    // Three drags and three clicks as soon as it shows, one after another.
    const std::vector<QPoint> starts{{400, 300},  {700, 500},  {300, 700},
                                     {1000, 400}, {1200, 800}, whereTheToolbarAsked};
    for (std::size_t i = 0; i < starts.size(); ++i) {
        std::vector<QPoint> points{starts[i]};
        for (int k = 1; i < 3 && k <= 6; ++k) points.push_back(starts[i] + QPoint(15 * k, 5 * k));
        drag(points);
    }
    // The server has taken in all of it before it answers this.
    ASSERT_TRUE(syncWithServer());
    ASSERT_NE(serverGeometry(*shell.toolbarWindow()).topLeft(), toolbarAsked.topLeft())
        << "the input came after the window manager had put the toolbar in place";

    // Canvas points are root points.
    ASSERT_TRUE(waitUntilPlaced(overlay, QRect(0, 0, 1920, 1079), 20000));
    EXPECT_TRUE(waitUntil([&] { return shell.state().strokes->size() == starts.size(); }, 5000))
        << shell.state().strokes->size() << " of " << starts.size() << " drawn";
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const QPointF start(starts[i]);
        const bool drawn =
            std::any_of(shell.state().strokes->begin(), shell.state().strokes->end(), [&](const DrawingStroke& s) {
                return !s.points.empty() && QLineF(s.points.front(), start).length() < 2;
            });
        EXPECT_TRUE(drawn) << "nothing drawn from " << start.x() << ", " << start.y();
    }
    ASSERT_TRUE(recorder.sync());
    EXPECT_TRUE(recorder.presses().empty()) << recorder.presses().size() << " presses reached the program beneath";
}
