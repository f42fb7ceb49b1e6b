// Taking the keyboard against an uncooperative desktop: a window manager
// that never answers an activation request (the program then takes the
// focus itself once the manager had its time), and two requests of which
// the older still waits for its window.
#include "platform/Window.h"
#include "platform/WindowActivation.h"
#include "platform/X11.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace platform;
using testing_support::ExternalWindow;
using testing_support::settle;
using testing_support::waitUntil;

namespace {

std::uint32_t focusedWindow() {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return r ? r->focus : 0;
}

bool viewable(std::uint32_t id) {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

// A shown window at `root` (root coordinates), once the server has it.
struct Shown {
    Shown(QRect root, int level) : window(toScreen(QRectF(root))) {
        window.setContentView(new QWidget);
        window.stacking().setLevel(level);
        window.orderFront();
        waitUntil([&] { return window.isVisible() && window.xid() != 0; });
        placed = testing_support::waitUntilPlaced(window.xid(), root);
    }
    bool holdsKeyboard() { return focusedWindow() == window.xid(); }
    Window window;
    bool placed = false;
};

// Ends the window manager's grace when the test says so, not after a time.
class GraceEndedByTest {
public:
    GraceEndedByTest() {
        WindowActivation::setGraceTimerForTesting(
            [this](QObject*, std::function<void()> ended) { waiting_.push_back(std::move(ended)); });
    }
    ~GraceEndedByTest() { WindowActivation::setGraceTimerForTesting({}); }
    std::size_t waiting() const { return waiting_.size(); }
    void end() {
        for (auto& ended : std::exchange(waiting_, {})) ended();
    }

private:
    std::vector<std::function<void()>> waiting_;
};

} // namespace

// Runs under the stand-in window manager that never answers.
TEST(IgnoredActivation, TheProgramTakesTheFocusItselfOnceTheManagerHadItsTime) {
    GraceEndedByTest grace;
    // The user's editor, which the window manager focuses as it maps it.
    ExternalWindow editor(OVERINK_CLICK_RECORDER, QRect(100, 500, 300, 200));
    ASSERT_TRUE(editor.ready());
    ASSERT_TRUE(waitUntil([&] { return focusedWindow() == editor.window(); }));
    Shown panel(QRect(600, 200, 200, 100), WindowLevel::panel);
    ASSERT_TRUE(panel.placed);

    // The program acts on the user's input elsewhere (the tray icon): the
    // window manager is asked, and says nothing.
    panel.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return grace.waiting() == 1; }));
    EXPECT_TRUE(settle());
    EXPECT_EQ(focusedWindow(), editor.window());

    grace.end();
    EXPECT_TRUE(waitUntil([&] { return panel.holdsKeyboard(); })) << focusedWindow();
}

TEST(WindowActivation, AnOlderRequestStillWaitingForItsWindowLosesToANewerOne) {
    Shown older(QRect(100, 200, 200, 100), WindowLevel::panel);
    Shown newer(QRect(400, 200, 200, 100), WindowLevel::panel);
    ASSERT_TRUE(older.placed && newer.placed);
    older.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return older.holdsKeyboard(); }));

    // The older window goes off the server's screen behind Qt's back, as a
    // window that is shown but not mapped yet is: a request for it waits
    // until the server shows it.
    const std::uint32_t olderId = older.window.xid();
    xcb_unmap_window(x11::connection(), olderId);
    x11::flush();
    ASSERT_TRUE(waitUntil([&] { return !older.window.windowHandle()->isExposed() && !viewable(olderId); }));
    older.window.keyboard().makeKey();
    newer.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return newer.holdsKeyboard(); })) << focusedWindow();

    // Its window comes: the newer request stands.
    xcb_map_window(x11::connection(), olderId);
    x11::flush();
    ASSERT_TRUE(waitUntil([&] { return older.window.windowHandle()->isExposed() && viewable(olderId); }));
    EXPECT_TRUE(settle());
    EXPECT_TRUE(newer.holdsKeyboard()) << focusedWindow();
}

// The focus moved by another program, not asked for by us, in a session
// without a window manager: whether our window holds it follows the
// server's events.
TEST(NoWindowManager, WhetherOurWindowHoldsTheFocusFollowsWhereOthersMoveIt) {
    Shown panel(QRect(100, 200, 200, 100), WindowLevel::panel);
    ExternalWindow editor(OVERINK_CLICK_RECORDER, QRect(100, 500, 300, 200));
    ASSERT_TRUE(panel.placed && editor.ready());
    panel.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return panel.holdsKeyboard(); }));
    EXPECT_TRUE(waitUntil([&] { return panel.window.keyboard().holdsKeyboardFocus(); }));

    ASSERT_TRUE(editor.takeKeyboard());
    EXPECT_TRUE(waitUntil([&] { return !WindowActivation::holdsFocus(); }));
    EXPECT_FALSE(panel.window.keyboard().holdsKeyboardFocus());

    // Given back by another program.
    xcb_connection_t* other = xcb_connect(nullptr, nullptr);
    xcb_set_input_focus(other, XCB_INPUT_FOCUS_PARENT, panel.window.xid(), XCB_CURRENT_TIME);
    xcb_flush(other);
    EXPECT_TRUE(waitUntil([&] { return panel.window.keyboard().holdsKeyboardFocus(); }));
    EXPECT_TRUE(WindowActivation::holdsFocus());
    xcb_disconnect(other);
}
