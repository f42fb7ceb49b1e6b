// The window rule and the click rule step by step, and where they differ.
#include "app/PointerRules.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using platform::Point;
using platform::Rect;
using platform::Screen;
using Step = PointerStep;

namespace {

Screen screen(Rect frame, Rect visible) {
    Screen s;
    s.displayID = 1;
    s.frame = frame;
    s.visibleFrame = visible;
    return s;
}

// A 1440×900 display with a 24-point panel along its top, covered by an
// overlay that leaves out the bottom row; the pointer in the middle of the
// visible area; pen selected, nothing edited, no stroke anywhere.
struct Situation {
    PointerModes modes = [] {
        PointerModes m;
        m.selectedTool = DrawingTool::pen;
        return m;
    }();
    bool hasContentView = true;
    Rect windowFrame{0, 1, 1440, 899};
    std::vector<Screen> screens{screen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 876))};
    std::vector<Rect> ourWindows;
    std::vector<QRectF> passthroughRects;
    Point location{200, 500};
    bool strokeUnderPoint = false;

    // Content coordinates: y down from the window's top edge.
    QPointF viewPoint() const { return {location.x - windowFrame.minX(), windowFrame.maxY() - location.y}; }

    mutable int strokeQueries = 0;
    StrokeUnderPoint strokeTest() const {
        return [this](QPointF) {
            ++strokeQueries;
            return strokeUnderPoint;
        };
    }
    PointerDecision window() const {
        return windowPointerRule({modes, hasContentView, windowFrame, screens, ourWindows, passthroughRects, location,
                                  viewPoint(), strokeTest()});
    }
    PointerDecision click() const { return clickPointerRule({modes, passthroughRects, viewPoint(), strokeTest()}); }
};

struct Row {
    const char* step;
    std::function<void(Situation&)> setUp;
    PointerDecision expected;
};

// Each row sets up its step to decide, mostly with later steps that would
// decide too or the other way: the step reported shows the order.
void runTable(const std::vector<Row>& rows, PointerDecision (Situation::*rule)() const) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        Situation s;
        row.setUp(s);
        EXPECT_EQ((s.*rule)(), row.expected);
        // The stroke hit test is the costly step: asked only when it decides.
        EXPECT_EQ(s.strokeQueries, row.expected.step == Step::strokeUnderPoint ? 1 : 0);
    }
}

void editingEverything(Situation& s) {
    s.modes.isTextEditing = s.modes.isLineEditing = s.modes.isBezierEditing = true;
    s.modes.selectedTool = DrawingTool::text;
    s.strokeUnderPoint = true;
}

void passthroughMode(Situation& s) {
    s.modes.selectedTool = std::nullopt;
    s.modes.isMoveMode = true;
}

} // namespace

