// The overlay's input region against its window rule: for random scenes, in
// every mode, a pixel is in the region exactly when the rule takes the
// pointer there.
#include "app/OverlayWindowController.h"
#include "app/PointerRegion.h"
#include "app/StrokeCoverage.h"
#include "canvas/StrokeRenderer.h"
#include "model/DrawingState.h"
#include "support/RandomStrokes.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(PointerRegion, InDrawModeItIsExactlyTheVisibleFramesPixels) {
    // Panels on all four edges: rows 0-29 and 570-599, columns 0-29 and
    // 770-799 are theirs (y down, as X counts pixels).
    platform::Screen screen = FakeScreenProvider::makeScreen(1, Rect(0, 0, 800, 600));
    screen.visibleFrame = Rect(30, 30, 740, 540);
    TestDrawingState t({screen}, platform::UserDefaults::inMemory(), OverlayWindowController::factory());
    t->isToolbarVisible = true;
    t->showOverlays();
    drainEvents();
    auto* c = static_cast<OverlayWindowController*>(t->overlayControllers.at(1).get());
    EXPECT_EQ(c->pointerRegion(), QRegion(30, 30, 740, 540));
    ASSERT_TRUE(c->window()->shape().mouseRegion());
    EXPECT_EQ(*c->window()->shape().mouseRegion(), QRegion(30, 30, 740, 540));

    // Without panels: the whole window, which leaves out the bottom row.
    screen.visibleFrame = screen.frame;
    t.screens->setScreens({screen});
    drainEvents();
    EXPECT_EQ(*c->window()->shape().mouseRegion(), QRegion(0, 0, 800, 599));
    t->hideOverlays();
}

TEST(PointerRegion, TheWindowsRegionFollowsStrokesAndFlagsWhileTheRuleApplies) {
    Overlay o;
    OverlayWindow* w = o.controller->window();
    o.t->selectedTool = std::nullopt;
    o.t->isMoveMode = true;
    drainEvents();
    ASSERT_TRUE(w->shape().mouseRegion());
    EXPECT_TRUE(w->shape().mouseRegion()->isEmpty()) << "no strokes: clicks pass everywhere";

    DrawingStroke s;
    s.points = std::vector<QPointF>{{200, 300}, {400, 300}};
    s.lineWidth = 4;
    s.displayID = 1;
    o.t->addStroke(s);
    drainEvents();
    ASSERT_TRUE(w->shape().mouseRegion());
    EXPECT_TRUE(w->shape().mouseRegion()->contains(QPoint(300, 311)));
    EXPECT_FALSE(w->shape().mouseRegion()->contains(QPoint(300, 312)));

    // Draw mode: everything the rule allows, the panels' strips left out.
    o.t->selectedTool = DrawingTool::pen;
    o.t->isMoveMode = false;
    drainEvents();
    EXPECT_TRUE(w->shape().mouseRegion()->contains(QPoint(400, 300)));
    EXPECT_FALSE(w->shape().mouseRegion()->contains(QPoint(10, 300)));

    // Hiding the toolbar stops following: every click passes until a flag
    // applies the rule again.
    o.t->isToolbarVisible = false;
    drainEvents();
    EXPECT_TRUE(w->shape().ignoresMouseEvents());
    s.id = QUuid::createUuid();
    s.points = std::vector<QPointF>{{200, 100}, {400, 100}};
    o.t->addStroke(s);
    drainEvents();
    EXPECT_TRUE(w->shape().ignoresMouseEvents()) << "strokes alone do not bring the rule back";
    o.t->isMoveMode = true;
    drainEvents();
    ASSERT_TRUE(w->shape().mouseRegion());
    EXPECT_TRUE(w->shape().mouseRegion()->contains(QPoint(300, 100)));
    EXPECT_TRUE(w->shape().mouseRegion()->contains(QPoint(300, 300)));
}

