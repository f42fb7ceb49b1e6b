// The overlay's input region against its window rule: for random scenes, in
// every mode, a pixel is in the region exactly when the rule takes the
// pointer there.
#include "app/OverlayWindowController.h"
#include "app/PointerRegion.h"
#include "app/StrokeCoverage.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <random>

using namespace testing_support;
using platform::Rect;

namespace {

// Display 1 has panels on three edges; display 2 overlaps its bottom right
// corner and comes first, so it decides there.
std::vector<platform::Screen> scene() {
    platform::Screen one = FakeScreenProvider::makeScreen(1, Rect(0, 0, 800, 600));
    one.visibleFrame = Rect(30, 40, 740, 530);
    platform::Screen two = FakeScreenProvider::makeScreen(2, Rect(600, 0, 400, 300));
    two.visibleFrame = Rect(600, 0, 400, 250);
    return {two, one};
}

struct Overlay {
    Overlay() : t(scene(), platform::UserDefaults::inMemory(), OverlayWindowController::factory()) {
        t->isToolbarVisible = true;
        t->showOverlays();
        drainEvents();
        controller = static_cast<OverlayWindowController*>(t->overlayControllers.at(1).get());
    }
    ~Overlay() { t->hideOverlays(); }

    // Compares the region with the rule at every `step`-th pixel (shifted by
    // a random phase per row), the pointer placed as the mouse reports it.
    int disagreements(std::mt19937& rng, int step) {
        const QRegion region = controller->pointerRegion();
        QWidget* host = controller->window()->widget();
        const QPoint origin = host->mapToGlobal(QPoint(0, 0));
        std::uniform_int_distribution<int> phase(0, step - 1);
        int wrong = 0;
        for (int y = 0; y < host->height(); ++y) {
            for (int x = phase(rng); x < host->width(); x += step) {
                t.mouse->setLocation(platform::toScreen(QPointF(origin + QPoint(x, y))));
                const bool rule = controller->shouldAcceptMouse();
                if (rule != region.contains(QPoint(x, y)) && ++wrong <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): the rule says " << rule;
            }
        }
        return wrong;
    }

    TestDrawingState t;
    OverlayWindowController* controller = nullptr;
};

} // namespace

TEST(PointerRegion, RegionAndRuleAgreeOnEveryModeForRandomScenes) {
    Overlay o;
    std::mt19937 rng(31);
    for (int scene = 0; scene < 3; ++scene) {
        SCOPED_TRACE(scene);
        std::vector<DrawingStroke> strokes;
        for (int i = 0; i < 40; ++i) {
            DrawingStroke s = randomStroke(mixedTool(i + scene), rng, QSizeF(800, 600), 10 + i % 30);
            // Mostly this display's; display 0 counts as the first screen's
            // (display 2 here), so neither those nor display 2's take part.
            s.displayID = i % 7 == 0 ? 2 : i % 5 == 0 ? 0 : 1;
            if (i % 6 == 0) s.offset = QSizeF(12.5, -7.25);
            strokes.push_back(s);
        }
        o.t->strokes = strokes;
        o.t->overlayPassthroughRects = {QRectF(100.5, 50.25 + 100 * scene, 300, 26)};
        drainEvents();

        o.t->selectedTool = std::nullopt;
        o.t->isMoveMode = true;
        EXPECT_EQ(o.disagreements(rng, 3), 0) << "passthrough";
        o.t->selectedTool = DrawingTool::pen;
        o.t->isMoveMode = false;
        EXPECT_EQ(o.disagreements(rng, 7), 0) << "draw mode";
        o.t->isLineEditing = true;
        o.t->selectedTool = std::nullopt;
        EXPECT_EQ(o.disagreements(rng, 9), 0) << "line editing";
        o.t->isLineEditing = false;
        o.t->captureAll = true;
        EXPECT_TRUE(o.controller->pointerRegion().isEmpty()) << "the lock";
        EXPECT_EQ(o.disagreements(rng, 13), 0);
        o.t->captureAll = false;
    }
}