TEST(PointerRules, TheWindowRuleStepByStep) {
    const std::vector<Row> rows = {
        {"lock on",
         [](Situation& s) {
             editingEverything(s);
             s.modes.captureAll = s.modes.isPickingAttachWindow = s.modes.isImportingBrushes = true;
         },
         {false, Step::lockOn}},
        {"picking a window",
         [](Situation& s) {
             editingEverything(s);
             s.modes.isPickingAttachWindow = s.modes.isImportingBrushes = true;
             s.hasContentView = false;
         },
         {false, Step::pickingWindow}},
        {"modal file panel",
         [](Situation& s) {
             editingEverything(s);
             s.modes.isImportingBrushes = true;
             s.hasContentView = false;
         },
         {false, Step::modalFilePanel}},
        {"no content view",
         [](Situation& s) {
             editingEverything(s);
             s.hasContentView = false;
             s.location = Point(2000, 500);
         },
         {false, Step::noContentView}},
        {"outside the window: its right edge",
         [](Situation& s) {
             editingEverything(s);
             s.location = Point(1440, 500);
         },
         {false, Step::outsideWindow}},
        {"outside the window: the bottom row",
         [](Situation& s) {
             editingEverything(s);
             s.location = Point(200, 0.5);
         },
         {false, Step::outsideWindow}},
        {"the panel strip: its last row",
         [](Situation& s) {
             editingEverything(s);
             s.location = Point(200, 877);
             s.passthroughRects = {QRectF(0, 0, 1440, 900)};
         },
         {false, Step::outsideVisibleFrame}},
        {"the first screen holding the pointer decides",
         [](Situation& s) {
             editingEverything(s);
             s.screens.push_back(screen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 900)));
             s.location = Point(200, 880);
         },
         {false, Step::outsideVisibleFrame}},
        {"...and only the first",
         [](Situation& s) {
             editingEverything(s);
             s.screens.insert(s.screens.begin(), screen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 900)));
             s.location = Point(200, 880);
         },
         {true, Step::textEditing}},
        {"off every screen the visible area is not asked",
         [](Situation& s) {
             editingEverything(s);
             s.screens.clear();
             s.location = Point(200, 880);
         },
         {true, Step::textEditing}},
        {"one of our windows (the toolbar, a panel)",
         [](Situation& s) {
             editingEverything(s);
             s.ourWindows = {Rect(1000, 800, 300, 36), Rect(150, 450, 100, 100)};
             s.passthroughRects = {QRectF(0, 0, 1440, 900)};
         },
         {false, Step::ourWindow}},
        {"one of our windows: its top row",
         [](Situation& s) {
             editingEverything(s);
             s.ourWindows = {Rect(150, 400, 100, 100)};
         },
         {false, Step::ourWindow}},
        {"one of our windows: the column right of it and the row above it are outside it",
         [](Situation& s) {
             editingEverything(s);
             s.ourWindows = {Rect(100, 400, 100, 100), Rect(150, 300, 100, 100)};
         },
         {true, Step::textEditing}},
        {"a passthrough rectangle",
         [](Situation& s) {
             editingEverything(s);
             s.passthroughRects = {QRectF(0, 0, 10, 10), QRectF(150, 390, 100, 26)};
         },
         {false, Step::passthroughRect}},
        {"a passthrough rectangle's lower edge is outside it",
         [](Situation& s) {
             editingEverything(s);
             s.passthroughRects = {QRectF(150, 374, 100, 26)};
         },
         {true, Step::textEditing}},
        {"text editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isTextEditing = true;
         },
         {true, Step::textEditing}},
        {"text tool in move mode",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.selectedTool = DrawingTool::text;
             s.modes.isLineEditing = true;
         },
         {true, Step::textTool}},
        {"line editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isLineEditing = s.modes.isBezierEditing = true;
         },
         {true, Step::lineEditing}},
        {"bezier editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isBezierEditing = true;
         },
         {true, Step::bezierEditing}},
        {"draw mode", [](Situation&) {}, {true, Step::drawMode}},
        {"no tool, over a stroke",
         [](Situation& s) {
             s.modes.selectedTool = std::nullopt;
             s.strokeUnderPoint = true;
         },
         {true, Step::strokeUnderPoint}},
        {"move mode, over empty canvas",
         [](Situation& s) { s.modes.isMoveMode = true; },
         {false, Step::strokeUnderPoint}},
        {"a live stroke is no reason to take the pointer",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.strokeInProgress = true;
         },
         {false, Step::strokeUnderPoint}},
    };
    runTable(rows, &Situation::window);
}

