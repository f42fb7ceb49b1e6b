// The toolbar view offscreen: its layouts, slots, swatch, width control,
// action buttons and show/hide control, as the drawing state changes.
#include "toolbar/CanvasVisibilityControl.h"
#include "toolbar/ColorSwatchView.h"
#include "toolbar/TextToolSlot.h"
#include "toolbar/ToolButton.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/WidthControl.h"
#include "toolbar/WidthSlider.h"

#include "ToolbarTestSupport.h"
#include "platform/NotificationCenter.h"
#include "ui/NotificationNames.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

#include <gtest/gtest.h>

using namespace testing_support;
using T = DrawingTool;
using P = ToolbarDockPosition;

namespace {

DrawingStroke strokeOn(platform::DisplayID id) {
    DrawingStroke s;
    s.displayID = id;
    return s;
}

} // namespace

TEST(ToolbarLayout, HorizontalPositionsLayTheItemsAcrossWithTheirPadding) {
    for (P position : {P::topCenterH, P::bottomCenterH, P::bottomRightH}) {
        ToolbarHarness h;
        h.t->toolbarDockPosition = position;
        h.settle();
        DrawingToolbarView& v = *h.view;
        ASSERT_FALSE(v.isVerticalLayout());
        const auto items = v.itemWidgets();
        ASSERT_EQ(items.size(), 23u) << "15 items, the seven slots and the width control's three parts";
        EXPECT_EQ(v.height(), 24 + 2 * 6);
        EXPECT_EQ(items.front()->x(), 12);
        EXPECT_EQ(items.back()->geometry().right() + 1, v.width() - 12);
        for (std::size_t i = 1; i < items.size(); ++i) {
            EXPECT_EQ(items[i]->x(), items[i - 1]->geometry().right() + 1 + 8) << "8 points between items";
            EXPECT_EQ(items[i]->geometry().center().y(), items[0]->geometry().center().y()) << "centred across";
        }
        EXPECT_EQ(v.direction(), position == P::topCenterH ? PanelOpenDirection::below : PanelOpenDirection::above);
        EXPECT_EQ(v.widthSlider()->size(), QSize(80, 16));
    }
}

TEST(ToolbarLayout, VerticalPositionsStackTheItemsWithTheirPadding) {
    ToolbarHarness h;
    h.t->toolbarDockPosition = P::topLeftV;
    h.settle();
    DrawingToolbarView& v = *h.view;
    ASSERT_TRUE(v.isVerticalLayout());
    const auto items = v.itemWidgets();
    EXPECT_EQ(items.front()->y(), 12);
    EXPECT_EQ(items.back()->geometry().bottom() + 1, v.height() - 12);
    EXPECT_EQ(v.width(), 40 + 2 * 6) << "the widest item is the 40-point width value";
    for (QWidget* w : items) EXPECT_NEAR(w->geometry().center().x(), v.width() / 2.0, 1);
    EXPECT_EQ(v.widthSlider()->size(), QSize(24, 80));
    EXPECT_EQ(v.direction(), PanelOpenDirection::toRight);
    EXPECT_EQ(v.lockButton()->chip()->placement(), TooltipPlacement::toolbar(PanelOpenDirection::toRight));

    h.t->toolbarDockPosition = P::topRightV;
    h.settle();
    EXPECT_EQ(v.direction(), PanelOpenDirection::toLeft);
    EXPECT_EQ(v.toolButtons().front()->chip()->placement(), TooltipPlacement::toolbar(PanelOpenDirection::toLeft));
}