TEST(PointerRegion, TheWindowsRegionFollowsStrokesAndFlagsWhileTheRuleApplies) {
    Overlay o;
    OverlayWindow* w = o.controller->window();
    o.t->selectedTool = std::nullopt;
    o.t->isMoveMode = true;
    drainEvents();
    ASSERT_TRUE(w->mouseRegion());
    EXPECT_TRUE(w->mouseRegion()->isEmpty()) << "no strokes: clicks pass everywhere";

    DrawingStroke s;
    s.points = std::vector<QPointF>{{200, 300}, {400, 300}};
    s.lineWidth = 4;
    s.displayID = 1;
    o.t->addStroke(s);
    drainEvents();
    ASSERT_TRUE(w->mouseRegion());
    EXPECT_TRUE(w->mouseRegion()->contains(QPoint(300, 311)));
    EXPECT_FALSE(w->mouseRegion()->contains(QPoint(300, 312)));

    // Draw mode: everything the rule allows, the panels' strips left out.
    o.t->selectedTool = DrawingTool::pen;
    o.t->isMoveMode = false;
    drainEvents();
    EXPECT_TRUE(w->mouseRegion()->contains(QPoint(400, 300)));
    EXPECT_FALSE(w->mouseRegion()->contains(QPoint(10, 300)));

    // Hiding the toolbar stops following: every click passes until a flag
    // applies the rule again.
    o.t->isToolbarVisible = false;
    drainEvents();
    EXPECT_TRUE(w->ignoresMouseEvents());
    s.id = QUuid::createUuid();
    s.points = std::vector<QPointF>{{200, 100}, {400, 100}};
    o.t->addStroke(s);
    drainEvents();
    EXPECT_TRUE(w->ignoresMouseEvents()) << "strokes alone do not bring the rule back";
    o.t->isMoveMode = true;
    drainEvents();
    ASSERT_TRUE(w->mouseRegion());
    EXPECT_TRUE(w->mouseRegion()->contains(QPoint(300, 100)));
    EXPECT_TRUE(w->mouseRegion()->contains(QPoint(300, 300)));
}

TEST(StrokeCoverage, CountsStrokesOneByOneAndMergesEqualRows) {
    StrokeCoverage c;
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    const auto spansA = std::make_shared<const std::vector<PixelSpan>>(
        std::vector<PixelSpan>{{0, 0, 10}, {1, 0, 10}, {2, 0, 10}, {3, 5, 8}});
    const auto spansB =
        std::make_shared<const std::vector<PixelSpan>>(std::vector<PixelSpan>{{2, 8, 20}, {3, 100, 300}});
    c.update({{a, spansA}, {b, spansB}}, QSize(200, 100));
    const QRegion r = c.region(QPoint(10, 5));
    EXPECT_EQ(r, QRegion(10, 5, 10, 2) + QRegion(10, 7, 20, 1) + QRegion(15, 8, 3, 1) + QRegion(110, 8, 100, 1))
        << "cut at the grid's right edge";
    EXPECT_EQ(r.rectCount(), 4) << "rows 0 and 1 make one rectangle";

    // b goes: only what b alone covered goes with it.
    c.update({{a, spansA}}, QSize(200, 100));
    EXPECT_EQ(c.region(QPoint()), QRegion(0, 0, 10, 3) + QRegion(5, 3, 3, 1));
    EXPECT_EQ(c.strokeCount(), 1u);

    // Three hundred strokes over one pixel, then all but one gone.
    const auto dot = std::make_shared<const std::vector<PixelSpan>>(std::vector<PixelSpan>{{50, 50, 51}});
    std::vector<StrokeCoverage::Entry> many{{a, spansA}};
    for (int i = 0; i < 300; ++i) many.emplace_back(QUuid::createUuid(), dot);
    c.update(many, QSize(200, 100));
    EXPECT_TRUE(c.region(QPoint()).contains(QPoint(50, 50)));
    many.resize(2);
    c.update(many, QSize(200, 100));
    EXPECT_TRUE(c.region(QPoint()).contains(QPoint(50, 50)));
    many.resize(1);
    c.update(many, QSize(200, 100));
    EXPECT_FALSE(c.region(QPoint()).contains(QPoint(50, 50)));
    EXPECT_EQ(c.region(QPoint()), QRegion(0, 0, 10, 3) + QRegion(5, 3, 3, 1));
}