TEST(PointerRules, TheWindowRuleTakesEveryPixelOfTheVisibleFrameAndNoneBeyond) {
    // Panels 24 pixels deep on all four edges; the pointer on a pixel (x,
    // row), rows counted down from the display's top, as X counts them.
    const auto pixel = [](int x, int row) { return Point(x, 900 - row); };
    const std::vector<std::tuple<const char*, Point, bool>> probes = {
        {"the top panel's last row", pixel(700, 23), false},
        {"the visible frame's first row", pixel(700, 24), true},
        {"the visible frame's last row", pixel(700, 875), true},
        {"the bottom panel's first row", pixel(700, 876), false},
        {"the left panel's last column", pixel(23, 450), false},
        {"the visible frame's first column", pixel(24, 450), true},
        {"the visible frame's last column", pixel(1415, 450), true},
        {"the right panel's first column", pixel(1416, 450), false},
        {"the visible frame's top left pixel", pixel(24, 24), true},
        {"the visible frame's bottom right pixel", pixel(1415, 875), true},
    };
    for (const auto& [where, location, takes] : probes) {
        SCOPED_TRACE(where);
        Situation s;
        s.screens = {screen(Rect(0, 0, 1440, 900), Rect(24, 24, 1392, 852))};
        s.location = location;
        EXPECT_EQ(s.window(), (PointerDecision{takes, takes ? Step::drawMode : Step::outsideVisibleFrame}));
    }
    // Without panels the visible frame is the display: the overlay's first
    // row is its, and only the bottom row, which the window leaves out, is
    // not.
    Situation s;
    s.screens = {screen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 900))};
    for (const auto& [row, decision] : std::vector<std::pair<int, PointerDecision>>{
             {0, {true, Step::drawMode}}, {898, {true, Step::drawMode}}, {899, {false, Step::outsideWindow}}}) {
        s.location = pixel(700, row);
        EXPECT_EQ(s.window(), decision) << "row " << row;
    }
}

TEST(PointerRules, TheClickRuleStepByStep) {
    const std::vector<Row> rows = {
        {"a passthrough rectangle",
         [](Situation& s) {
             editingEverything(s);
             s.modes.strokeInProgress = true;
             s.passthroughRects = {QRectF(150, 390, 100, 26)};
         },
         {false, Step::passthroughRect}},
        {"a stroke in progress",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.strokeInProgress = true;
         },
         {true, Step::strokeInProgress}},
        {"text editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isTextEditing = s.modes.isLineEditing = s.modes.isBezierEditing = true;
         },
         {true, Step::textEditing}},
        {"text tool in move mode",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.selectedTool = DrawingTool::text;
             s.modes.isLineEditing = s.modes.isBezierEditing = true;
         },
         {true, Step::textTool}},
        {"line editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isLineEditing = s.modes.isBezierEditing = true;
         },
         {true, Step::lineEditing}},
        {"bezier editing",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.isBezierEditing = true;
         },
         {true, Step::bezierEditing}},
        {"draw mode", [](Situation&) {}, {true, Step::drawMode}},
        {"draw mode under the lock, over a stroke",
         [](Situation& s) {
             s.modes.captureAll = true;
             s.strokeUnderPoint = true;
         },
         {true, Step::strokeUnderPoint}},
        {"draw mode under the lock, over empty canvas",
         [](Situation& s) { s.modes.captureAll = true; },
         {false, Step::strokeUnderPoint}},
        {"move mode, over empty canvas",
         [](Situation& s) { s.modes.isMoveMode = true; },
         {false, Step::strokeUnderPoint}},
    };
    runTable(rows, &Situation::click);
}

TEST(PointerRules, WhereTheWindowRuleRefusesAndTheClickRuleAccepts) {
    const std::vector<std::pair<const char*, std::function<void(Situation&)>>> cases = {
        // The lock refuses the whole window, but only turns the click rule's
        // draw mode off. Everything else the window rule refuses for lets
        // the click through before the click rule is asked.
        {"lock on, over a stroke",
         [](Situation& s) {
             s.modes.captureAll = true;
             s.strokeUnderPoint = true;
         }},
        {"lock on, text editing",
         [](Situation& s) {
             s.modes.captureAll = true;
             s.modes.isTextEditing = true;
         }},
        {"picking a window", [](Situation& s) { s.modes.isPickingAttachWindow = true; }},
        {"modal file panel", [](Situation& s) { s.modes.isImportingBrushes = true; }},
        {"the panel strip", [](Situation& s) { s.location = Point(200, 880); }},
        {"a live stroke over empty canvas",
         [](Situation& s) {
             passthroughMode(s);
             s.modes.strokeInProgress = true;
         }},
    };
    for (const auto& [situation, setUp] : cases) {
        SCOPED_TRACE(situation);
        Situation s;
        setUp(s);
        EXPECT_FALSE(s.window().accepts);
        EXPECT_TRUE(s.click().accepts);
    }
}