TEST(ToolSlots, FamilySlotsShowTheFrontOfTheSavedOrderAndLightUpForMembers) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    EXPECT_EQ(v.penSlot()->shownTool(), T::pen);
    EXPECT_EQ(v.penSlot()->chip()->text(), "Pen");
    EXPECT_EQ(v.shapeSlot()->chip()->text(), "Rect");
    EXPECT_TRUE(v.penSlot()->isSelected()) << "the pen is the first tool";

    h.t->toolbarPenOrder = {T::airbrush, T::pen};
    h.t->selectedTool = T::chalk;
    h.settle();
    EXPECT_EQ(v.penSlot()->shownTool(), T::airbrush);
    EXPECT_EQ(v.penSlot()->chip()->text(), "Airbrush");
    EXPECT_TRUE(v.penSlot()->isSelected()) << "chalk is a pen, though not in the order";
    click(v.penSlot(), QPointF(12, 12));
    EXPECT_EQ(h.t->selectedTool.get(), T::airbrush);

    h.t->toolbarShapeOrder = std::vector<T>{};
    h.t->selectedTool = T::star;
    h.settle();
    EXPECT_EQ(v.shapeSlot()->shownTool(), T::rectangle);
    EXPECT_TRUE(v.shapeSlot()->isSelected());
    EXPECT_FALSE(v.penSlot()->isSelected());

    h.t->selectedTool = std::nullopt;
    h.settle();
    EXPECT_FALSE(v.shapeSlot()->isSelected());
    EXPECT_FALSE(v.gimpBrushSlot()->isSelected());
    for (ToolButton* b : v.toolButtons()) EXPECT_FALSE(b->isSelected());
}

TEST(ToolSlots, ChevronsLightUpWhileTheirPanelIsOpenAndTheIconsSelect) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    EXPECT_FALSE(v.penSlot()->isPanelOpen());
    v.penSubmenuIsOpen = true;
    h.settle();
    EXPECT_TRUE(v.penSlot()->isPanelOpen());
    v.penSubmenuIsOpen = false;
    h.settle();
    EXPECT_FALSE(v.penSlot()->isPanelOpen());

    // The chevron selects nothing; the icon part does.
    int chevrons = 0;
    auto sub = v.gimpBrushSlot()->chevronTapped.connect([&] { ++chevrons; });
    click(v.gimpBrushSlot(), QPointF(29, 12));
    EXPECT_EQ(chevrons, 1);
    EXPECT_EQ(h.t->selectedTool.get(), T::pen);
    click(v.gimpBrushSlot(), QPointF(5, 5));
    EXPECT_EQ(h.t->selectedTool.get(), T::gimpBrush);
    // A press on one part released over the other is no tap.
    press(v.shapeSlot(), QPointF(5, 5));
    release(v.shapeSlot(), QPointF(30, 5));
    EXPECT_EQ(h.t->selectedTool.get(), T::gimpBrush);

    for (ToolButton* b : v.toolButtons()) {
        // The corner of the square counts, although nothing is drawn there.
        click(b, QPointF(0.4, 23.4));
        EXPECT_EQ(h.t->selectedTool.get(), b->tool());
        h.settle();
        EXPECT_TRUE(b->isSelected());
        EXPECT_EQ(b->chip()->text(), displayName(b->tool()));
    }
}

TEST(ToolSlots, HoldingTheTextToolIsRecognisedAndAClickSelectsIt) {
    ToolbarHarness h;
    TextToolSlot* text = h.view->textSlot();
    EXPECT_EQ(text->chip()->text(), "Text (hold for font)");
    EXPECT_EQ(text->chip()->anchor(), h.view->fontRef);
    int holds = 0;
    auto sub = text->longPressed.connect([&] { ++holds; });

    // A quick click selects the text tool and is no hold.
    click(text);
    EXPECT_EQ(h.t->selectedTool.get(), T::text);
    EXPECT_FALSE(waitUntil([&] { return holds > 0; }, 600));

    // Held in place: recognised while still down; the release still clicks.
    h.t->selectedTool = T::pen;
    press(text, QPointF(12, 12));
    drag(text, QPointF(16, 18));
    EXPECT_TRUE(waitUntil([&] { return holds == 1; }, 2000));
    release(text, QPointF(16, 18));
    EXPECT_EQ(h.t->selectedTool.get(), T::text);
    EXPECT_EQ(holds, 1);

    // Moved more than 10 points while held: no hold.
    press(text, QPointF(2, 2));
    drag(text, QPointF(2, 13));
    EXPECT_FALSE(waitUntil([&] { return holds > 1; }, 600));
    release(text, QPointF(2, 13));
}

