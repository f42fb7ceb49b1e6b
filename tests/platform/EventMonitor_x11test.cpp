// Event monitors against a real X server: key codes and modifier bits as
// typed, and global monitors that see other applications' clicks only.
#include "platform/EventMonitor.h"
#include "platform/Window.h"
#include "platform/X11Mouse.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QGuiApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace platform;
using testing_support::clickAt;
using testing_support::ExternalWindow;
using testing_support::waitUntil;

namespace {
struct Key {
    std::uint16_t code;
    std::uint64_t flags;
    friend bool operator==(const Key&, const Key&) = default;
};
std::ostream& operator<<(std::ostream& os, const Key& k) {
    return os << "{" << k.code << ", 0x" << std::hex << k.flags << std::dec << "}";
}

struct KeyWindow {
    KeyWindow() : window(toScreen(QRectF(300, 300, 300, 100))) {
        window.setContentView(new QLineEdit);
        window.setBackgroundColor(Color::white());
        window.stacking().setLevel(WindowLevel::panel);
        window.makeKeyAndOrderFront();
        waitUntil([&] { return window.isVisible(); });
        window.keyboard().makeKey();
        waitUntil([&] { return window.keyboard().isKeyWindow(); });
    }
    Window window;
};

// One of our windows, opaque, shown and placed by the window manager.
struct ShownPanel {
    explicit ShownPanel(QRect root) : window(toScreen(QRectF(root))) {
        window.setBackgroundColor(Color::white());
        window.stacking().setLevel(WindowLevel::panel);
        window.orderFront();
        waitUntil([&] { return window.isVisible(); });
        placed = testing_support::waitUntilPlaced(window.xid(), root);
    }
    Window window;
    bool placed = false;
};

constexpr auto kCmd = ModifierFlags::command;
constexpr auto kShift = ModifierFlags::shift;
constexpr auto kCaps = ModifierFlags::capsLock;
} // namespace

TEST(EventMonitorX11, KeyCodesAndModifierBitsAsTyped) {
    KeyWindow w;
    ASSERT_TRUE(w.window.keyboard().isKeyWindow());
    std::vector<Key> keys;
    auto monitor = EventMonitor::addLocal(EventMasks::keyDown, [&](const Event& e) -> std::optional<Event> {
        EXPECT_EQ(e.window, &w.window);
        keys.push_back({e.keyCode, e.deviceIndependentModifiers()});
        return std::nullopt;
    });
    auto type = [&](const QString& k) {
        const auto before = keys.size();
        testing_support::pressKey(k);
        waitUntil([&] { return keys.size() > before; }, 2000);
    };
    // Under load the window manager can still be handing over the keyboard:
    // record only once a key has arrived.
    ASSERT_TRUE(waitUntil(
        [&] {
            testing_support::pressKey("Escape");
            return waitUntil([&] { return !keys.empty(); }, 500);
        },
        10000));
    keys.clear();
    for (const char* k : {"Escape", "shift+Escape", "ctrl+z", "ctrl+shift+z", "BackSpace", "Delete"}) type(k);
    EXPECT_EQ(keys, (std::vector<Key>{{53, 0}, {53, kShift}, {6, kCmd}, {6, kCmd | kShift}, {51, 0}, {117, 0}}));

    // Caps Lock is reported (so Ctrl+Z with it differs); Num Lock is not.
    keys.clear();
    testing_support::pressKey("Caps_Lock");
    type("ctrl+z");
    type("Escape");
    testing_support::pressKey("Caps_Lock");
    testing_support::pressKey("Num_Lock");
    type("ctrl+z");
    type("Delete");
    testing_support::pressKey("Num_Lock");
    EXPECT_EQ(keys, (std::vector<Key>{{6, kCmd | kCaps}, {53, kCaps}, {6, kCmd}, {117, 0}}));
}

