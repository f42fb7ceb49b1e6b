// Keys, scrolling and right clicks on the overlays.
#include "OverlayTestSupport.h"

#include "platform/Dispatch.h"
#include "toolbar/FontPickerPanel.h"
#include "ui/OpenPanelRegistry.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::EventPhase;
using platform::EventType;
using platform::Point;
namespace Key = platform::KeyCode;
namespace Mod = platform::ModifierFlags;

namespace {

// Whether the key went on to its window (true) or was swallowed.
bool passes(std::uint16_t key, std::uint64_t modifiers = 0) {
    const bool passed = injectLocal(keyEvent(key, modifiers)).has_value();
    drainEvents();
    return passed;
}

struct PanelOpen {
    PanelOpen() { OpenPanelRegistry::shared().registerPanel(this); }
    ~PanelOpen() { OpenPanelRegistry::shared().unregisterPanel(this); }
};

platform::Event rightClick(double at, Point onScreen, platform::Window* window) {
    auto e = mouseEvent(EventType::rightMouseDown, onScreen, window);
    e.timestamp = at;
    return e;
}

} // namespace

TEST(OverlayKeys, EscUnwindsOneStatePerPress) {
    OverlayHarness h;
    h.showAll();
    h.t->isLineEditing = true;
    h.t->isBezierEditing = true;
    h.t->isTextEditing = true;
    h.t->isPickingAttachWindow = true;

    EXPECT_FALSE(passes(Key::escape));
    EXPECT_FALSE(h.t->isPickingAttachWindow);
    EXPECT_TRUE(h.t->isTextEditing) << "picking alone ends first";
    EXPECT_FALSE(passes(Key::escape));
    EXPECT_FALSE(h.t->isTextEditing);
    EXPECT_TRUE(h.t->isBezierEditing);
    EXPECT_FALSE(passes(Key::escape));
    EXPECT_FALSE(h.t->isBezierEditing);
    EXPECT_TRUE(h.t->isLineEditing);
    EXPECT_FALSE(passes(Key::escape, Mod::command)); // any modifiers run the chain
    EXPECT_FALSE(h.t->isLineEditing);
    EXPECT_EQ(h.t->selectedTool.get(), DrawingTool::pen);

    // Nothing left to unwind: the tool goes and move mode comes on.
    EXPECT_FALSE(passes(Key::escape));
    EXPECT_FALSE(h.t->selectedTool.get());
    EXPECT_TRUE(h.t->isMoveMode);
    EXPECT_TRUE(h.t->isOverlayVisible);
    // And the next Esc is left to the application.
    EXPECT_TRUE(passes(Key::escape));
}

TEST(OverlayKeys, ShiftEscUnwindsThenHidesAndHiddenOverlaysWatchNoKeys) {
    OverlayHarness h;
    h.showAll();
    h.t->isLineEditing = true;
    EXPECT_FALSE(passes(Key::escape, Mod::shift));
    EXPECT_FALSE(h.t->isLineEditing);
    EXPECT_TRUE(h.t->isOverlayVisible);

    EXPECT_FALSE(passes(Key::escape, Mod::shift));
    EXPECT_FALSE(h.t->isOverlayVisible);
    EXPECT_TRUE(h.t->overlayControllers.empty());
    EXPECT_EQ(h.t->selectedTool.get(), DrawingTool::pen) << "hiding keeps the tool";
    // No overlay is left to watch the keys.
    EXPECT_TRUE(passes(Key::escape, Mod::shift));
    EXPECT_TRUE(passes(Key::escape));
    EXPECT_FALSE(h.t->isOverlayVisible);
}

TEST(OverlayKeys, AnOpenPanelGetsEscFirstShiftEscIncluded) {
    OverlayHarness h;
    h.showAll();
    h.t->isLineEditing = true;
    {
        PanelOpen panel;
        EXPECT_TRUE(passes(Key::escape));
        EXPECT_TRUE(passes(Key::escape, Mod::shift));
        EXPECT_TRUE(h.t->isLineEditing);
        EXPECT_TRUE(h.t->isOverlayVisible);
    }
    // Once the panel is gone Esc acts on the drawing again.
    EXPECT_FALSE(passes(Key::escape));
    EXPECT_FALSE(h.t->isLineEditing);
}

