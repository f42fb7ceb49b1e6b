// The toolbar's rules as data: icons, families and slots, the order of its
// items, paddings, the typed width, the hold on the text tool, and the looks
// and menu of the leading controls.
#include "model/DrawingState.h"
#include "support/FakeOverlayController.h"
#include "support/TestDrawingState.h"
#include "toolbar/LeadingControls.h"
#include "toolbar/LongPress.h"
#include "toolbar/ThicknessText.h"
#include "toolbar/ToolFamilies.h"
#include "toolbar/ToolbarLayout.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;
using T = DrawingTool;

TEST(ToolFamilies, IconsAreTheStoredValuesButForThePens) {
    EXPECT_EQ(toolbarIconName(T::pen), "scribble");
    EXPECT_EQ(toolbarIconName(T::bezierPen), "beziercurve");
    for (T t : kAllDrawingTools)
        if (t != T::pen && t != T::bezierPen) {
            EXPECT_EQ(toolbarIconName(t), rawValueText(t));
        }
    EXPECT_EQ(toolbarIconName(T::ellipse), "circle");
    EXPECT_EQ(toolbarIconName(T::gimpBrush), "paintbrush.pointed.fill");
}

TEST(ToolFamilies, FamiliesGoByDeclarationOrderNotByTheUsersLists) {
    std::vector<T> pens, shapes;
    for (T t : kAllDrawingTools) {
        if (isPenFamilyTool(t)) pens.push_back(t);
        if (isShapeFamilyTool(t)) shapes.push_back(t);
    }
    EXPECT_EQ(pens, (std::vector<T>{T::pen, T::bezierPen, T::calligraphyBrush, T::brushPen, T::watercolorBrush,
                                    T::chalk, T::airbrush}));
    EXPECT_EQ(shapes.size(), 9u);
    EXPECT_EQ(shapes.front(), T::rectangle);
    EXPECT_EQ(shapes.back(), T::star);
    EXPECT_FALSE(isPenFamilyTool(T::gimpBrush));
    EXPECT_TRUE(isFreehandTool(T::gimpBrush));

    EXPECT_EQ(toolSlotList(),
              (std::vector<T>{T::pen, T::gimpBrush, T::line, T::arrow, T::rectangle, T::text, T::eraser}));
}

TEST(ToolFamilies, FamilySlotsShowTheFrontOfTheirOrderAndLightUpForAnyMember) {
    EXPECT_EQ(familyShownTool({T::airbrush, T::pen}, T::pen), T::airbrush);
    EXPECT_EQ(familyShownTool({}, T::pen), T::pen);
    EXPECT_EQ(familyShownTool({}, T::rectangle), T::rectangle);

    // Chalk is not in the default pen order, yet lights the pen slot.
    EXPECT_TRUE(slotIsSelected(T::pen, T::chalk));
    EXPECT_TRUE(slotIsSelected(T::pen, T::bezierPen));
    EXPECT_FALSE(slotIsSelected(T::pen, T::gimpBrush));
    EXPECT_TRUE(slotIsSelected(T::gimpBrush, T::gimpBrush));
    EXPECT_TRUE(slotIsSelected(T::rectangle, T::star));
    EXPECT_FALSE(slotIsSelected(T::line, T::star));
    EXPECT_FALSE(slotIsSelected(T::line, T::arrow));
    for (T slot : toolSlotList()) EXPECT_FALSE(slotIsSelected(slot, std::nullopt));
}

TEST(ToolbarLayout, FifteenItemsWithFiveDividersNeverSideBySideNorAtAnEnd) {
    const auto items = toolbarItems();
    using K = ToolbarItemKind;
    std::vector<K> kinds;
    for (const auto& i : items)
        if (kinds.empty() || i.kind != K::toolSlot || kinds.back() != K::toolSlot) kinds.push_back(i.kind);
    EXPECT_EQ(kinds, (std::vector<K>{K::canvasVisibility, K::lock, K::pin, K::divider, K::toolSlot, K::divider,
                                     K::colorSwatch, K::divider, K::widthControl, K::divider, K::redo, K::undo,
                                     K::clearAll, K::divider, K::capture}));
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](auto& i) { return i.kind == K::divider; }), 5);
    EXPECT_EQ(std::count_if(items.begin(), items.end(), [](auto& i) { return i.kind == K::toolSlot; }), 7);
    EXPECT_NE(items.front().kind, K::divider);
    EXPECT_NE(items.back().kind, K::divider);
}

TEST(ToolbarLayout, PaddingIsLongAlongTheToolbar) {
    for (ToolbarDockPosition p : kAllToolbarDockPositions) {
        const QMarginsF m = toolbarPadding(p);
        if (isVertical(p)) EXPECT_EQ(m, QMarginsF(6, 12, 6, 12)) << rawValueText(p).toStdString();
        else EXPECT_EQ(m, QMarginsF(12, 6, 12, 6)) << rawValueText(p).toStdString();
    }
}