TEST(ColorSwatch, ShowsTheColourAndOutlinesWhileThePickerIsOpen) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    EXPECT_EQ(v.swatch()->color(), Color::red());
    EXPECT_EQ(v.swatch()->chip()->text(), "Color");
    EXPECT_EQ(v.swatch()->chip()->anchor(), v.swatchRef);
    EXPECT_EQ(v.swatchRef->nsView.data(), v.swatch()->anchorView());
    EXPECT_EQ(v.swatch()->size(), QSize(16, 16));
    h.t->selectedColor = Color{0, 0.5, 1, 1};
    v.colorPickerIsOpen = true;
    h.settle();
    EXPECT_EQ(v.swatch()->color(), (Color{0, 0.5, 1, 1}));
    EXPECT_TRUE(v.swatch()->isPickerOpen());
}

TEST(WidthControl, TheSliderSetsTheWidthAndFollowsIt) {
    ToolbarHarness h;
    WidthSlider* slider = h.view->widthSlider();
    EXPECT_EQ(slider->value(), 11);
    press(slider, slider->knobCentre(100) + QPointF(5, 0));
    release(slider, slider->knobCentre(100) + QPointF(5, 0));
    EXPECT_EQ(h.t->lineWidth.get(), 100);
    press(slider, slider->knobCentre(50));
    drag(slider, QPointF(-20, 8));
    release(slider, QPointF(-20, 8));
    EXPECT_EQ(h.t->lineWidth.get(), 1);
    h.t->lineWidth = 42.5;
    h.settle();
    EXPECT_EQ(slider->value(), 42.5);
    EXPECT_EQ(h.view->thicknessValue()->labelText(), "42 pt");

    // Turned for a vertical toolbar: the minimum at the bottom.
    slider->setVertical(true);
    EXPECT_EQ(slider->valueAt(QPointF(12, 79)), 1);
    EXPECT_EQ(slider->valueAt(QPointF(12, 0)), 100);
}

TEST(WidthControl, TypingAppliesOnReturnOrFocusLossOnceAndEscCancels) {
    ToolbarHarness h;
    ThicknessValue* value = h.view->thicknessValue();
    std::vector<QString> posted;
    auto& center = platform::NotificationCenter::defaultCenter();
    auto a = center.addObserver(Notifications::toolbarRequestKey, [&](auto&) { posted.push_back("request"); });
    auto b = center.addObserver(Notifications::toolbarResignKey, [&](auto&) { posted.push_back("resign"); });
    int widthAssignments = 0;
    auto c = h.t->lineWidth.sink([&](double) { ++widthAssignments; }, platform::Delivery::Immediate,
                                 platform::Initial::Skip);

    h.t->lineWidth = 12.9;
    widthAssignments = 0;
    click(value);
    EXPECT_TRUE(value->isEditingThickness());
    EXPECT_TRUE(value->thicknessFieldFocused());
    EXPECT_EQ(value->thicknessText(), "12");
    EXPECT_EQ(posted, std::vector<QString>{"request"});
    value->field()->setText("150");
    Q_EMIT value->field()->returnPressed();
    EXPECT_EQ(h.t->lineWidth.get(), 100);
    EXPECT_FALSE(value->isEditingThickness());
    EXPECT_FALSE(value->field()->isVisible());
    EXPECT_EQ(posted, (std::vector<QString>{"request", "resign"}));
    // The field losing focus on its way out applies nothing again.
    value->thicknessFocusChanged(false);
    EXPECT_EQ(widthAssignments, 1);

    // Esc drops the typed text.
    click(value);
    value->field()->setText("50");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(value->field(), &esc);
    EXPECT_EQ(h.t->lineWidth.get(), 100);
    EXPECT_FALSE(value->isEditingThickness());
    EXPECT_EQ(posted.back(), "resign");

    // Focus leaving while typing applies the text, once.
    click(value);
    value->field()->setText(" 8 pt ");
    widthAssignments = 0;
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(value->field(), &out);
    EXPECT_EQ(h.t->lineWidth.get(), 8);
    EXPECT_EQ(widthAssignments, 1);

    // Not a number: nothing changes, typing ends all the same.
    click(value);
    value->field()->setText("7,5");
    Q_EMIT value->field()->returnPressed();
    EXPECT_EQ(h.t->lineWidth.get(), 8);
    EXPECT_FALSE(value->isEditingThickness());
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "request"), std::count(posted.begin(), posted.end(), "resign"));
}

