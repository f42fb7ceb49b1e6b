#include "canvas/overlays/BezierGeometry.h"
#include "canvas/overlays/BezierPenDrawingOverlay.h"
#include "canvas/overlays/BezierPenEditOverlay.h"
#include "canvas/overlays/OverlayHost.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;
using namespace bezier_geometry;

namespace {

struct BezierPen : OverlayHost {
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::vector<DrawingStroke> finished;

    BezierPen() {
        s.selectedTool = DrawingTool::bezierPen;
        s.selectedColor = Color::rgba(0, 0, 1, 1);
        s.strokeOpacity = 0.5;
        s.lineWidth = 6;
    }
    BezierPenDrawingOverlay* pen() {
        return show(new BezierPenDrawingOverlay(
            s, [this](const DrawingStroke& p) { finished.push_back(p); }, &host, clock));
    }
    // Clicks far enough apart in time not to pair up.
    void slowClick(QPointF at) {
        pointer.click(at);
        clock->advance(1);
    }
};

// A path A–B–C with arms, open for editing.
DrawingStroke sCurve() {
    DrawingStroke p;
    p.tool = DrawingTool::bezierPen;
    p.lineWidth = 4;
    setAnchors(p, {{50, 150}, {200, 150}, {350, 150}}, {{0, 0}, {-40, -60}, {-30, 50}}, {{40, -80}, {40, 60}, {0, 0}});
    return p;
}

std::vector<QPointF> samples(const DrawingStroke& path, int perSegment) {
    std::vector<QPointF> out;
    const std::size_t n = anchors(path).size();
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (int k = 0; k <= perSegment; ++k) out.push_back(segment(path, i).at(double(k) / perSegment));
    return out;
}

double distanceToPath(const DrawingStroke& path, QPointF p) { return nearestOnPath(path, p)->distance; }

struct BezierEdit : BezierPen {
    int outsideTaps = 0;

    BezierPenEditOverlay* edit(const DrawingStroke& path) {
        return show(new BezierPenEditOverlay(
            path, recorder(), [this] { ++outsideTaps; }, &host, clock));
    }
};

} // namespace

TEST_F(BezierPen, ClicksAddCornersAndADragPullsSymmetricArms) {
    auto* o = pen();
    slowClick({50, 50});
    EXPECT_TRUE(s.isBezierEditing.get()) << "an unfinished path is being edited";
    // Under 3 pt of travel is still a click.
    pointer.drag({150, 50}, {152, 51});
    clock->advance(1);
    pointer.drag({250, 100}, {280, 140});
    ASSERT_EQ(o->vertices().size(), 3u);
    expectNear(o->vertices()[1], {150, 50});
    expectNear(o->armsOut()[1], {});
    expectNear(o->vertices()[2], {250, 100});
    expectNear(o->armsOut()[2], {30, 40});
    expectNear(o->armsIn()[2], {-30, -40});
    EXPECT_TRUE(finished.empty());

    // The rubber band follows the pointer.
    pointer.move({300, 200});
    ASSERT_TRUE(o->hoverPoint());
    expectNear(*o->hoverPoint(), {300, 200});
}

TEST_F(BezierPen, ADoubleClickFinishesThePathOnceWithItsVerticesAsPoints) {
    auto* o = pen();
    slowClick({50, 50});
    pointer.drag({150, 80}, {170, 80});
    clock->advance(1);
    pointer.click({250, 60});
    clock->advance(0.3);
    pointer.click({255, 62}); // the pair's second click adds no vertex
    ASSERT_EQ(finished.size(), 1u);
    const DrawingStroke& p = finished[0];
    EXPECT_EQ(p.tool, DrawingTool::bezierPen);
    const std::vector<QPointF> expected{{50, 50}, {150, 80}, {250, 60}};
    ASSERT_TRUE(p.customVertices);
    EXPECT_EQ(*p.customVertices, expected);
    EXPECT_EQ(p.points.get(), expected);
    expectNear(p.startPoint, {50, 50});
    expectNear(p.endPoint, {250, 60});
    expectNear((*p.bezierHandleOut)[1], {20, 0});
    expectNear((*p.bezierHandleIn)[1], {-20, 0});
    EXPECT_EQ(p.color, Color::rgba(0, 0, 1, 0.5));
    EXPECT_EQ(p.lineWidth, 6);
    EXPECT_FALSE(s.isBezierEditing.get());
    EXPECT_TRUE(o->vertices().empty());

    // Too slow or too far for a pair: each click adds a vertex.
    pointer.click({50, 200});
    clock->advance(0.36);
    pointer.click({52, 200});
    clock->advance(0.1);
    pointer.click({80, 200});
    EXPECT_EQ(o->vertices().size(), 3u);
    EXPECT_EQ(finished.size(), 1u);
}

TEST_F(BezierPen, AClickNearTheFirstVertexClosesThePath) {
    auto* o = pen();
    pointer.drag({100, 100}, {120, 90});
    clock->advance(1);
    slowClick({200, 100});
    // One vertex is no path to close: this click is a vertex of its own.
    slowClick({150, 200});
    pointer.click({105, 105});
    ASSERT_EQ(finished.size(), 1u);
    const DrawingStroke& p = finished[0];
    const std::vector<QPointF> expected{{100, 100}, {200, 100}, {150, 200}, {100, 100}};
    EXPECT_EQ(p.points.get(), expected);
    // It comes back into the first vertex along that vertex's own arm.
    expectNear((*p.bezierHandleIn).back(), {-20, 10});
    expectNear((*p.bezierHandleOut).back(), {});
    EXPECT_TRUE(o->vertices().empty());
}

