// The toolbar's anchored panels offscreen: the pen and shape submenus and
// the font picker, what they show and where they open.
#include "toolbar/FontPickerPanel.h"
#include "toolbar/FontPickerRoot.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/SubmenuWindowController.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/ToolbarWindowController.h"

#include "ToolbarTestSupport.h"

#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using T = DrawingTool;
using P = ToolbarDockPosition;
using D = PanelOpenDirection;

namespace {

// The real toolbar window, shown at a frame on the edge its position names,
// so that its controls are usable anchors.
struct ToolbarWindow {
    explicit ToolbarWindow(P position = P::topCenterH)
        : t({TestDrawingState::defaultScreen()}, platform::UserDefaults::inMemory(), fakeOverlayControllers()) {
        t->toolbarDockPosition = position;
        controller = std::make_unique<ToolbarWindowController>(t.state);
        const platform::Size size = controller->window()->frame().size;
        const D side = panelOpenDirection(position);
        const double x = side == D::toRight ? 8 : side == D::toLeft ? 1380 : 300;
        const double y = side == D::above ? 8 : isVertical(position) ? 200 : 850;
        controller->window()->setFrame(Rect(x, y, size.width, size.height));
        controller->window()->orderFront();
        drainEvents();
    }
    ~ToolbarWindow() {
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingToolbarView& view() const { return *controller->toolbarView(); }
    Rect toolbar() const { return controller->window()->frame(); }
    static Rect frameOf(const std::shared_ptr<AnchorRef>& ref) { return *ref->frameOnScreen(); }

    TestDrawingState t;
    std::unique_ptr<ToolbarWindowController> controller;
};

std::vector<T> toolsOf(const SubmenuContainer& menu) {
    std::vector<T> tools;
    for (SubmenuItem* item : menu.items()) tools.push_back(item->tool());
    return tools;
}

} // namespace

// ---- Submenu content ----

TEST(Submenus, OfferTheFamilyButItsFirstAndAPickMovesTheToolToTheFront) {
    ToolbarHarness h;
    h.t->toolbarPenOrder = {T::pen, T::calligraphyBrush, T::chalk};
    int dismissed = 0;
    auto box = std::make_shared<DismissBox>();
    box->dismiss = [&] { ++dismissed; };
    PenSubmenuRoot menu(h.t.state, box);
    EXPECT_EQ(toolsOf(menu), (std::vector<T>{T::calligraphyBrush, T::chalk}));

    click(menu.items()[1]);
    EXPECT_EQ(h.t->toolbarPenOrder.get(), (std::vector<T>{T::chalk, T::pen, T::calligraphyBrush}));
    EXPECT_EQ(h.t.defaults->stringArray("overink.toolbarPenOrder"),
              (QStringList{rawValueText(T::chalk), rawValueText(T::pen), rawValueText(T::calligraphyBrush)}));
    EXPECT_EQ(h.t->selectedTool.get(), T::chalk);
    EXPECT_EQ(dismissed, 1);
    h.settle();
    EXPECT_EQ(toolsOf(menu), (std::vector<T>{T::pen, T::calligraphyBrush}));
    EXPECT_EQ(h.view->penSlot()->shownTool(), T::chalk) << "the slot shows the pick";

    // The shape submenu works on its own order.
    h.t->toolbarShapeOrder = {T::rectangle, T::ellipse, T::star};
    ShapeSubmenuRoot shapes(h.t.state, nullptr);
    click(shapes.items()[1]);
    EXPECT_EQ(h.t->toolbarShapeOrder.get(), (std::vector<T>{T::star, T::rectangle, T::ellipse}));
    EXPECT_EQ(h.t.defaults->stringArray("overink.toolbarShapeOrder").value_or(QStringList()).front(),
              rawValueText(T::star));
    EXPECT_EQ(h.t->selectedTool.get(), T::star);
    EXPECT_EQ(h.t->toolbarPenOrder.get().front(), T::chalk);
}

TEST(Submenus, AOneToolFamilyShowsOnlyThePadding) {
    ToolbarHarness h;
    h.t->toolbarPenOrder = {T::airbrush};
    PenSubmenuRoot one(h.t.state, nullptr);
    EXPECT_TRUE(one.items().empty());
    EXPECT_EQ(one.sizeHint().height(), 8);
    h.t->toolbarPenOrder = std::vector<T>{};
    PenSubmenuRoot none(h.t.state, nullptr);
    EXPECT_TRUE(none.items().empty());
    // Items 24 high, 6 apart.
    h.t->toolbarShapeOrder = {T::rectangle, T::ellipse, T::star};
    ShapeSubmenuRoot two(h.t.state, nullptr);
    EXPECT_EQ(two.sizeHint().height(), 4 + 24 + 6 + 24 + 4);
}

TEST(Submenus, ItemsShowToolbarIconsLightTheSelectedToolAndCarryTheirNames) {
    ToolbarHarness h;
    h.t->toolbarPenOrder = {T::airbrush, T::pen, T::bezierPen, T::chalk};
    h.t->selectedTool = T::bezierPen;
    PenSubmenuRoot menu(h.t.state, nullptr);
    ASSERT_EQ(menu.items().size(), 3u);
    EXPECT_EQ(menu.items()[0]->symbol(), "scribble");
    EXPECT_EQ(menu.items()[1]->symbol(), "beziercurve");
    EXPECT_EQ(menu.items()[2]->symbol(), "pencil.tip");
    for (SubmenuItem* item : menu.items()) {
        EXPECT_EQ(item->isHighlighted(), item->tool() == T::bezierPen);
        EXPECT_EQ(item->chip()->text(), displayName(item->tool()));
        EXPECT_EQ(item->chip()->placement(), TooltipPlacement::side());
        EXPECT_TRUE(item->chip()->showTooltips());
        EXPECT_EQ(item->size(), QSize(24, 24));
    }
    h.t->selectedTool = std::nullopt;
    h.t->showTooltips = false;
    h.settle();
    for (SubmenuItem* item : menu.items()) {
        EXPECT_FALSE(item->isHighlighted());
        EXPECT_FALSE(item->chip()->showTooltips());
    }
}

TEST(Submenus, TheCornersFacingTheToolbarAreSquare) {
    ToolbarHarness h;
    h.t->toolbarDockPosition = P::bottomLeftH;
    PenSubmenuRoot menu(h.t.state, nullptr);
    EXPECT_EQ(menu.corners(), (ui::PanelChrome::Corners{4, 4, 0, 0})) << "top rounded, bottom square";
    h.t->toolbarDockPosition = P::middleLeftV;
    EXPECT_EQ(menu.corners(), (ui::PanelChrome::Corners{0, 4, 4, 0})) << "left square";
    FontPickerRoot font(h.t.state);
    EXPECT_EQ(font.corners(), (ui::PanelChrome::Corners{0, 10, 10, 0}));
    h.t->toolbarDockPosition = P::topRightH;
    EXPECT_EQ(font.corners(), (ui::PanelChrome::Corners{0, 0, 10, 10}));
}

// ---- Where the panels open ----

TEST(SubmenuPanel, HangsUnderItsSlotAsWideAsTheSlot) {
    ToolbarWindow w;
    const Rect anchor = ToolbarWindow::frameOf(w.view().penRef);
    ASSERT_EQ(anchor.width(), 34);
    PenSubmenuWindowController menu(w.t.state, w.view().penRef, nullptr);
    const Rect f = menu.window()->frame();
    EXPECT_EQ(f.minX(), anchor.minX());
    EXPECT_EQ(f.width(), 34);
    EXPECT_EQ(f.maxY(), w.toolbar().minY()) << "its top on the toolbar window's bottom edge";
    EXPECT_EQ(f.height(), 4 + 4 * 24 + 3 * 6 + 4) << "the default pen order offers four more pens";
    EXPECT_FALSE(menu.window()->isVisible());
}

TEST(SubmenuPanel, StandsOnABottomToolbarAndSitsBesideAVerticalOne) {
    {
        ToolbarWindow w(P::bottomCenterH);
        ShapeSubmenuWindowController menu(w.t.state, w.view().shapeRef, nullptr);
        EXPECT_EQ(menu.window()->frame().minY(), w.toolbar().maxY());
        EXPECT_EQ(menu.window()->frame().minX(), ToolbarWindow::frameOf(w.view().shapeRef).minX());
    }
    for (P position : {P::middleLeftV, P::middleRightV}) {
        ToolbarWindow w(position);
        const Rect anchor = ToolbarWindow::frameOf(w.view().shapeRef);
        ShapeSubmenuWindowController menu(w.t.state, w.view().shapeRef, nullptr);
        const Rect f = menu.window()->frame();
        if (position == P::middleLeftV) EXPECT_EQ(f.minX(), w.toolbar().maxX());
        else EXPECT_EQ(f.maxX(), w.toolbar().minX());
        EXPECT_EQ(f.midY(), anchor.midY());
        EXPECT_EQ(f.width(), anchor.width());
    }
}

TEST(SubmenuPanel, WithoutAUsableAnchorItIsThirtyFourWideAtTheTopOfTheMainScreen) {
    ToolbarHarness h; // a toolbar view in no window
    PenSubmenuWindowController menu(h.t.state, h.view->penRef, nullptr);
    const Rect f = menu.window()->frame();
    EXPECT_EQ(f.width(), 34);
    EXPECT_EQ(f.minX(), 720 - 17);
    EXPECT_EQ(f.maxY(), 900 - 60);
    PenSubmenuWindowController empty(h.t.state, std::make_shared<AnchorRef>(), nullptr);
    EXPECT_EQ(empty.window()->frame(), f);
}

TEST(FontPickerPanelWindow, OpensTenPointsLeftOfTheTextSlotOrBesideAVerticalToolbar) {
    {
        ToolbarWindow w(P::topLeftH);
        const Rect anchor = ToolbarWindow::frameOf(w.view().fontRef);
        FontPickerWindowController picker(w.t.state, w.view().fontRef, nullptr);
        const Rect f = picker.window()->frame();
        EXPECT_EQ(f.width(), 260);
        EXPECT_EQ(f.minX(), anchor.minX() - 10);
        EXPECT_EQ(f.maxY(), w.toolbar().minY());
        EXPECT_EQ(picker.direction(), D::below);
        EXPECT_GT(f.height(), 10);
    }
    ToolbarWindow w(P::middleRightV);
    const Rect anchor = ToolbarWindow::frameOf(w.view().fontRef);
    FontPickerWindowController picker(w.t.state, w.view().fontRef, nullptr);
    EXPECT_EQ(picker.window()->frame().maxX(), w.toolbar().minX());
    EXPECT_EQ(picker.window()->frame().midY(), anchor.midY());

    ToolbarHarness h;
    FontPickerWindowController fallback(h.t.state, h.view->fontRef, nullptr);
    EXPECT_EQ(fallback.window()->frame().minX(), 720 - 130);
}

TEST(FontPickerPanelWindow, GrowsUpwardsOnABottomToolbarAsItsContentGrows) {
    ToolbarWindow w(P::bottomCenterH);
    FontPickerWindowController picker(w.t.state, w.view().fontRef, nullptr);
    picker.showWindow();
    const Rect before = picker.window()->frame();
    EXPECT_EQ(before.minY(), w.toolbar().maxY());
    // More content (the size row, a first favourite) makes it taller.
    auto* extra = new QWidget;
    extra->setFixedHeight(120);
    static_cast<QVBoxLayout*>(picker.root()->panel()->layout())->addWidget(extra);
    EXPECT_TRUE(waitUntil([&] { return picker.window()->frame().height() == before.height() + 120; }, 2000));
    EXPECT_EQ(picker.window()->frame().minY(), before.minY()) << "the bottom stays on the toolbar";
    picker.closePanel();
}

TEST(FontPickerPanelWindow, TheSearchFieldStartsEmptyAndTheRootEditsTheTextFont) {
    ToolbarHarness h;
    FontPickerRoot root(h.t.state);
    FontPickerPanel* panel = root.panel();
    EXPECT_EQ(panel->searchField()->placeholderText(), QStringLiteral("Search fonts\u2026"));
    EXPECT_TRUE(panel->searchText().isEmpty());
    panel->searchField()->setText(QStringLiteral("Mono"));
    EXPECT_EQ(panel->searchText(), "Mono");
    EXPECT_EQ(&panel->fontName(), &h.t->textFontName);
    EXPECT_EQ(&panel->fontSize(), &h.t->textFontSize);
    EXPECT_EQ(panel->sizeHint().width(), 260);
}