TEST(OverlayKeys, UndoAndRedoActOnTheDisplayUnderThePointer) {
    OverlayHarness h;
    h.showAll();
    h.t->currentDrawingDisplayID = 1;
    h.t->addStroke(penStrokeOn(1, {{10, 10}}));
    h.t->currentDrawingDisplayID = 2;
    h.t->addStroke(penStrokeOn(2, {{10, 10}}));

    h.t.mouse->setLocation(Point(100, 100)); // display 1
    EXPECT_FALSE(passes(Key::z, Mod::command));
    ASSERT_EQ(h.t->strokes->size(), 1u);
    EXPECT_EQ(h.t->strokes->front().displayID, 2u);
    EXPECT_FALSE(passes(Key::z, Mod::command)); // nothing left on display 1
    EXPECT_EQ(h.t->strokes->size(), 1u);

    h.t.mouse->setLocation(Point(1600, 100)); // display 2
    EXPECT_FALSE(passes(Key::z, Mod::command));
    EXPECT_TRUE(h.t->strokes->empty());
    EXPECT_FALSE(passes(Key::z, Mod::command | Mod::shift));
    ASSERT_EQ(h.t->strokes->size(), 1u);
    EXPECT_EQ(h.t->strokes->front().displayID, 2u);

    // Caps Lock makes it another combination, which goes on.
    EXPECT_TRUE(passes(Key::z, Mod::command | Mod::capsLock));
    EXPECT_TRUE(passes(Key::z, Mod::command | Mod::option));
    EXPECT_EQ(h.t->strokes->size(), 1u);
}

TEST(OverlayKeys, DeleteRemovesTheEditedStrokeOrUndoesOrReachesTheText) {
    OverlayHarness h;
    h.showAll();
    // Nothing placed yet: the key goes on.
    EXPECT_TRUE(passes(Key::deleteKey));

    h.t->addStroke(penStrokeOn(1, {{10, 10}}));
    h.t->addStroke(penStrokeOn(1, {{20, 20}}));
    h.t.mouse->setLocation(Point(100, 100));
    h.t->isTextEditing = true;
    EXPECT_TRUE(passes(Key::deleteKey)) << "typed text gets Delete";
    h.t->isTextEditing = false;
    // The canvas forgets the last placed stroke when a text box opens.
    h.t->lastPlacedStrokeID = h.t->strokes->back().id;

    // The canvas takes the request at once; with nothing under edit it only
    // resets it.
    bool requested = false;
    auto request = h.t->pendingDeleteEdit.sink([&](bool v) { requested = requested || v; },
                                               platform::Delivery::Immediate, platform::Initial::Skip);
    h.t->isLineEditing = true;
    EXPECT_FALSE(passes(Key::forwardDelete));
    EXPECT_TRUE(requested);
    EXPECT_EQ(h.t->strokes->size(), 2u);
    h.t->isLineEditing = false;
    h.t->pendingDeleteEdit = false;
    drainEvents();

    EXPECT_FALSE(passes(Key::deleteKey));
    EXPECT_EQ(h.t->strokes->size(), 1u);
    // With a modifier it is another key.
    EXPECT_TRUE(passes(Key::forwardDelete, Mod::function));
    EXPECT_TRUE(passes(Key::deleteKey, Mod::shift));
    EXPECT_EQ(h.t->strokes->size(), 1u);
}

TEST(OverlayKeys, OurTextFieldsKeepDeleteAndEsc) {
    OverlayHarness h;
    h.showAll();
    h.t->addStroke(penStrokeOn(1, {{10, 10}}));
    h.t.mouse->setLocation(Point(100, 100));
    // A field of a panel (not an overlay) has the keyboard.
    platform::Window panel(platform::Rect(100, 100, 200, 40));
    auto* field = new QLineEdit;
    panel.setContentView(field);
    panel.makeKeyAndOrderFront();
    field->setFocus();
    ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == field; }));

    EXPECT_TRUE(passes(Key::deleteKey));
    EXPECT_TRUE(passes(Key::escape));
    EXPECT_EQ(h.t->strokes->size(), 1u);
    EXPECT_EQ(h.t->selectedTool.get(), DrawingTool::pen);
    // Undo still works from the field.
    EXPECT_FALSE(passes(Key::z, Mod::command));
    EXPECT_TRUE(h.t->strokes->empty());
}

TEST(OverlayKeys, AModalAlertGetsEscToCancelItself) {
    OverlayHarness h;
    h.showAll();
    h.t->isLineEditing = true;
    bool passed = false;
    QMessageBox box(QMessageBox::Question, "Update", "Install?", QMessageBox::Ok | QMessageBox::Cancel);
    platform::dispatchMain([&] {
        if (!waitUntil([] { return QApplication::activeModalWidget() != nullptr; })) return;
        passed = passes(Key::escape);
        // What a passed Esc does in the alert.
        box.reject();
    });
    box.exec();
    EXPECT_TRUE(passed);
    EXPECT_TRUE(h.t->isLineEditing) << "the overlays' Esc chain did not run";
}