TEST(ActionButtons, UndoRedoClearAndCaptureActAndEnableWithTheirStacks) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    EXPECT_FALSE(v.undoButton()->isEnabled());
    EXPECT_FALSE(v.redoButton()->isEnabled());
    EXPECT_FALSE(v.clearButton()->isEnabled());
    EXPECT_EQ(v.clearButton()->tint(), ui::ThemeColor::secondary);

    h.t->addStroke(strokeOn(1));
    h.t->addStroke(strokeOn(1));
    h.settle();
    EXPECT_TRUE(v.undoButton()->isEnabled());
    EXPECT_TRUE(v.clearButton()->isEnabled());
    EXPECT_EQ(v.clearButton()->tint(), ui::ThemeColor::red);
    click(v.undoButton());
    EXPECT_EQ(h.t->strokes->size(), 1u);
    h.settle();
    ASSERT_TRUE(v.redoButton()->isEnabled());
    click(v.redoButton());
    EXPECT_EQ(h.t->strokes->size(), 2u);
    h.settle();
    click(v.clearButton());
    EXPECT_TRUE(h.t->strokes->empty());
    EXPECT_TRUE(h.t->undoStack->empty());
    h.settle();
    EXPECT_FALSE(v.clearButton()->isEnabled());

    int captures = 0;
    auto sub = platform::NotificationCenter::defaultCenter().addObserver(Notifications::screenCaptureRequested,
                                                                         [&](auto&) { ++captures; });
    EXPECT_EQ(v.captureButton()->chip()->text(), "Capture screen + drawing (3s)");
    click(v.captureButton());
    EXPECT_EQ(captures, 1);
    h.t->isAttachedToWindow = true;
    h.settle();
    EXPECT_EQ(v.captureButton()->chip()->text(), "Capture window + drawing (3s)");
    EXPECT_EQ(v.undoButton()->chip()->text(), "Undo");
    EXPECT_EQ(v.redoButton()->chip()->text(), "Redo");
    EXPECT_EQ(v.clearButton()->chip()->text(), "Clear all");
}

TEST(LeadingControlsView, LockPinAndTooltipSettingFollowTheState) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    EXPECT_EQ(v.lockButton()->symbol(), "lock.open.fill");
    click(v.lockButton());
    h.settle();
    EXPECT_EQ(v.lockButton()->symbol(), "lock.fill");
    EXPECT_EQ(v.lockButton()->chip()->text(), "Locked: all clicks pass through to other apps");
    click(v.pinButton());
    h.settle();
    EXPECT_TRUE(h.t->isPickingAttachWindow);
    EXPECT_EQ(v.pinButton()->symbol(), "scope");
    EXPECT_TRUE(v.pinButton()->chip()->showTooltips());

    h.t->showTooltips = false;
    h.settle();
    for (QWidget* w : v.itemWidgets())
        if (auto* chip = TooltipChipModifier::of(w)) {
            EXPECT_FALSE(chip->showTooltips()) << chip->text().toStdString();
        }
}

