// The brush panel's window offscreen: where it opens for each side of the
// toolbar, the toggle of the brush slot's chevron, and the watch that fits
// its height when brushes come and go while it is open.
#include "model/DrawingState.h"
#include "support/BrushStoreFiles.h"
#include "support/FakeDialogs.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/GIMPBrushPanelWindowController.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/BorderlessButton.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/PanelSlider.h"

#include "ToolbarTestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using P = ToolbarDockPosition;

namespace {

// The real toolbar window, shown, so that the brush slot is a usable anchor.
struct ToolbarWindow {
    explicit ToolbarWindow(P position, std::vector<ImportedGIMPBrush> brushes = {})
        : t({TestDrawingState::defaultScreen()}, platform::UserDefaults::inMemory(), fakeOverlayControllers()) {
        t->toolbarDockPosition = position;
        t->importedGIMPBrushes = std::move(brushes);
        controller = std::make_unique<ToolbarWindowController>(t.state);
        const platform::Size size = controller->window()->frame().size;
        controller->window()->setFrame(isVertical(position) ? Rect(1380, 200, size.width, size.height)
                                                            : Rect(300, 850, size.width, size.height));
        if (position == P::bottomLeftH) controller->window()->setFrame(Rect(20, 20, size.width, size.height));
        controller->window()->orderFront();
        drainEvents();
    }
    ~ToolbarWindow() {
        panel.reset();
        controller.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingToolbarView& view() const { return *controller->toolbarView(); }
    Rect toolbar() const { return controller->window()->frame(); }
    Rect slot() const { return *view().gimpBrushRef->frameOnScreen(); }
    GIMPBrushPanelWindowController& open() {
        panel = std::make_unique<GIMPBrushPanelWindowController>(t.state, view().gimpBrushRef, nullptr);
        panel->showWindow();
        drainEvents();
        return *panel;
    }
    Rect frame() const { return panel->window()->frame(); }

    TestDrawingState t;
    std::unique_ptr<ToolbarWindowController> controller;
    std::unique_ptr<GIMPBrushPanelWindowController> panel;
};

std::vector<ImportedGIMPBrush> brushes(int n) {
    std::vector<ImportedGIMPBrush> list;
    for (int i = 0; i < n; ++i) list.push_back(parametricBrush(1 + i, 1, std::nullopt));
    return list;
}

// Waits for the frame to change; the time since `timer` started, in
// milliseconds (-1: it did not change).
qint64 refitTime(const ToolbarWindow& w, Rect before, const QElapsedTimer& timer) {
    if (!waitUntil([&] { return w.frame() != before; }, 3000)) return -1;
    return timer.elapsed();
}

} // namespace

TEST(BrushPanelWindow, HangsUnderATopToolbarCentredOnTheBrushSlot) {
    ToolbarWindow w(P::topCenterH);
    auto& panel = w.open();
    EXPECT_EQ(w.frame().width(), 240);
    EXPECT_EQ(w.frame().midX(), w.slot().midX());
    EXPECT_EQ(w.frame().maxY(), w.toolbar().minY());
    EXPECT_EQ(panel.direction(), PanelOpenDirection::below);
    EXPECT_EQ(panel.root()->corners(), (ui::PanelChrome::Corners{0, 0, 10, 10}));
    EXPECT_EQ(w.frame().height(), panel.root()->heightForWidth(240)) << "fitted to the content";
}

TEST(BrushPanelWindow, OnABottomToolbarItGrowsUpwardsOnceTheListHasSettled) {
    ToolbarWindow w(P::bottomLeftH, brushes(1));
    w.open();
    const Rect before = w.frame();
    EXPECT_EQ(before.minY(), w.toolbar().maxY());
    QElapsedTimer timer;
    timer.start();
    w.t->importedGIMPBrushes = brushes(3);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (timer.elapsed() < 70) {
        EXPECT_EQ(w.frame(), before) << "not before the list had time to lay out";
    }
    EXPECT_GE(refitTime(w, before, timer), 79);
    EXPECT_NEAR(w.frame().height(), before.height() + 2 * 47, 1);
    EXPECT_EQ(w.frame().minY(), before.minY()) << "the edge on the toolbar stays";
}

TEST(BrushPanelWindow, BesideARightToolbarItShrinksKeepingItsTop) {
    ToolbarWindow w(P::middleRightV, brushes(4));
    w.open();
    const Rect before = w.frame();
    EXPECT_EQ(before.maxX(), w.toolbar().minX());
    EXPECT_EQ(before.midY(), w.slot().midY());
    const ImportedGIMPBrush doomed = w.t->importedGIMPBrushes.get().back();
    QElapsedTimer timer;
    timer.start();
    w.t->deleteGIMPBrush(doomed);
    EXPECT_GE(refitTime(w, before, timer), 79);
    EXPECT_NEAR(w.frame().height(), before.height() - 47, 1);
    EXPECT_EQ(w.frame().maxY(), before.maxY());
}

TEST(BrushPanelWindow, SlidersAndEditsOfABrushLeaveTheFrameAlone) {
    ToolbarWindow w(P::topCenterH, brushes(2));
    auto& panel = w.open();
    const Rect before = w.frame();
    w.t->gimpBrushOpacity = 0.4;
    w.t->gimpBrushSpacing = 80;
    const ImportedGIMPBrush first = w.t->importedGIMPBrushes.get().front();
    VBRParams bigger = *first.vbr;
    bigger.radius = 40;
    w.t->rerenderVBRBrush(first.id, bigger, false);
    drainEvents();
    EXPECT_FALSE(panel.isRefitPending());
    EXPECT_EQ(w.frame(), before);

    // A difference of a point is no reason to move; two are.
    panel.window()->setFrame(Rect(before.minX(), before.minY() - 1, 240, before.height() + 1));
    panel.repositionToContent();
    EXPECT_EQ(w.frame().height(), before.height() + 1);
    panel.window()->setFrame(Rect(before.minX(), before.minY() - 2, 240, before.height() + 2));
    panel.repositionToContent();
    EXPECT_EQ(w.frame(), before);
}

TEST(BrushPanelWindow, ChoosingAParametricBrushMakesRoomForTheEditor) {
    ToolbarWindow w(P::topCenterH, brushes(2));
    auto& panel = w.open();
    const Rect before = w.frame();
    QElapsedTimer timer;
    timer.start();
    w.t->activeGIMPBrushID = w.t->importedGIMPBrushes.get().front().id;
    EXPECT_GE(refitTime(w, before, timer), 79);
    EXPECT_GT(w.frame().height(), before.height() + 150);
    EXPECT_EQ(w.frame().maxY(), before.maxY());
    PanelSlider* radius = panel.root()->findChildren<PanelSlider*>().back();
    const Rect sliderOnScreen =
        panel.window()->convertContentRectToScreen(QRectF(radius->mapTo(panel.root(), QPointF(0, 0)), radius->size()));
    EXPECT_GE(sliderOnScreen.minY(), w.frame().minY()) << "the last slider is inside the panel";
}

TEST(BrushPanelWindow, WithoutItsSlotItOpensAtTheTopOfTheMainScreen) {
    ToolbarHarness h; // a toolbar view in no window
    GIMPBrushPanelWindowController panel(h.t.state, h.view->gimpBrushRef, nullptr);
    const Rect f = panel.window()->frame();
    EXPECT_EQ(f.minX(), 720 - 120);
    EXPECT_EQ(f.maxY(), 900 - 60);
}

TEST(BrushPanelWindow, ClosingEndsTheWatch) {
    ToolbarWindow w(P::topCenterH, brushes(1));
    auto& panel = w.open();
    EXPECT_TRUE(panel.isObservingState());
    w.t->importedGIMPBrushes = brushes(2);
    EXPECT_TRUE(panel.isRefitPending());
    panel.closePanel();
    EXPECT_FALSE(panel.isObservingState());
    EXPECT_FALSE(panel.isRefitPending());
    const Rect closed = w.frame();
    w.t->importedGIMPBrushes = brushes(5);
    drainEvents();
    EXPECT_FALSE(panel.isRefitPending());
    EXPECT_EQ(w.frame(), closed);
}

TEST(BrushPanelWindow, TheChevronTogglesThePanelAndImportClosesIt) {
    FakeOpenPanels files;
    ToolbarWindow w(P::topCenterH);
    DrawingToolbarView& v = w.view();
    click(v.gimpBrushSlot(), QPointF(29, 12));
    GIMPBrushPanelWindowController* panel = v.panels().gimpBrushPanel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(panel->window()->isVisible());
    EXPECT_TRUE(v.gimpBrushPanelIsOpen);
    const auto& open = OpenPanelRegistry::shared().openPanels();
    EXPECT_NE(std::find(open.begin(), open.end(), panel), open.end());
    drainEvents();
    EXPECT_TRUE(v.gimpBrushSlot()->isPanelOpen());

    click(panel->root()->library()->importButton());
    EXPECT_FALSE(panel->window()->isVisible()) << "closed before the file panel shows";
    EXPECT_EQ(files.shown.size(), 1u);
    drainEvents();
    EXPECT_FALSE(v.gimpBrushPanelIsOpen);
    EXPECT_FALSE(w.t->isImportingBrushes.get()) << "the cancelled file panel brought the overlays back";

    click(v.gimpBrushSlot(), QPointF(29, 12));
    ASSERT_TRUE(v.panels().gimpBrushPanel());
    EXPECT_TRUE(v.panels().gimpBrushPanel()->window()->isVisible());
    click(v.gimpBrushSlot(), QPointF(29, 12));
    EXPECT_FALSE(v.panels().gimpBrushPanel());
    drainEvents();
    EXPECT_FALSE(v.gimpBrushPanelIsOpen);
    EXPECT_TRUE(OpenPanelRegistry::shared().openPanels().empty());
}