TEST(OverlayKeys, TheFontPickersSearchAndSizeFieldsKeepDeleteAndEsc) {
    OverlayHarness h;
    h.showAll();
    h.t->addStroke(penStrokeOn(1, {{10, 10}}));
    h.t.mouse->setLocation(Point(100, 100));
    h.t->textFontSize = 24;
    // Keys the overlays would otherwise take: Esc would end the line edit,
    // Delete would remove the last stroke.
    h.t->isLineEditing = true;
    h.t->lastPlacedStrokeID = h.t->strokes->back().id;
    platform::Window window(platform::Rect(100, 100, 260, 400));
    auto* picker = new FontPickerPanel(h.t->textFontName, h.t->textFontSize, h.t.state);
    window.setContentView(picker);
    window.makeKeyAndOrderFront();
    for (QLineEdit* field : {picker->searchField(), picker->sizeField()}) {
        field->setFocus();
        ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == field; }));
        for (std::uint16_t key : {Key::deleteKey, Key::forwardDelete, Key::escape}) EXPECT_TRUE(passes(key)) << key;
        EXPECT_EQ(h.t->strokes->size(), 1u);
        EXPECT_TRUE(h.t->isLineEditing);
    }
}

TEST(OverlayKeys, ScrollingChangesTheEditedStrokesWidthInSteps) {
    OverlayHarness h;
    h.showAll();
    auto scroll = [](double dy, bool trackpad) {
        const bool passed =
            injectLocal(scrollEvent(dy, trackpad, trackpad ? EventPhase::changed : EventPhase::none)).has_value();
        drainEvents();
        return passed;
    };
    EXPECT_TRUE(scroll(12, true)) << "no edit: scrolling reaches what lies under the pointer";
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 0);

    h.t->isLineEditing = true;
    EXPECT_FALSE(scroll(12, true));
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 2);
    EXPECT_DOUBLE_EQ(h.controller(1)->scrollAccum + h.controller(2)->scrollAccum, 2);
    EXPECT_FALSE(scroll(-8, true));
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 1);
    EXPECT_DOUBLE_EQ(h.controller(1)->scrollAccum + h.controller(2)->scrollAccum, -1);

    // A wheel notch is one step whatever its size.
    EXPECT_FALSE(scroll(7, false));
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 2);
    EXPECT_FALSE(scroll(-0.5, false));
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 1);
    // The dead zone is swallowed and does nothing.
    EXPECT_FALSE(scroll(0.01, false));
    EXPECT_EQ(h.t->editingLineWidthStep.get(), 1);
}

TEST(OverlayKeys, RightDoubleClicksAreMeasuredInTheirWindow) {
    OverlayHarness h;
    h.showAll();
    auto* overlay = h.controller(1)->window();
    const double h1 = overlay->frame().height();
    const double y0 = overlay->frame().minY();
    auto click = [&](double at, Point p, platform::Window* w = nullptr) {
        const bool passed = injectLocal(rightClick(at, p, w ? w : overlay)).has_value();
        drainEvents();
        return passed;
    };
    h.t.mouse->setLocation(Point(100, 100));

    EXPECT_FALSE(click(10.0, Point(100, 100)));
    EXPECT_FALSE(h.t->rightDoubleClickLocation.get());
    EXPECT_FALSE(click(10.3, Point(106, 108)));
    ASSERT_TRUE(h.t->rightDoubleClickLocation.get());
    EXPECT_EQ(*h.t->rightDoubleClickLocation.get(), QPointF(106, h1 - (108 - y0)));

    // A third click starts a new pair; clicks 25 points apart never pair.
    h.t->rightDoubleClickLocation = std::nullopt;
    EXPECT_FALSE(click(10.4, Point(106, 108)));
    EXPECT_FALSE(h.t->rightDoubleClickLocation.get());
    EXPECT_FALSE(click(10.5, Point(131, 108)));
    EXPECT_FALSE(h.t->rightDoubleClickLocation.get());
    // Too slow.
    EXPECT_FALSE(click(11.0, Point(131, 108)));
    EXPECT_FALSE(h.t->rightDoubleClickLocation.get());

    // A click in a smaller window of ours is measured against that window.
    platform::Window small(platform::Rect(200, 200, 300, 100));
    EXPECT_FALSE(click(20.0, Point(250, 250), &small));
    EXPECT_FALSE(click(20.1, Point(252, 252), &small));
    ASSERT_TRUE(h.t->rightDoubleClickLocation.get());
    EXPECT_EQ(*h.t->rightDoubleClickLocation.get(), QPointF(52, 100 - 52));
}

