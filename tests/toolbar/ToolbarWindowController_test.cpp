// The toolbar window offscreen: its size and level, the keyboard hand-off,
// Shift+Esc, and stepping aside while a modal panel is up.
#include "toolbar/ToolbarWindowController.h"

#include "platform/NotificationCenter.h"
#include "support/FakeEventMonitor.h"
#include "support/FakeOverlayController.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/DrawingToolbarView.h"
#include "ui/NotificationNames.h"

#include <gtest/gtest.h>

using namespace testing_support;
namespace Key = platform::KeyCode;
namespace Mod = platform::ModifierFlags;

namespace {

struct ToolbarWindow {
    ToolbarWindow()
        : t({TestDrawingState::defaultScreen()}, platform::UserDefaults::inMemory(), fakeOverlayControllers()) {
        controller = std::make_unique<ToolbarWindowController>(t.state);
        drainEvents();
    }
    ~ToolbarWindow() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    platform::Window& window() const { return *controller->window(); }

    TestDrawingState t;
    std::unique_ptr<ToolbarWindowController> controller;
};

void post(const QString& name) { platform::NotificationCenter::defaultCenter().post(name); }

} // namespace

TEST(ToolbarWindow, IsExactlyTheToolbarAtThePanelLevelAndNotShown) {
    ToolbarWindow w;
    const QSize view = w.controller->toolbarView()->sizeHint();
    EXPECT_EQ(w.window().frame().size, platform::Size(view.width(), view.height()));
    EXPECT_EQ(w.window().stacking().level(), platform::WindowLevel::panel);
    EXPECT_TRUE(w.window().keyboard().isNonActivatingPanel());
    EXPECT_FALSE(w.window().hasShadow());
    EXPECT_FALSE(w.window().keyboard().canBecomeMain());
    EXPECT_FALSE(w.window().isVisible());
    EXPECT_FALSE(w.t->isToolbarVisible);

    // A vertical position gives a tall window.
    w.t->toolbarDockPosition = ToolbarDockPosition::middleRightV;
    ToolbarWindowController tall(w.t.state);
    EXPECT_GT(tall.window()->frame().height(), tall.window()->frame().width());
}

TEST(ToolbarWindow, AToolbarWithoutASizeGetsTheFallbackInBothDimensions) {
    EXPECT_EQ(ToolbarWindowController::windowSize(QSize(300, 0)), platform::Size(640, 56));
    EXPECT_EQ(ToolbarWindowController::windowSize(QSize(0, 56)), platform::Size(640, 56));
    EXPECT_EQ(ToolbarWindowController::windowSize(QSize(-5, -5)), platform::Size(640, 56));
    EXPECT_EQ(ToolbarWindowController::windowSize(QSize(729, 36)), platform::Size(729, 36));
}

TEST(ToolbarWindow, TheFieldMayTypeOnlyBetweenARequestAndItsReleaseAcrossRebuilds) {
    ToolbarWindow w;
    // The window may always hold the keyboard for the program (no click
    // gives it the keyboard); only the field's typing waits for a request.
    EXPECT_TRUE(w.window().keyboard().canBecomeKey());
    EXPECT_FALSE(ToolbarWindowController::allowsKey());
    post(Notifications::toolbarRequestKey);
    EXPECT_TRUE(ToolbarWindowController::allowsKey());

    // The permission is one for all toolbar windows: a rebuilt one has it.
    w.controller = std::make_unique<ToolbarWindowController>(w.t.state);
    EXPECT_TRUE(ToolbarWindowController::allowsKey());
    post(Notifications::toolbarResignKey);
    EXPECT_FALSE(ToolbarWindowController::allowsKey());
    EXPECT_TRUE(w.window().keyboard().canBecomeKey());
    EXPECT_TRUE(w.window().keyboard().isNonActivatingPanel());

    // With no controller left, the flag still follows the notifications.
    platform::WeakRef<ToolbarWindowController> gone;
    ToolbarWindowController::setKeyState(true, gone);
    EXPECT_TRUE(ToolbarWindowController::allowsKey());
    ToolbarWindowController::setKeyState(false, gone);
}

TEST(ToolbarWindow, ShiftEscBringsHiddenOverlaysBackAndNothingElse) {
    ToolbarWindow w;
    auto passes = [](std::uint16_t key, std::uint64_t modifiers) {
        return injectLocal(keyEvent(key, modifiers)).has_value();
    };
    EXPECT_TRUE(passes(Key::escape, 0));
    EXPECT_TRUE(passes(Key::escape, Mod::shift | Mod::option));
    EXPECT_TRUE(passes(Key::escape, Mod::shift | Mod::command));
    EXPECT_TRUE(passes(Key::escape, Mod::shift | Mod::capsLock));
    EXPECT_TRUE(passes(Key::z, Mod::shift));
    EXPECT_FALSE(w.t->isOverlayVisible);

    // The toolbar need not be shown.
    EXPECT_FALSE(passes(Key::escape, Mod::shift));
    EXPECT_TRUE(w.t->isOverlayVisible);
    // With the overlays shown it is theirs.
    EXPECT_TRUE(passes(Key::escape, Mod::shift));
    EXPECT_TRUE(w.t->isOverlayVisible);

    w.controller.reset();
    w.t->hideOverlays();
    EXPECT_TRUE(passes(Key::escape, Mod::shift)) << "the monitor goes with its controller";
}

TEST(ToolbarWindow, StepsAsideWhileAModalPanelIsUp) {
    ToolbarWindow w;
    EXPECT_FALSE(w.window().shape().ignoresMouseEvents());
    w.t->isImportingBrushes = true;
    drainEvents();
    EXPECT_EQ(w.window().stacking().level(), platform::WindowLevel::normal);
    EXPECT_TRUE(w.window().shape().ignoresMouseEvents());
    w.t->isImportingBrushes = false;
    drainEvents();
    EXPECT_EQ(w.window().stacking().level(), platform::WindowLevel::panel);
    EXPECT_FALSE(w.window().shape().ignoresMouseEvents());
    EXPECT_FALSE(w.window().isVisible()) << "a hidden toolbar stays hidden";

    w.window().orderFront();
    w.t->isImportingBrushes = true;
    drainEvents();
    w.t->isImportingBrushes = false;
    drainEvents();
    EXPECT_TRUE(w.window().isVisible());
    EXPECT_EQ(w.window().stacking().level(), platform::WindowLevel::panel);
}
