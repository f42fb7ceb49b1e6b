// The edit overlays' handles: which one a press takes, and what dragging
// each reports.

#include "canvas/overlays/EditHandles.h"
#include "canvas/overlays/EllipseEditOverlay.h"
#include "canvas/overlays/FreehandEditOverlay.h"
#include "canvas/overlays/LineEditOverlay.h"
#include "canvas/overlays/OverlayHost.h"
#include "canvas/overlays/PolygonEditOverlay.h"
#include "canvas/overlays/ShapeEditOverlay.h"
#include "model/Algorithms.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace testing_support;

namespace {

// A host the size of a canvas, an overlay over it, and what it reported.
struct Overlays : OverlayHost {};

} // namespace

TEST(EditHandles, APressTakesTheNearestHandleStrictlyWithinTwelvePoints) {
    using edit_handles::handleAt;
    const QPointF press(0, 0);
    EXPECT_EQ(handleAt({QPointF(11.99, 0)}, press), 0u);
    EXPECT_EQ(handleAt({QPointF(12, 0)}, press), std::nullopt) << "the edge of the reach is out";
    EXPECT_EQ(handleAt({QPointF(0, -12)}, press), std::nullopt);
    EXPECT_EQ(handleAt({}, press), std::nullopt);
    // The nearest wins whatever its place in the list.
    EXPECT_EQ(handleAt({QPointF(3, 4), QPointF(6, 8)}, press), 0u);
    EXPECT_EQ(handleAt({QPointF(6, 8), QPointF(3, 4)}, press), 1u);
    EXPECT_EQ(handleAt({QPointF(20, 0), QPointF(0, 11)}, press), 1u);
    // Of equally near ones, the last: it is drawn on top of the others.
    EXPECT_EQ(handleAt({QPointF(-5, 0), QPointF(5, 0)}, press), 1u);
    EXPECT_EQ(handleAt({QPointF(5, 0), QPointF(-5, 0), QPointF(0, 7)}, press), 1u);
    EXPECT_EQ(handleAt({QPointF(0, 2), QPointF(3, 4), QPointF(4, 3), QPointF(9, 0)}, press), 0u);
    EXPECT_EQ(handleAt({QPointF(4, 3), QPointF(0, 2), QPointF(3, 4), QPointF(0, -2)}, press), 3u);
    EXPECT_EQ(handleAt({QPointF(1, 1), QPointF(1, 1), QPointF(1, 1)}, press), 2u);
}

TEST_F(Overlays, ALineEndDragReportsOnceAtTheReleaseWithTheExactEnd) {
    const DrawingStroke line = framedStroke(DrawingTool::line, {50, 50}, {250, 150});
    auto* overlay = show(new LineEditOverlay(line, recorder(), &host));

    pointer.press({251, 149});
    pointer.move({300, 200});
    pointer.move({320, 210});
    EXPECT_TRUE(reports.empty()) << "a drag shows live and reports only at the end";
    expectNear(overlay->stroke().endPoint, {319, 211});
    pointer.release({320, 210});

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].id, line.id);
    expectNear(reports[0].startPoint, {50, 50});
    // The end moves by the pointer's travel, not to the pointer.
    expectNear(reports[0].endPoint, {319, 211});
    EXPECT_FALSE(reports[0].controlPoint);

    // A click on a handle changes nothing and reports nothing.
    pointer.click({50, 50});
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(Overlays, TheLineMiddleHandleBendsTheCurveThroughItself) {
    const DrawingStroke line = framedStroke(DrawingTool::arrow, {50, 50}, {250, 50});
    auto* overlay = show(new LineEditOverlay(line, recorder(), &host));
    expectNear(overlay->handlePoints()[LineEditOverlay::middle], {150, 50});

    pointer.drag({150, 50}, {150, 120});
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_TRUE(reports[0].controlPoint);
    // The quadratic's middle is where the handle was let go.
    expectNear(*reports[0].controlPoint, {150, 190});
    expectNear(LineEditOverlay::curveMiddle(reports[0]), {150, 120});

    // Dragged again, from the curve's middle.
    overlay->setStroke(reports[0]);
    expectNear(overlay->handlePoints()[LineEditOverlay::middle], {150, 120});
    pointer.drag({150, 120}, {100, 100});
    ASSERT_EQ(reports.size(), 2u);
    expectNear(LineEditOverlay::curveMiddle(reports[1]), {100, 100});
}

TEST_F(Overlays, ShapeCornersMayCrossAndTheFrameIsNormalised) {
    for (DrawingTool tool : {DrawingTool::rectangle, DrawingTool::ellipse}) {
        reports.clear();
        const DrawingStroke shape = framedStroke(tool, {100, 100}, {200, 160});
        std::unique_ptr<ShapeEditOverlay> overlay(tool == DrawingTool::rectangle
                                                      ? show(new ShapeEditOverlay(shape, recorder(), &host))
                                                      : show(new EllipseEditOverlay(shape, recorder(), &host)));
        // The top-left corner is dragged past the bottom-right one.
        pointer.drag({100, 100}, {250, 190});
        ASSERT_EQ(reports.size(), 1u);
        expectNear(reports[0].startPoint, {200, 160});
        expectNear(reports[0].endPoint, {250, 190});

        // Only one corner moves: the bottom-left one, up and to the right.
        overlay->setStroke(reports[0]);
        pointer.drag({200, 190}, {210, 150});
        ASSERT_EQ(reports.size(), 2u);
        expectNear(reports[1].startPoint, {210, 150});
        expectNear(reports[1].endPoint, {250, 160});
    }
}