TEST(OverlayKeys, RightClicksOnThePanelOrWithNothingShownGoOn) {
    OverlayHarness h;
    h.showAll();
    auto* overlay = h.controller(1)->window();
    // The pointer in the panel strip, where the tray icon sits.
    h.t.mouse->setLocation(Point(1400, 890));
    EXPECT_TRUE(injectLocal(rightClick(1, Point(1400, 890), overlay)).has_value());

    h.t.mouse->setLocation(Point(100, 100));
    h.t->hideOverlays();
    drainEvents();
    EXPECT_TRUE(injectLocal(rightClick(2, Point(100, 100), nullptr)).has_value());
}

TEST(OverlayKeys, RightPressesReachTheTextToolLayerAndStillPair) {
    OverlayHarness h;
    h.showAll();
    auto* overlay = h.controller(1)->window();
    h.t.mouse->setLocation(Point(100, 100));
    auto click = [&](double at, Point p) {
        const bool passed = injectLocal(rightClick(at, p, overlay)).has_value();
        drainEvents();
        return passed;
    };
    // With the text tool the press goes on, so a right drag can open a box.
    h.t->selectedTool = DrawingTool::text;
    EXPECT_TRUE(click(10.0, Point(100, 100)));
    EXPECT_TRUE(click(10.2, Point(104, 100)));
    EXPECT_TRUE(h.t->rightDoubleClickLocation.get());

    // An open box keeps the layer whatever the tool.
    h.t->selectedTool = DrawingTool::pen;
    h.t->isTextEditing = true;
    EXPECT_TRUE(click(12.0, Point(100, 100)));
    // Any other tool: swallowed.
    h.t->isTextEditing = false;
    EXPECT_FALSE(click(14.0, Point(100, 100)));
}

TEST(OverlayKeys, RightPressesOnTheStatusItemOrAPanelOnAnyEdgeGoOn) {
    // Panels on all four edges of the display, as desktops put them, and a
    // status item wherever the test says the pointer is over it.
    platform::Screen screen = FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900));
    screen.visibleFrame = platform::Rect(24, 24, 1392, 852);
    bool overStatusItem = false;
    TestDrawingState t({screen}, platform::UserDefaults::inMemory(),
                       OverlayWindowController::factory([&overStatusItem] { return overStatusItem; }));
    t->isToolbarVisible = true;
    t->showOverlays();
    drainEvents();
    auto* overlay = static_cast<OverlayWindowController*>(t->overlayControllers.at(1).get())->window();
    ASSERT_EQ(t->selectedTool.get(), DrawingTool::pen) << "draw mode";
    double at = 0;
    auto passesAt = [&](Point p) {
        t.mouse->setLocation(p);
        at += 1;
        const bool passed = injectLocal(rightClick(at, p, overlay)).has_value();
        drainEvents();
        return passed;
    };
    EXPECT_TRUE(passesAt(Point(700, 890))) << "the top panel";
    EXPECT_TRUE(passesAt(Point(700, 10))) << "the bottom panel";
    EXPECT_TRUE(passesAt(Point(10, 450))) << "the left panel";
    EXPECT_TRUE(passesAt(Point(1430, 450))) << "the right panel";
    EXPECT_FALSE(passesAt(Point(700, 450)));
    // Pixel by pixel at the edges of the visible frame: the pointer on a
    // pixel (x, row), rows counted down from the display's top.
    const auto pixel = [](int x, int row) { return Point(x, 900 - row); };
    EXPECT_TRUE(passesAt(pixel(700, 23))) << "the top panel's last row";
    EXPECT_FALSE(passesAt(pixel(700, 24))) << "the visible frame's first row";
    EXPECT_FALSE(passesAt(pixel(700, 875))) << "the visible frame's last row";
    EXPECT_TRUE(passesAt(pixel(700, 876))) << "the bottom panel's first row";
    EXPECT_TRUE(passesAt(Point(700, 23.5))) << "within the bottom panel's first row";
    EXPECT_TRUE(passesAt(pixel(23, 450))) << "the left panel's last column";
    EXPECT_FALSE(passesAt(pixel(24, 450))) << "the visible frame's first column";
    EXPECT_FALSE(passesAt(pixel(1415, 450))) << "the visible frame's last column";
    EXPECT_TRUE(passesAt(pixel(1416, 450))) << "the right panel's first column";

    // The status item's margin reaches into the visible frame.
    overStatusItem = true;
    EXPECT_TRUE(passesAt(Point(1400, 875)));
    overStatusItem = false;
    EXPECT_FALSE(passesAt(Point(1400, 875)));
    t->hideOverlays();
    drainEvents();
}
