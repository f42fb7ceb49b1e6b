// The overlay's pointer rule: where its window takes the pointer and where
// it lets clicks through, re-decided on flag and stroke changes.
#include "OverlayTestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Point;

namespace {

struct Case {
    const char* name;
    std::function<void(DrawingState&)> setUp;
    bool overEmptyCanvas; // pointer in the visible area, no stroke under it
    bool overStroke;      // pointer on a placed stroke of this display
};

} // namespace

TEST(PointerRule, OneTableOfModes) {
    using T = DrawingTool;
    const std::vector<Case> cases = {
        {"draw mode", [](DrawingState&) {}, true, true},
        {"lock on", [](DrawingState& s) { s.captureAll = true; }, false, false},
        {"lock on, no tool",
         [](DrawingState& s) {
             s.captureAll = true;
             s.selectedTool = std::nullopt;
         },
         false, false},
        {"picking a window", [](DrawingState& s) { s.isPickingAttachWindow = true; }, false, false},
        {"modal file panel up", [](DrawingState& s) { s.isImportingBrushes = true; }, false, false},
        {"no tool", [](DrawingState& s) { s.selectedTool = std::nullopt; }, false, true},
        {"tool in move mode", [](DrawingState& s) { s.isMoveMode = true; }, false, true},
        {"text tool in move mode",
         [](DrawingState& s) {
             s.selectedTool = T::text;
             s.isMoveMode = true;
         },
         true, true},
        {"text editing, no tool",
         [](DrawingState& s) {
             s.selectedTool = std::nullopt;
             s.isTextEditing = true;
         },
         true, true},
        {"line editing, no tool",
         [](DrawingState& s) {
             s.selectedTool = std::nullopt;
             s.isLineEditing = true;
         },
         true, true},
        {"bezier editing, move mode",
         [](DrawingState& s) {
             s.isMoveMode = true;
             s.isBezierEditing = true;
         },
         true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayHarness h;
        h.t->addStroke(penStrokeOn(1, {{100, 100}, {300, 100}}));
        h.showAll();
        c.setUp(*h.t.state);
        h.movePointer(OverlayHarness::onDisplay1({200, 400}));
        EXPECT_EQ(h.takesPointer(), c.overEmptyCanvas);
        h.movePointer(OverlayHarness::onDisplay1({200, 100}));
        EXPECT_EQ(h.takesPointer(), c.overStroke);
    }
}

TEST(PointerRule, EdgesPassthroughStripsAndOtherDisplaysPassClicksThrough) {
    OverlayHarness h;
    h.t->addStroke(penStrokeOn(2, {{100, 100}, {300, 100}})); // display 2's stroke at the same canvas point
    h.showAll();
    // The panel strip along the top of display 1 keeps its clicks.
    h.movePointer(Point(500, 890));
    EXPECT_FALSE(h.takesPointer());
    h.movePointer(Point(500, 870));
    EXPECT_TRUE(h.takesPointer());
    // A pinned window's title strip passes clicks through in draw mode too.
    h.t->overlayPassthroughRects = {QRectF(400, 200, 300, 26)};
    h.controller(1)->passthroughRectsChanged();
    h.movePointer(OverlayHarness::onDisplay1({450, 210}));
    EXPECT_FALSE(h.takesPointer());
    h.movePointer(OverlayHarness::onDisplay1({450, 226})); // the strip's lower edge is outside it
    EXPECT_TRUE(h.takesPointer());
    // The pointer on display 2 is outside display 1's overlay.
    h.movePointer(Point(1600, 300));
    EXPECT_FALSE(h.takesPointer(1));
    EXPECT_TRUE(h.takesPointer(2));
    // In passthrough only this display's own strokes take the pointer.
    h.t->selectedTool = std::nullopt;
    h.movePointer(OverlayHarness::onDisplay1({200, 100}));
    EXPECT_FALSE(h.takesPointer(1));
    h.movePointer(Point(1440 + 200, 800 - 100));
    EXPECT_TRUE(h.takesPointer(2));
}

TEST(PointerRule, FlagChangesReapplyItButNeverWhileAButtonIsHeld) {
    OverlayHarness h;
    h.showAll();
    h.movePointer(OverlayHarness::onDisplay1({200, 400}));
    ASSERT_TRUE(h.takesPointer());

    // Each watched flag applies the rule again on its own.
    h.t->captureAll = true;
    drainEvents();
    EXPECT_FALSE(h.takesPointer());
    h.t->captureAll = false;
    drainEvents();
    EXPECT_TRUE(h.takesPointer());
    h.t->selectedTool = std::nullopt;
    drainEvents();
    EXPECT_FALSE(h.takesPointer());
    h.t->isTextEditing = true;
    drainEvents();
    EXPECT_TRUE(h.takesPointer());
    h.t->isTextEditing = false;
    drainEvents();
    EXPECT_FALSE(h.takesPointer());

    // Selecting a tool during a drag changes nothing until the button is up.
    h.t.mouse->setPressedButtons(1);
    h.t->currentStroke = penStrokeOn(1, {{1, 1}});
    h.t->selectedTool = DrawingTool::pen;
    drainEvents();
    EXPECT_FALSE(h.takesPointer());
    EXPECT_TRUE(h.t->currentStroke.get()) << "a live stroke during a drag is left alone";

    // Released: the next evaluation applies the rule and drops the live
    // stroke left over.
    h.t.mouse->setPressedButtons(0);
    h.t->isMoveMode = false;
    drainEvents();
    EXPECT_TRUE(h.takesPointer());
    EXPECT_FALSE(h.t->currentStroke.get());
}

TEST(PointerRule, MovementIsFollowedOnlyWhileToolbarAndOverlayAreShown) {
    OverlayHarness h;
    h.showAll();
    auto* c = h.controller(1);
    EXPECT_TRUE(c->hasMouseMoveMonitors());

    // Hiding the toolbar stops following the pointer and lets every click
    // through until a watched flag changes.
    h.t->isToolbarVisible = false;
    drainEvents();
    EXPECT_FALSE(c->hasMouseMoveMonitors());
    EXPECT_FALSE(h.takesPointer());
    h.movePointer(OverlayHarness::onDisplay1({200, 400}));
    EXPECT_FALSE(h.takesPointer()) << "movements are no longer followed";
    h.t->isMoveMode = false;
    drainEvents();
    EXPECT_TRUE(h.takesPointer()) << "a flag change still applies the rule";

    // Shown again: followed again.
    h.t->isToolbarVisible = true;
    drainEvents();
    EXPECT_TRUE(c->hasMouseMoveMonitors());

    // The monitors are never doubled.
    c->installMouseMoveMonitors();
    const auto monitors = platform::EventMonitor::shared().localMonitorCount();
    c->installMouseMoveMonitors();
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), monitors);
}