TEST_F(BezierPen, EscOrAnotherToolAbandonsAnUnfinishedPath) {
    auto* o = pen();
    slowClick({50, 50});
    slowClick({150, 50});
    s.isBezierEditing = false; // Esc
    EXPECT_TRUE(o->vertices().empty());
    slowClick({60, 60});
    EXPECT_EQ(o->vertices().size(), 1u);
    EXPECT_TRUE(s.isBezierEditing.get());
    s.selectedTool = DrawingTool::pen;
    EXPECT_TRUE(o->vertices().empty());
    EXPECT_FALSE(s.isBezierEditing.get());
    EXPECT_TRUE(finished.empty());
}

TEST_F(BezierEdit, DraggingAVertexOrAnArmReportsOnceWithTheExactGeometry) {
    const DrawingStroke path = sCurve();
    auto* o = edit(path);
    pointer.press({200, 150});
    pointer.move({210, 170});
    pointer.move({220, 190});
    EXPECT_TRUE(reports.empty());
    pointer.release({220, 190});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, path.id);
    expectNear((*reports[0].customVertices)[1], {220, 190});
    EXPECT_EQ(reports[0].points.get(), *reports[0].customVertices);
    // The arms are relative: they come along.
    expectNear((*reports[0].bezierHandleOut)[1], {40, 60});

    // The out arm of the middle vertex: its in arm mirrors it.
    o->setStroke(reports[0]);
    pointer.drag({260, 250}, {260, 190});
    ASSERT_EQ(reports.size(), 2u);
    expectNear((*reports[1].bezierHandleOut)[1], {40, 0});
    expectNear((*reports[1].bezierHandleIn)[1], {-40, 0});
}

TEST_F(BezierEdit, ADragOnThePathMovesItWhole) {
    const DrawingStroke path = sCurve();
    edit(path);
    const QPointF on = segment(path, 0).at(0.5);
    pointer.drag(on, on + QPointF(10, 20));
    ASSERT_EQ(reports.size(), 1u);
    for (std::size_t i = 0; i < 3; ++i)
        expectNear((*reports[0].customVertices)[i], (*path.customVertices)[i] + QPointF(10, 20));
    EXPECT_EQ(*reports[0].bezierHandleOut, *path.bezierHandleOut);
    expectNear(reports[0].startPoint, QPointF(60, 170));
    EXPECT_EQ(outsideTaps, 0);
}

TEST_F(BezierEdit, ADoubleClickOnThePathInsertsAVertexKeepingTheCurve) {
    const DrawingStroke path = sCurve();
    edit(path);
    const QPointF on = segment(path, 1).at(0.3);
    pointer.click(on);
    clock->advance(0.2);
    pointer.click(on);
    ASSERT_EQ(reports.size(), 1u);
    const DrawingStroke& after = reports[0];
    ASSERT_EQ(after.customVertices->size(), 4u);
    expectNear((*after.customVertices)[2], on, 1e-6);
    // Same curve: each path's samples lie on the other.
    for (QPointF p : samples(path, 50)) EXPECT_LT(distanceToPath(after, p), 0.5);
    for (QPointF p : samples(after, 50)) EXPECT_LT(distanceToPath(path, p), 0.5);
    // Split the de Casteljau way, the halves are exact.
    const auto [left, right] = split(segment(path, 1), 0.3);
    expectNear(segment(after, 1).at(0.5), left.at(0.5), 1e-6);
    expectNear(segment(after, 2).at(0.5), right.at(0.5), 1e-6);
}

TEST_F(BezierEdit, ADoubleClickOnAVertexTogglesSmoothAndCorner) {
    DrawingStroke path = sCurve();
    auto* o = edit(path);
    pointer.click({201, 151});
    clock->advance(0.1);
    pointer.click({200, 150});
    ASSERT_EQ(reports.size(), 1u);
    expectNear((*reports[0].bezierHandleIn)[1], {});
    expectNear((*reports[0].bezierHandleOut)[1], {});

    o->setStroke(reports[0]);
    clock->advance(1);
    pointer.click({200, 150});
    clock->advance(0.1);
    pointer.click({200, 150});
    ASSERT_EQ(reports.size(), 2u);
    // Smooth: along the neighbours' chord, a quarter of it each way.
    expectNear((*reports[1].bezierHandleOut)[1], {75, 0});
    expectNear((*reports[1].bezierHandleIn)[1], {-75, 0});
}

TEST_F(BezierEdit, OnlyAClickUnderFivePointsBesideThePathIsAnOutsideTap) {
    edit(sCurve());
    pointer.drag({100, 280}, {104.9, 280}, 3);
    EXPECT_EQ(outsideTaps, 1);
    pointer.drag({100, 280}, {105, 280}, 3);
    EXPECT_EQ(outsideTaps, 1);
    // A click on the path is no outside tap.
    pointer.click({200, 150});
    EXPECT_EQ(outsideTaps, 1);
    EXPECT_TRUE(reports.empty());
}
