// Launch, quitting, key equivalents, the status item and the settings panel.
#include "app/AppDelegate.h"

#include "capture/CountdownOverlayController.h"
#include "capture/ScreenCaptureCoordinator.h"
#include "platform/NotificationCenter.h"
#include "support/BrushStoreFiles.h"
#include "support/FakeEventMonitor.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/SettingsWindowController.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/NotificationNames.h"
#include "ui/OpenPanelRegistry.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::EditAction;
using platform::Point;
using platform::TerminateReply;
namespace Key = platform::KeyCode;
namespace Mod = platform::ModifierFlags;

namespace {

// The delegate over fake screens and pointer; terminate() asks the delegate
// as the application object would and records its answers.
struct Launched {
    // `prepare` sets up the files the program finds at its start.
    explicit Launched(bool anotherCopyRuns = false, const std::function<void(TestDrawingState&)>& prepare = {}) {
        if (prepare) prepare(t);
        AppServices s;
        s.environment = t.environment();
        s.claimSingleInstance = [anotherCopyRuns] { return !anotherCopyRuns; };
        s.terminate = [this] { replies.push_back(delegate->applicationShouldTerminate()); };
        s.sendEditAction = [this](EditAction a) {
            actions.push_back(a);
            return editActionHandled;
        };
        s.willPowerOff = &powerOff;
        s.makeStatusItem = [](platform::ScreenProvider& screens) {
            return std::make_unique<platform::StatusItem>("pencil.tip.crop.circle", "Overink", screens);
        };
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~Launched() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingState& state() const { return *delegate->drawingState(); }
    bool keyPasses(std::uint16_t key, std::uint64_t modifiers, QString chars) {
        const bool passed = injectLocal(keyEvent(key, modifiers, std::move(chars))).has_value();
        drainEvents();
        return passed;
    }
    bool toolbarShown() const { return delegate->toolbarController()->window()->isVisible(); }
    bool settingsShown() const {
        auto* c = delegate->settingsController();
        return c && c->window()->isVisible();
    }
    // The pointer `dx` points right of the status button's right edge.
    void pointerBesideStatusButton(double dx) {
        const auto f = *delegate->statusItem()->buttonFrame();
        t.mouse->setLocation(Point(f.maxX() + dx, f.midY()));
    }
    bool rightClickAtPointer() {
        const bool passed =
            injectLocal(mouseEvent(platform::EventType::rightMouseDown, t.mouse->location())).has_value();
        drainEvents();
        return passed;
    }

    TestDrawingState t;
    platform::Signal<> powerOff;
    std::unique_ptr<AppDelegate> delegate;
    std::vector<TerminateReply> replies;
    std::vector<EditAction> actions;
    bool editActionHandled = true;
};

} // namespace

TEST(Launch, ASecondCopyEndsBeforeShowingAnything) {
    const auto monitors = platform::EventMonitor::shared().localMonitorCount();
    Launched app(/*anotherCopyRuns=*/true);
    EXPECT_TRUE(app.state().isQuittingIntentionally);
    EXPECT_EQ(app.replies, std::vector<TerminateReply>{TerminateReply::now});
    EXPECT_FALSE(app.delegate->isLaunched());
    EXPECT_FALSE(app.delegate->statusItem());
    EXPECT_FALSE(app.delegate->toolbarController());
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), monitors);
}

// Images no record names are removed at start, but only by the copy that
// keeps running: a second copy's start would remove the cells the first one
// is importing before their record is in.
TEST(Launch, OnlyTheCopyThatRunsRemovesImagesNoRecordNames) {
    for (const bool anotherCopyRuns : {true, false}) {
        QStringList cells;
        Launched app(anotherCopyRuns, [&cells](TestDrawingState& t) {
            writeIndexFile(t.brushStore, {});
            cells = storeBitmapBrush(t.brushStore, 2, "being imported").cellFilenames;
        });
        for (const QString& cell : cells)
            EXPECT_EQ(QFile::exists(app.t.brushStore + '/' + cell), anotherCopyRuns) << anotherCopyRuns;
    }
}

// A test session may only give a check more time than a user has: no
// factor below one, nothing that is not a plain number.
TEST(Launch, TheTimerScaleOnlySlowsTheUserFacingTimers) {
    EXPECT_DOUBLE_EQ(AppServices::timerScaleFrom("10"), 10);
    EXPECT_DOUBLE_EQ(AppServices::timerScaleFrom(" 2.5 "), 2.5);
    for (const char* value : {"", "0.5", "0", "-3", "fast", "nan", "inf", "1e9"})
        EXPECT_DOUBLE_EQ(AppServices::timerScaleFrom(value), 1) << value;
}

TEST(Launch, OnlyTheStatusItemShowsAndEverythingIsWired) {
    Launched app;
    ASSERT_TRUE(app.delegate->statusItem());
    ASSERT_TRUE(app.delegate->toolbarController());
    EXPECT_FALSE(app.toolbarShown());
    EXPECT_FALSE(app.state().isToolbarVisible);
    EXPECT_FALSE(app.state().isOverlayVisible);
    EXPECT_TRUE(app.state().overlayControllers.empty());
    EXPECT_FALSE(app.state().isQuittingIntentionally);

    // The capture button's request starts a countdown.
    auto& capture = *app.delegate->captureCoordinator();
    platform::NotificationCenter::defaultCenter().post(Notifications::screenCaptureRequested);
    ASSERT_TRUE(capture.countdownController());
    capture.countdownController()->cancel();
    EXPECT_FALSE(capture.countdownController());
}