TEST(EventMonitorX11, GlobalMonitorsSeeOtherApplicationsClicksButNotOurs) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(100, 100, 300, 300));
    ASSERT_TRUE(other.ready());
    ShownPanel shown(QRect(600, 100, 200, 200));
    ASSERT_TRUE(shown.placed);
    Window& ours = shown.window;

    std::vector<Event> global, local;
    auto g = EventMonitor::addGlobal(EventMasks::leftMouseDown | EventMasks::rightMouseDown,
                                     [&](const Event& e) { global.push_back(e); });
    auto l = EventMonitor::addLocal(EventMasks::leftMouseDown, [&](const Event& e) -> std::optional<Event> {
        local.push_back(e);
        return e;
    });

    clickAt(200, 250);
    ASSERT_TRUE(waitUntil([&] { return !global.empty(); }));
    EXPECT_EQ(global[0].type, EventType::leftMouseDown);
    EXPECT_EQ(global[0].locationOnScreen, Point(200, 830));
    EXPECT_EQ(global[0].window, nullptr);
    EXPECT_TRUE(other.waitForPress(QPoint(200, 250)));

    clickAt(200, 260, 3);
    ASSERT_TRUE(waitUntil([&] { return global.size() == 2; }));
    EXPECT_EQ(global[1].type, EventType::rightMouseDown);

    // A click on the other window after one on ours: once the global
    // monitor has seen it, it would have seen ours before.
    const auto globalClicksUpToSentinel = [&] {
        clickAt(200, 270);
        EXPECT_TRUE(waitUntil([&] { return !global.empty() && global.back().locationOnScreen == Point(200, 810); }));
        return global.size() - 1;
    };

    clickAt(650, 120);
    ASSERT_TRUE(waitUntil([&] { return !local.empty(); }));
    EXPECT_EQ(globalClicksUpToSentinel(), 2u);
    EXPECT_EQ(local[0].window, &ours);
    EXPECT_EQ(local[0].locationInWindow, Point(50, 180)); // y-up in the window
    EXPECT_EQ(local[0].clickCount, 1);

    testing_support::moveMouse(650, 120);
    testing_support::paceNewClick();
    // Two clicks at a double-click's pace.
    testing_support::xdotool({"click", "--repeat", "2", "--delay", "80", "1"});
    ASSERT_TRUE(waitUntil([&] { return local.size() == 3; }));
    EXPECT_EQ(local[2].clickCount, 2);
    EXPECT_EQ(globalClicksUpToSentinel(), 3u);
}

TEST(EventMonitorX11, GlobalPointerMovesAreCoalescedAndOnlyOverOthers) {
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(100, 500, 300, 300));
    ASSERT_TRUE(other.ready());
    ShownPanel ours(QRect(600, 500, 200, 200));
    ASSERT_TRUE(ours.placed);

    std::vector<Event> moves;
    auto g = EventMonitor::addGlobal(EventMasks::mouseMoved, [&](const Event& e) { moves.push_back(e); });
    // Warps (absolute xdotool moves) make no device motion; relative moves
    // go through the input device as a real mouse would.
    testing_support::moveMouse(150, 600);
    for (int i = 0; i < 5; ++i) testing_support::xdotool({"mousemove_relative", "--", "8", "0"});
    const Point end = X11Mouse().location();
    ASSERT_TRUE(waitUntil([&] { return !moves.empty() && moves.back().locationOnScreen == end; }))
        << moves.size() << " " << (moves.empty() ? 0 : moves.back().locationOnScreen.x);
    EXPECT_LE(moves.size(), 5u);
    EXPECT_TRUE(toGlobal(end).x() > 150 && toGlobal(end).x() < 400);

    // Over ours: none of the moves is reported. A key press goes to the
    // global monitors behind the moves (no window of ours has the keyboard),
    // so once it is seen the moves before it have been handled.
    testing_support::moveMouse(650, 600);
    moves.clear();
    ASSERT_EQ(QGuiApplication::focusWindow(), nullptr);
    int keys = 0;
    auto k = EventMonitor::addGlobal(EventMasks::keyDown, [&](const Event&) { ++keys; });
    for (int i = 0; i < 3; ++i) testing_support::xdotool({"mousemove_relative", "--", "8", "0"});
    testing_support::pressKey("shift");
    ASSERT_TRUE(waitUntil([&] { return keys == 1; }));
    testing_support::drainEvents();
    EXPECT_TRUE(moves.empty());
}
