// Our windows' keyboard on a real X server, with a window manager and
// without one: a window that holds it hands it to another window of ours
// before it goes off screen, the one that had it last first; an alert
// answered from the keyboard does so too.
#include "platform/Alert.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace platform;
using testing_support::waitUntil;

namespace {

// The X window that holds the keyboard focus now.
std::uint32_t focusedWindow() {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return r ? r->focus : 0;
}

// A shown window at `root` (root coordinates), once the server has it.
struct Shown {
    Shown(QRect root, int level, bool nonActivating) : window(toScreen(QRectF(root))) {
        window.setContentView(new QWidget);
        window.stacking().setLevel(level);
        window.keyboard().setNonActivatingPanel(nonActivating);
        window.orderFront();
        waitUntil([&] { return window.isVisible() && window.xid() != 0; });
        placed = testing_support::waitUntilPlaced(window.xid(), root);
    }
    bool holdsKeyboard() { return focusedWindow() == window.xid(); }
    Window window;
    bool placed = false;
};

} // namespace

TEST(WindowKeyboard, AWindowHoldingTheKeyboardHandsItOnBeforeItHides) {
    Shown panel(QRect(700, 200, 200, 100), WindowLevel::panel, true);
    Shown overlay(QRect(100, 300, 500, 400), WindowLevel::overlay, false);
    Shown other(QRect(100, 100, 200, 100), WindowLevel::panel, true);
    ASSERT_TRUE(panel.placed && overlay.placed && other.placed);

    // The panel had the keyboard, then the overlay took it.
    panel.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return panel.holdsKeyboard(); }));
    overlay.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return overlay.holdsKeyboard(); }));

    // Hiding the overlay leaves the keyboard with the window that had it
    // before, not with the other shown one, nor outside the program.
    overlay.window.orderOut();
    EXPECT_TRUE(waitUntil([&] { return panel.holdsKeyboard(); }));
    // Closing that one too: the last shown window takes it.
    panel.window.close();
    EXPECT_TRUE(waitUntil([&] { return other.holdsKeyboard(); }));
    // With no window of ours shown the program holds no keyboard.
    other.window.orderOut();
    EXPECT_TRUE(waitUntil([&] {
        const auto ours = x11::ourWindows();
        return std::find(ours.begin(), ours.end(), focusedWindow()) == ours.end();
    }));
}

TEST(WindowKeyboard, AnAlertAnsweredFromTheKeyboardHandsItBack) {
    Shown overlay(QRect(100, 300, 500, 400), WindowLevel::overlay, false);
    Shown toolbar(QRect(700, 200, 200, 100), WindowLevel::panel, true);
    ASSERT_TRUE(overlay.placed && toolbar.placed);
    overlay.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return overlay.holdsKeyboard(); }));

    for (const char* key : {"Return", "Escape"}) {
        // The key goes once the alert has the keyboard.
        bool pressed = false;
        QTimer presser;
        QObject::connect(&presser, &QTimer::timeout, [&] {
            const QWidget* alert = QApplication::activeModalWidget();
            if (pressed || !alert || !alert->windowHandle() ||
                focusedWindow() != std::uint32_t(alert->windowHandle()->winId()))
                return;
            pressed = true;
            testing_support::xdotool({"key", key});
        });
        presser.start(20);
        platform::Alert alert;
        alert.messageText = QStringLiteral("The screenshot could not be saved.");
        alert.addButton(QStringLiteral("OK"));
        EXPECT_EQ(alert.runModal(), platform::Alert::kFirstButtonReturn) << key;
        presser.stop();
        EXPECT_TRUE(pressed) << key;
        // Never outside the program in between: with the window that had it.
        EXPECT_TRUE(waitUntil([&] { return overlay.holdsKeyboard(); })) << key << " " << focusedWindow();
    }
}

TEST(WindowKeyboard, AWindowThatHidesWithTheKeyboardTakesItOutOfTheProgramAtOnce) {
    Shown panel(QRect(700, 200, 200, 100), WindowLevel::panel, true);
    ASSERT_TRUE(panel.placed);
    panel.window.keyboard().makeKey();
    ASSERT_TRUE(waitUntil([&] { return panel.holdsKeyboard() && panel.window.keyboard().holdsKeyboardFocus(); }));

    // No other window of ours to hand it to: the server takes the focus
    // off as it hides the window, before any event says so. The program
    // no longer holds it, and would ask for it (an Esc's panel does).
    panel.window.orderOut();
    EXPECT_FALSE(WindowActivation::holdsFocus());
}