TEST(PointerRule, AClosedControllerNeverChangesItsWindowAgain) {
    OverlayHarness h;
    h.showAll();
    auto controller = h.t->overlayControllers.at(1);
    auto* c = static_cast<OverlayWindowController*>(controller.get());
    h.t->hideOverlays();
    drainEvents();
    EXPECT_FALSE(c->window()->isVisible());
    const bool ignoring = c->window()->shape().ignoresMouseEvents();
    h.t->selectedTool = std::nullopt;
    h.t->isTextEditing = true;
    h.movePointer(OverlayHarness::onDisplay1({200, 400}));
    EXPECT_EQ(c->window()->shape().ignoresMouseEvents(), ignoring);
    EXPECT_FALSE(c->hasMouseMoveMonitors());
}

TEST(PointerRule, AWholeDisplaysOverlayLeavesOutItsBottomRow) {
    OverlayHarness h;
    h.showAll();
    EXPECT_EQ(h.controller(1)->windowFrame(), platform::Rect(0, 1, 1440, 899));
    EXPECT_EQ(h.controller(2)->windowFrame(), platform::Rect(1440, 1, 1280, 799));
    // A frame fitted to a pinned window is taken as it is; the display's own
    // frame given back is trimmed again.
    h.t->setAttachedOverlayFrame(platform::Rect(102, 202, 796, 496), 1);
    EXPECT_EQ(h.controller(1)->windowFrame(), platform::Rect(102, 202, 796, 496));
    h.t->restoreOverlayFrames();
    EXPECT_EQ(h.controller(1)->windowFrame(), platform::Rect(0, 1, 1440, 899));
    // The bottom row is outside the window, so it lets clicks through. (A
    // pointer location's y is the primary display's height less the
    // pointer's pixel row: y = 1 is the row just below the window, y = 2 is
    // its last row.)
    h.movePointer(Point(100, 0));
    EXPECT_FALSE(h.takesPointer());
    h.movePointer(Point(100, 1));
    EXPECT_FALSE(h.takesPointer());
    h.movePointer(Point(100, 2));
    EXPECT_TRUE(h.takesPointer());
}

TEST(PointerRule, ReleasesAndPassthroughChangesActWithoutAnyMovement) {
    OverlayHarness h;
    h.showAll();
    h.t.mouse->setLocation(OverlayHarness::onDisplay1({450, 210}));
    ASSERT_TRUE(h.takesPointer());
    // A pinned window's title strip set while the pointer rests over it.
    h.t->overlayPassthroughRects = {QRectF(400, 200, 300, 26)};
    h.controller(1)->passthroughRectsChanged();
    EXPECT_FALSE(h.takesPointer());
    h.t->overlayPassthroughRects.clear();
    h.controller(1)->passthroughRectsChanged();
    EXPECT_TRUE(h.takesPointer());

    // A live stroke whose drag ended out of the canvas's sight stays while a
    // button is held and goes with the release, wherever that lands.
    h.t.mouse->setPressedButtons(1);
    h.t->currentStroke = penStrokeOn(1, {{1, 1}});
    injectLocal(mouseEvent(platform::EventType::leftMouseUp, Point(5, 5)));
    drainEvents();
    EXPECT_TRUE(h.t->currentStroke.get()) << "the server still reports the button held";
    h.t.mouse->setPressedButtons(0);
    injectLocal(mouseEvent(platform::EventType::leftMouseUp, Point(5, 5)));
    drainEvents();
    EXPECT_FALSE(h.t->currentStroke.get());

    // A region change put off during a drag arrives with the release.
    h.t.mouse->setPressedButtons(1);
    h.t->overlayPassthroughRects = {QRectF(400, 200, 300, 26)};
    h.controller(1)->passthroughRectsChanged();
    EXPECT_TRUE(h.takesPointer());
    h.t.mouse->setPressedButtons(0);
    injectLocal(mouseEvent(platform::EventType::leftMouseUp, Point(5, 5)));
    drainEvents();
    EXPECT_FALSE(h.takesPointer());
}