TEST(PointerRegion, OurWindowsAboveTheOverlaysKeepTheirClicksWhereverTheyGo) {
    Overlay o;
    OverlayWindow* w = o.controller->window();
    drainEvents();
    ASSERT_TRUE(w->shape().mouseRegion());
    // Display 1 is 600 high: a frame's y-up top edge at 536 is row 64.
    const QPoint onToolbar(200, 80), belowIt(200, 120);
    ASSERT_TRUE(w->shape().mouseRegion()->contains(onToolbar)) << "draw mode";

    // Shown, the toolbar's frame leaves the region at once, before any
    // click on it can arrive, however the window manager stacks the two.
    platform::Window toolbar(Rect(100, 500, 300, 36));
    toolbar.stacking().setLevel(platform::WindowLevel::panel);
    toolbar.orderFront();
    EXPECT_FALSE(w->shape().mouseRegion()->contains(onToolbar));
    EXPECT_TRUE(w->shape().mouseRegion()->contains(belowIt));
    std::mt19937 rng(5);
    EXPECT_EQ(o.disagreements(rng, 11), 0) << "the rule agrees";

    // It follows the window.
    toolbar.setFrame(Rect(100, 460, 300, 36));
    EXPECT_TRUE(w->shape().mouseRegion()->contains(onToolbar));
    EXPECT_FALSE(w->shape().mouseRegion()->contains(belowIt));

    // A window that lets the pointer through (a tooltip chip) keeps
    // nothing; nor does a hidden one.
    platform::Window chip(Rect(150, 500, 100, 30));
    chip.stacking().setLevel(platform::WindowLevel::popUp);
    chip.shape().setIgnoresMouseEvents(true);
    chip.orderFront();
    EXPECT_TRUE(w->shape().mouseRegion()->contains(onToolbar));
    toolbar.orderOut();
    EXPECT_TRUE(w->shape().mouseRegion()->contains(belowIt));
}

TEST(PointerRegion, KeptUpStrokeByStrokeItAlwaysEqualsARegionBuiltAfresh) {
    Overlay o, fresh;
    OverlayWindow* w = o.controller->window();
    for (Overlay* overlay : {&o, &fresh}) {
        overlay->t->selectedTool = std::nullopt;
        overlay->t->isMoveMode = true;
        overlay->t->overlayPassthroughRects = {QRectF(100.5, 150.25, 300, 26)};
        // Undo and redo act on the display under the pointer.
        overlay->t.mouse->setLocation(platform::Point{100, 500});
    }
    drainEvents();
    DrawingState& s = *o.t.state;
    std::mt19937 rng(1207);
    const auto unit = [&] { return std::uniform_real_distribution<double>(0, 1)(rng); };
    for (int step = 0; step < 140; ++step) {
        SCOPED_TRACE(step);
        // Several changes sometimes come within one turn.
        const int changes = unit() < 0.3 ? 3 : 1;
        for (int k = 0; k < changes; ++k) {
            const double pick = unit();
            const std::size_t n = s.strokes->size();
            if (pick < 0.35 || n == 0) {
                // Mostly this display's; display 0 is the first screen's
                // (display 2 here), so neither those nor display 2's count.
                s.currentDrawingDisplayID = unit() < 0.15 ? 2 : 1;
                DrawingStroke stroke = randomStroke(mixedTool(step + k), rng, QSizeF(800, 600), 10 + step % 30);
                if (unit() < 0.1) stroke.displayID = 0;
                s.addStroke(stroke);
            } else if (pick < 0.55) {
                s.undo();
            } else if (pick < 0.65) {
                s.redo();
            } else if (pick < 0.75) {
                DrawingStroke eraser;
                eraser.lineWidth = 30;
                eraser.points = wanderingPath(rng, QSizeF(800, 600), 30, 8);
                s.applyEraserStamps(erasureStamps(eraser), 1);
            } else if (pick < 0.87) {
                // A move: offset, then sometimes baked in.
                const std::size_t i = static_cast<std::size_t>(unit() * static_cast<double>(n));
                DrawingStroke moved = s.strokes->at(i);
                moved.offset = QSizeF(unit() * 60 - 30, unit() * 60 - 30);
                if (unit() < 0.5) moved.bakeOffset();
                if (unit() < 0.1) moved.displayID = 2;
                s.strokes.replace(i, moved);
            } else if (pick < 0.92) {
                // A stroke brought to the top, through a whole-list change.
                const std::size_t i = static_cast<std::size_t>(unit() * static_cast<double>(n));
                s.strokes.modify([i](auto& l) {
                    std::rotate(l.begin() + static_cast<std::ptrdiff_t>(i),
                                l.begin() + static_cast<std::ptrdiff_t>(i) + 1, l.end());
                });
            } else if (pick < 0.96) {
                // Draw mode for a while: the strokes change meanwhile.
                s.selectedTool = DrawingTool::pen;
                s.isMoveMode = false;
                drainEvents();
                s.addStroke(randomStroke(DrawingTool::pen, rng, QSizeF(800, 600), 20));
                s.undo();
                s.selectedTool = std::nullopt;
                s.isMoveMode = true;
            } else if (step % 40 == 0) {
                s.clearAll();
            }
        }
        drainEvents();
        fresh.t->strokes = s.strokes.get();
        drainEvents();
        ASSERT_TRUE(w->shape().mouseRegion());
        const QRegion differ = *w->shape().mouseRegion() ^ fresh.controller->pointerRegion();
        ASSERT_TRUE(differ.isEmpty()) << differ.rectCount() << " rectangles differ around " << differ.boundingRect().x()
                                      << ", " << differ.boundingRect().y() << " with " << s.strokes->size()
                                      << " strokes";
    }
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