TEST(LeadingControlsView, TheShowHideControlBecomesAMenuWithStrokesOnTwoDisplays) {
    ToolbarHarness h({FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900), "Built-in"),
                      FakeScreenProvider::makeScreen(2, platform::Rect(1440, 0, 1920, 1080), "DELL U2720Q")});
    DrawingToolbarView& v = *h.view;
    CanvasVisibilityControl* canvas = v.canvasControl();
    EXPECT_FALSE(canvas->isMenu());
    EXPECT_EQ(canvas->chip()->text(), "Show Canvas");
    click(canvas);
    EXPECT_TRUE(h.t->isOverlayVisible);
    h.settle();
    EXPECT_EQ(canvas->symbol(), "eye.fill");
    EXPECT_EQ(canvas->tint(), ui::ThemeColor::orange);

    h.t->strokes = {strokeOn(1), strokeOn(1)};
    h.settle();
    EXPECT_FALSE(canvas->isMenu()) << "strokes on one display only";
    h.t->strokes = {strokeOn(1), strokeOn(2)};
    h.settle();
    ASSERT_TRUE(canvas->isMenu());
    EXPECT_EQ(canvas->toolTip(), "Show/Hide Canvas");
    EXPECT_TRUE(canvas->chip()->text().isEmpty());

    QMenu* menu = canvas->buildMenu();
    QStringList titles;
    for (QAction* a : menu->actions()) titles << (a->isSeparator() ? "—" : a->text());
    EXPECT_EQ(titles, (QStringList{"Hide All", "—", "Built-in", "DELL U2720Q"}));
    menu->actions().at(3)->trigger();
    EXPECT_EQ(h.t->hiddenDisplayIDs.get(), (std::set<platform::DisplayID>{2}));
    EXPECT_TRUE(h.t->isOverlayVisible);
    menu = canvas->buildMenu();
    menu->actions().at(0)->trigger();
    EXPECT_FALSE(h.t->isOverlayVisible);
}

// A display's name is the X server's: the menu shows it as written, an
// ampersand included, and makes no keyboard mnemonic of it.
TEST(LeadingControlsView, TheMenuShowsDisplayNamesAsWritten) {
    const QString name = QStringLiteral("Left & <b>Right</b>");
    ToolbarHarness h({FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900), "Built-in"),
                      FakeScreenProvider::makeScreen(2, platform::Rect(1440, 0, 1920, 1080), name)});
    h.t->strokes = {strokeOn(1), strokeOn(2)};
    h.settle();
    CanvasVisibilityControl* canvas = h.view->canvasControl();
    ASSERT_TRUE(canvas->isMenu());
    QAction* entry = canvas->buildMenu()->actions().at(3);
    EXPECT_TRUE(QKeySequence::mnemonic(entry->text()).isEmpty()) << entry->text().toStdString();
    EXPECT_EQ(entry->text().replace("&&", "&"), name);
}

TEST(SelectedTool, ChoosingAToolWhileTheOverlaysAreHiddenShowsThem) {
    ToolbarHarness h;
    ASSERT_FALSE(h.t->isOverlayVisible);
    h.t->selectedTool = std::nullopt;
    h.settle();
    EXPECT_FALSE(h.t->isOverlayVisible) << "no tool shows nothing";
    h.t->selectedTool = T::line;
    h.settle();
    EXPECT_TRUE(h.t->isOverlayVisible);
    EXPECT_EQ(h.t->overlayControllers.size(), 1u);

    h.t->hideOverlays();
    h.t->selectedTool = T::line;
    h.settle();
    EXPECT_FALSE(h.t->isOverlayVisible) << "the same tool again is no change";
}

TEST(ToolbarLook, ThePanelTakesItsColoursFromThePalette) {
    ToolbarHarness h;
    DrawingToolbarView& v = *h.view;
    auto panelPixel = [&] {
        QImage image(v.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        v.render(&image);
        // Inside the panel, between the pin and the first divider; outside
        // the rounded corner nothing is painted.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        return image.pixelColor(104, 4);
    };
    QPalette light = v.palette();
    light.setColor(QPalette::Window, QColor(236, 236, 236));
    light.setColor(QPalette::WindowText, Qt::black);
    v.setPalette(light);
    EXPECT_GT(panelPixel().lightness(), 200);
    QPalette dark = light;
    dark.setColor(QPalette::Window, QColor(40, 40, 42));
    dark.setColor(QPalette::WindowText, Qt::white);
    v.setPalette(dark);
    EXPECT_LT(panelPixel().lightness(), 60);
    EXPECT_EQ(panelPixel().alpha(), 255) << "opaque without a compositing manager";
}