TEST(ToolbarLayout, ATooLongToolbarBreaksEvenlyAtItsDividersAndOnlyThenElsewhere) {
    // Three groups of 24-point controls, 8 apart, parted by 3-point dividers.
    const ToolbarLineItem c{24, false}, d{3, true};
    const std::vector<ToolbarLineItem> items = {c, c, c, d, c, c, c, c, c, d, c, c};
    // 10 controls and 2 dividers with 11 gaps: 246 + 88 = 334.
    EXPECT_EQ(toolbarLineStarts(items, 8, 334), std::vector<std::size_t>{0}) << "it fits";
    // Two lines at a divider, the more even of the two breaks: 88 | 227
    // rather than 259 | 56.
    EXPECT_EQ(toolbarLineStarts(items, 8, 240), (std::vector<std::size_t>{0, 3}));
    EXPECT_FALSE(isShownInLines(items, {0, 3}, 3)) << "the divider at the break is left out";
    EXPECT_TRUE(isShownInLines(items, {0, 3}, 9));
    EXPECT_TRUE(isShownInLines(items, {0, 3}, 4));
    // Fewer lines come first: two lines broken inside a group (163 | 163)
    // rather than three at the dividers.
    EXPECT_EQ(toolbarLineStarts(items, 8, 184), (std::vector<std::size_t>{0, 6}));
    // Where two lines cannot hold it, three at both dividers (88, 152, 56).
    EXPECT_EQ(toolbarLineStarts(items, 8, 160), (std::vector<std::size_t>{0, 3, 9}));
    // The five-control group alone is too long: it breaks inside, and the
    // lines stay as few as can be.
    const auto starts = toolbarLineStarts(items, 8, 120);
    ASSERT_EQ(starts.size(), 3u);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const std::size_t to = i + 1 < starts.size() ? starts[i + 1] : items.size();
        double length = -8;
        for (std::size_t k = starts[i]; k < to; ++k)
            if (isShownInLines(items, starts, k)) length += items[k].length + 8;
        EXPECT_LE(length, 120) << "line " << i;
    }
    // A control longer than any line: the closest breaking, never a crash.
    EXPECT_FALSE(toolbarLineStarts({{500, false}, {3, true}, {24, false}}, 8, 100).empty());
    EXPECT_EQ(toolbarLineStarts({}, 8, 100), std::vector<std::size_t>{0});
}

TEST(ThicknessText, TypedTextsBecomeClampedWidthsOrNothing) {
    const std::pair<const char*, std::optional<double>> table[] = {
        {"150", 100}, {"0", 1},      {"-3", 1},  {"inf", 100}, {"nan", 100}, {"1e1", 10},  {"0x10", 16}, {"12", 12},
        {"7.5", 7.5}, {" 8 pt ", 8}, {"8Pt", 8}, {"12PT", 12}, {"1pt2", 12}, {"\t9\t", 9}, {"-inf", 1},  {"1e400", 100},
        {"7,5", {}},  {"abc", {}},   {"", {}},   {"pt", {}},   {"12 3", {}}, {"\n5", {}},  {"5\n", {}},  {"+4", 4},
    };
    for (const auto& [text, width] : table) EXPECT_EQ(parseTypedThickness(text), width) << '"' << text << '"';
}

TEST(ThicknessText, WidthsJustInsideTheRangeAreKeptAsTyped) {
    // The clamps bite at 1 and 100 exactly, not a point further in.
    const std::pair<const char*, double> table[] = {
        {"1", 1},    {"1.01", 1.01}, {"1.5", 1.5},   {"1.99", 1.99}, {"2", 2},
        {"0.99", 1}, {"99", 99},     {"99.5", 99.5}, {"100", 100},   {"100.5", 100},
    };
    for (const auto& [text, width] : table) EXPECT_EQ(parseTypedThickness(text), width) << '"' << text << '"';
}

TEST(ThicknessText, TheFieldAndLabelTruncateTowardZero) {
    EXPECT_EQ(thicknessFieldText(12.9), "12");
    EXPECT_EQ(thicknessFieldText(4.7), "4");
    EXPECT_EQ(thicknessLabelText(4.7), "4 pt");
    EXPECT_EQ(thicknessLabelText(100), "100 pt");
    EXPECT_EQ(thicknessFieldText(std::nan("")), "0");
}

TEST(LongPress, HeldStillForFourTenthsOfASecond) {
    LongPress lp;
    lp.press(10.0, {5, 5});
    EXPECT_FALSE(lp.check(10.39));
    EXPECT_FALSE(lp.move(10.2, {12, 12})) << "within 10 points";
    EXPECT_TRUE(lp.check(10.4));
    EXPECT_FALSE(lp.check(10.5)) << "once per press";
    EXPECT_FALSE(lp.release(10.6));

    // Released early: nothing, then or later.
    lp.press(20.0, {5, 5});
    EXPECT_FALSE(lp.release(20.3));
    EXPECT_FALSE(lp.check(21));

    // Wandered more than 10 points: nothing, even when held on.
    lp.press(30.0, {5, 5});
    EXPECT_FALSE(lp.move(30.1, {5, 15.01}));
    EXPECT_FALSE(lp.check(30.5));
    EXPECT_FALSE(lp.release(31));

    // Exactly 10 points away still holds.
    lp.press(40.0, {0, 0});
    EXPECT_FALSE(lp.move(40.1, {6, 8}));
    EXPECT_TRUE(lp.release(40.45)) << "held long enough though the timer had not run yet";

    // A move after the duration counts the hold as reached before it.
    lp.press(50.0, {0, 0});
    EXPECT_TRUE(lp.move(50.41, {40, 0}));
}