TEST_F(Overlays, PolygonVerticesBecomeTheStrokesOwnOnTheFirstEdit) {
    DrawingStroke triangle = framedStroke(DrawingTool::triangle, {100, 100}, {200, 200});
    const std::vector<QPointF> regular = polygonVertices(triangle);
    ASSERT_EQ(regular.size(), 3u);
    auto* overlay = show(new PolygonEditOverlay(s, triangle, recorder(), &host));
    ASSERT_EQ(overlay->handlePoints().size(), 3u);

    pointer.drag(regular[1], regular[1] + QPointF(20, 30));
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_TRUE(reports[0].customVertices);
    const std::vector<QPointF>& v = *reports[0].customVertices;
    ASSERT_EQ(v.size(), 3u);
    expectNear(v[0], regular[0]);
    expectNear(v[1], regular[1] + QPointF(20, 30));
    expectNear(v[2], regular[2]);
}

TEST_F(Overlays, ARightDoubleClickTogglesAPolygonVertexBetweenCornerAndSmooth) {
    const DrawingStroke diamond = framedStroke(DrawingTool::diamond, {100, 100}, {200, 200});
    const std::vector<QPointF> v = polygonVertices(diamond);
    ASSERT_EQ(v.size(), 4u);
    auto* overlay = show(new PolygonEditOverlay(s, diamond, recorder(), &host));

    // Far from every vertex: consumed, nothing changes.
    s.rightDoubleClickLocation = QPointF(150, 150);
    drainEvents();
    EXPECT_FALSE(s.rightDoubleClickLocation.get());
    EXPECT_TRUE(reports.empty());

    s.rightDoubleClickLocation = v[1] + QPointF(3, -4);
    drainEvents();
    EXPECT_FALSE(s.rightDoubleClickLocation.get()) << "the overlay consumes the location";
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(s.isBezierEditing.get());
    const auto& in = *reports[0].bezierHandleIn;
    const auto& out = *reports[0].bezierHandleOut;
    // Along the neighbours' chord, a quarter of it each way.
    const QPointF quarter = (v[2] - v[0]) / 4;
    expectNear(out[1], quarter);
    expectNear(in[1], -quarter);
    expectNear(out[0], {});
    // Arm handles appear beside the vertex handles.
    overlay->setStroke(reports[0]);
    EXPECT_EQ(overlay->handlePoints().size(), 6u);

    // Dragging one arm mirrors the other: the vertex stays smooth.
    pointer.drag(v[1] + quarter, v[1] + QPointF(0, 40));
    ASSERT_EQ(reports.size(), 2u);
    expectNear((*reports[1].bezierHandleOut)[1], {0, 40});
    expectNear((*reports[1].bezierHandleIn)[1], {0, -40});

    overlay->setStroke(reports[1]);
    s.rightDoubleClickLocation = v[1];
    drainEvents();
    ASSERT_EQ(reports.size(), 3u);
    expectNear((*reports[2].bezierHandleOut)[1], {});
    expectNear((*reports[2].bezierHandleIn)[1], {});
    EXPECT_FALSE(s.isBezierEditing.get()) << "no vertex is in curve mode any more";
}

TEST_F(Overlays, FreehandEndsAreDraggedFromThePointsAsThePressFoundThem) {
    std::vector<QPointF> points;
    for (int i = 0; i <= 20; ++i) points.push_back({50.0 + i * 10, 150 + 20 * std::sin(i / 3.0)});
    const DrawingStroke pen = penStroke(points);
    auto* overlay = show(new FreehandEditOverlay(s, pen, recorder(), &host));
    ASSERT_EQ(overlay->handlePoints().size(), 2u);

    // Wandering far and back to the same place gives what the direct move
    // gives: every step starts from the press's points.
    const QPointF target = points.back() + QPointF(-40, 60);
    pointer.press(points.back());
    for (QPointF p : {QPointF(380, 40), QPointF(100, 290), QPointF(20, 20), target}) pointer.move(p);
    pointer.release(target);
    ASSERT_EQ(reports.size(), 1u);
    const std::vector<QPointF> expected = dragStrokeEnd(points, false, target);
    ASSERT_EQ(reports[0].points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) expectNear(reports[0].points.get()[i], expected[i]);
    expectNear(reports[0].points.get().front(), points.front());

    // The first end, likewise.
    overlay->setStroke(reports[0]);
    pointer.drag(points.front(), points.front() + QPointF(10, -30));
    ASSERT_EQ(reports.size(), 2u);
    const std::vector<QPointF> second = dragStrokeEnd(reports[0].points, true, points.front() + QPointF(10, -30));
    expectNear(reports[1].points.get().front(), second.front());
    expectNear(reports[1].points.get().back(), reports[0].points.get().back());
}

TEST_F(Overlays, PressesOffTheHandlesAreLeftToWhatLiesBeneath) {
    struct Beneath : QWidget {
        using QWidget::QWidget;
        int presses = 0, moves = 0, releases = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
        void mouseMoveEvent(QMouseEvent*) override { ++moves; }
        void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
    };
    auto* beneath = new Beneath(&host);
    beneath->setGeometry(host.rect());
    beneath->show();
    const DrawingStroke line = framedStroke(DrawingTool::line, {50, 50}, {250, 50});
    auto* overlay = show(new LineEditOverlay(line, recorder(), beneath));

    pointer.drag({100, 50}, {120, 80}); // on the line, between the handles
    EXPECT_EQ(beneath->presses, 1);
    EXPECT_GT(beneath->moves, 0);
    EXPECT_EQ(beneath->releases, 1);
    pointer.click({50, 51}); // a handle
    EXPECT_EQ(beneath->presses, 1);
    EXPECT_TRUE(reports.empty());
    expectNear(overlay->stroke().startPoint, {50, 50});
}