TEST(Quitting, CmdQClearsAndHidesButKeepsRunning) {
    Launched app;
    app.delegate->toggleToolbar();
    drainEvents();
    app.state().addStroke(DrawingStroke{});
    ASSERT_TRUE(app.toolbarShown());
    ASSERT_FALSE(app.state().overlayControllers.empty());

    EXPECT_FALSE(app.keyPasses(Key::q, Mod::command, "q"));
    EXPECT_EQ(app.replies, std::vector<TerminateReply>{TerminateReply::cancel});
    EXPECT_TRUE(app.state().strokes->empty());
    EXPECT_TRUE(app.state().undoStack->empty());
    EXPECT_FALSE(app.toolbarShown());
    EXPECT_FALSE(app.state().isToolbarVisible);
    EXPECT_FALSE(app.state().isOverlayVisible);
    EXPECT_TRUE(app.state().overlayControllers.empty());

    // The tray icon still works afterwards.
    app.delegate->statusItem()->leftClicked.emit();
    drainEvents();
    EXPECT_TRUE(app.toolbarShown());
    EXPECT_TRUE(app.state().isOverlayVisible);
}

TEST(Quitting, TheSessionsEndIsLetThrough) {
    Launched app;
    app.powerOff.emit();
    EXPECT_TRUE(app.state().isQuittingIntentionally);
    EXPECT_EQ(app.delegate->applicationShouldTerminate(), TerminateReply::now);
}

TEST(KeyEquivalents, OnlyCommandAloneCountsAndEditsGoToTheFocusedField) {
    Launched app;
    EXPECT_TRUE(app.keyPasses(Key::q, Mod::command | Mod::shift, "Q"));
    EXPECT_TRUE(app.keyPasses(Key::q, Mod::command | Mod::capsLock, "q"));
    EXPECT_TRUE(app.keyPasses(Key::q, 0, "q"));
    EXPECT_TRUE(app.keyPasses(Key::c, Mod::command | Mod::option, "c"));
    EXPECT_TRUE(app.replies.empty());
    EXPECT_TRUE(app.actions.empty());

    EXPECT_FALSE(app.keyPasses(Key::c, Mod::command, "c"));
    EXPECT_FALSE(app.keyPasses(Key::v, Mod::command, "V"));
    EXPECT_FALSE(app.keyPasses(0, Mod::command, "x"));
    EXPECT_FALSE(app.keyPasses(0, Mod::command, "a"));
    EXPECT_EQ(app.actions,
              (std::vector<EditAction>{EditAction::copy, EditAction::paste, EditAction::cut, EditAction::selectAll}));
    // Nobody took it: the key goes on.
    app.editActionHandled = false;
    EXPECT_TRUE(app.keyPasses(Key::c, Mod::command, "c"));
    EXPECT_TRUE(app.keyPasses(0, Mod::command, ""));
    EXPECT_TRUE(app.keyPasses(0, Mod::command, "k"));
}

TEST(StatusItem, LeftClicksShowAndHideTheToolbarWithTheOverlays) {
    Launched app;
    app.delegate->statusItem()->leftClicked.emit();
    drainEvents();
    EXPECT_TRUE(app.toolbarShown());
    EXPECT_TRUE(app.state().isToolbarVisible);
    EXPECT_EQ(app.state().overlayControllers.size(), 1u);

    app.delegate->statusItem()->leftClicked.emit();
    drainEvents();
    EXPECT_FALSE(app.toolbarShown());
    EXPECT_FALSE(app.state().isToolbarVisible);
    EXPECT_TRUE(app.state().overlayControllers.empty());
    EXPECT_EQ(app.state().strokes->size(), 0u);

    // Overlays hidden from the toolbar, toolbar still up: the window decides.
    app.delegate->toggleToolbar();
    app.state().hideOverlays();
    app.state().isToolbarVisible = false;
    drainEvents();
    app.delegate->toggleToolbar();
    drainEvents();
    EXPECT_FALSE(app.toolbarShown());
    EXPECT_FALSE(app.state().isOverlayVisible);
}

TEST(StatusItem, ARightClickWithinThreePointsTogglesTheSettingsPanel) {
    Launched app;
    app.pointerBesideStatusButton(2);
    EXPECT_TRUE(app.delegate->isMouseOverStatusButton());
    EXPECT_FALSE(app.rightClickAtPointer()) << "the monitor takes it";
    EXPECT_TRUE(app.settingsShown());
    EXPECT_EQ(OpenPanelRegistry::shared().openPanels().size(), 1u);
    EXPECT_FALSE(app.rightClickAtPointer());
    EXPECT_FALSE(app.settingsShown());
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());

    app.pointerBesideStatusButton(4);
    EXPECT_FALSE(app.delegate->isMouseOverStatusButton());
    EXPECT_TRUE(app.rightClickAtPointer());
    EXPECT_FALSE(app.settingsShown());

    // Reported by the item itself (the monitor did not see the click).
    app.delegate->statusItem()->rightClicked.emit();
    drainEvents();
    EXPECT_TRUE(app.settingsShown());
    app.delegate->statusItem()->rightClicked.emit();
    drainEvents();
    EXPECT_FALSE(app.settingsShown());
}

TEST(StatusItem, AfterThePanelClosedOnEscOneRightClickOpensItAgain) {
    Launched app;
    app.pointerBesideStatusButton(0);
    app.rightClickAtPointer();
    ASSERT_TRUE(app.settingsShown());
    EXPECT_FALSE(app.keyPasses(Key::escape, 0, {}));
    EXPECT_FALSE(app.settingsShown());
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
    app.rightClickAtPointer();
    EXPECT_TRUE(app.settingsShown());
    // A click elsewhere in the application closes it too.
    app.t.mouse->setLocation(Point(300, 300));
    EXPECT_FALSE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(300, 300))).has_value());
    drainEvents();
    EXPECT_FALSE(app.settingsShown());
}