TEST(LeadingControls, LooksFollowTheirFlags) {
    using C = ui::ThemeColor;
    EXPECT_EQ(canvasVisibilityLook(true), (ControlLook{"eye.fill", C::orange, "Hide Canvas"}));
    EXPECT_EQ(canvasVisibilityLook(false), (ControlLook{"eye.slash.fill", C::primary, "Show Canvas"}));
    EXPECT_EQ(lockLook(true), (ControlLook{"lock.fill", C::purple, "Locked: all clicks pass through to other apps"}));
    EXPECT_EQ(lockLook(false), (ControlLook{"lock.open.fill", C::green, "Lock drawing."}));
    EXPECT_EQ(pinLook(true, true), (ControlLook{"pin.circle", C::blue, "Detach toolbar from window"}));
    EXPECT_EQ(pinLook(false, true),
              (ControlLook{"scope", C::orange, "Click any app window to dock to it (Esc to cancel)"}));
    EXPECT_EQ(pinLook(false, false), (ControlLook{"pin.circle", C::primary, "Dock toolbar to an app window"}));
}

namespace {
DrawingStroke strokeOn(platform::DisplayID id) {
    DrawingStroke s;
    s.displayID = id;
    return s;
}
std::vector<platform::Screen> threeScreens() {
    return {FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900), "Built-in"),
            FakeScreenProvider::makeScreen(2, platform::Rect(1440, 0, 1920, 1080), "DELL U2720Q"),
            FakeScreenProvider::makeScreen(3, platform::Rect(3360, 0, 1920, 1080), "Projector")};
}
} // namespace

TEST(LeadingControls, OnlyDisplaysWithStrokesAreListedAndDisplayZeroIsTheFirst) {
    const auto screens = threeScreens();
    EXPECT_TRUE(screensWithStrokes(screens, {}).empty());
    EXPECT_EQ(screensWithStrokes(screens, {strokeOn(2), strokeOn(2)}).size(), 1u);
    const auto two = screensWithStrokes(screens, {strokeOn(3), strokeOn(0)});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].displayID, 1u) << "display 0 counts for the first screen, in the platform's order";
    EXPECT_EQ(two[1].displayID, 3u);
    EXPECT_FALSE(screenHasStrokes(screens[1], false, {strokeOn(0)}));
}

TEST(LeadingControls, TheMenuNamesDisplaysByTheirOwnNamesAndTogglesThem) {
    TestDrawingState t(threeScreens(), platform::UserDefaults::inMemory(), fakeOverlayControllers());
    t->strokes = {strokeOn(1), strokeOn(3)};
    auto entries = canvasMenuEntries(*t.state);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], (CanvasMenuEntry{"Show All", "eye", std::nullopt}));
    EXPECT_EQ(entries[1], (CanvasMenuEntry{"Built-in", "eye", 1u}));
    EXPECT_EQ(entries[2], (CanvasMenuEntry{"Projector", "eye", 3u}));

    toggleAllCanvases(*t.state);
    EXPECT_TRUE(t->isOverlayVisible);
    EXPECT_EQ(canvasMenuEntries(*t.state)[0].title, "Hide All");
    EXPECT_EQ(canvasMenuEntries(*t.state)[2].symbol, "eye.slash");
    toggleScreenCanvas(*t.state, 3);
    EXPECT_EQ(t->hiddenDisplayIDs.get(), (std::set<platform::DisplayID>{3}));
    entries = canvasMenuEntries(*t.state);
    EXPECT_EQ(entries[0].title, "Hide All") << "display 1 is still shown";
    EXPECT_EQ(entries[1].symbol, "eye.slash");
    EXPECT_EQ(entries[2].symbol, "eye");
    toggleAllCanvases(*t.state);
    EXPECT_FALSE(t->isOverlayVisible);
}

TEST(LeadingControls, ThePinPicksOrDetachesButNeverBoth) {
    TestDrawingState t;
    toggleLock(*t.state);
    EXPECT_TRUE(t->captureAll);
    toggleLock(*t.state);
    EXPECT_FALSE(t->captureAll);

    togglePinToWindow(*t.state);
    EXPECT_TRUE(t->isPickingAttachWindow);
    togglePinToWindow(*t.state);
    EXPECT_FALSE(t->isPickingAttachWindow) << "a second click ends picking";

    t->isAttachedToWindow = true;
    togglePinToWindow(*t.state);
    EXPECT_FALSE(t->isAttachedToWindow);
    EXPECT_FALSE(t->isPickingAttachWindow) << "detaching starts no new pick";
}
