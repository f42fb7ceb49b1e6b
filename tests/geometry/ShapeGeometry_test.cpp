#include "geometry/Points.h"
#include "geometry/ShapeGeometry.h"

#include "StrokedPathBounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

QPainterPath closedPolygon(const std::vector<QPointF>& v) {
    QPainterPath path(v.front());
    for (std::size_t i = 1; i < v.size(); ++i) path.lineTo(v[i]);
    path.closeSubpath();
    return path;
}

int curveCount(const QPainterPath& path) {
    int n = 0;
    for (int i = 0; i < path.elementCount(); ++i) n += path.elementAt(i).isCurveTo();
    return n;
}

} // namespace

TEST(FrameShapeExtent, ReachesHalfTheWidthOut) {
    const QRectF frame = frameRect({300, 250}, {100, 50});
    EXPECT_EQ(frameShapeExtent(frame, 16), QRectF(92, 42, 216, 216));
    expectTight(strokedPathBounds(rectanglePath(frame), 16, Qt::FlatCap), frameShapeExtent(frame, 16), 2, "rectangle");
    expectTight(strokedPathBounds(ellipsePath(frame), 16, Qt::FlatCap), frameShapeExtent(frame, 16), 2, "ellipse");
}

TEST(PolygonExtent, TakesInMiterSpikesUntilTheyBevel) {
    // A five-pointed star in (100, 100)–(400, 400): its points are sharp, and
    // their miters reach well past the vertices.
    std::vector<QPointF> star;
    for (int i = 0; i < 10; ++i) {
        const double r = (i % 2 == 0 ? 150 : 150 * 0.382), a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        star.emplace_back(250 + r * std::cos(a), 250 + r * std::sin(a));
    }
    const QRectF painted = strokedPathBounds(closedPolygon(star), 14, Qt::FlatCap);
    expectTight(painted, polygonExtent(star, 14, nullptr, nullptr), 2, "star");
    EXPECT_LT(painted.top(), 100 - 14);

    // A spike sharper than the miter limit is bevelled and stays close.
    const std::vector<QPointF> bevelled{{0, 0}, {300, 15}, {0, 30}}; // about 5.7 degrees at the tip
    expectTight(strokedPathBounds(closedPolygon(bevelled), 10, Qt::FlatCap),
                polygonExtent(bevelled, 10, nullptr, nullptr), 2.5, "bevelled spike");
    // Just under the limit it is a long miter.
    const std::vector<QPointF> mitered{{0, 0}, {300, 32}, {0, 64}}; // about 12.2 degrees
    const QRectF longMiter = strokedPathBounds(closedPolygon(mitered), 10, Qt::FlatCap);
    expectTight(longMiter, polygonExtent(mitered, 10, nullptr, nullptr), 2.5, "mitered spike");
    EXPECT_GT(longMiter.right(), 300 + 40);
}

TEST(PolygonExtent, ArmsPullTheOutlineOut) {
    const std::vector<QPointF> v{{100, 100}, {300, 100}, {300, 300}};
    const std::vector<QPointF> out{{60, -120}, {0, 0}, {0, 0}}, in{{0, 0}, {-60, -120}, {0, 0}};
    QPainterPath path;
    addPolygonPath(path, v, &in, &out);
    EXPECT_EQ(curveCount(path), 1); // only the edge with arms is cubic
    const QRectF extent = polygonExtent(v, 6, &in, &out);
    expectTight(strokedPathBounds(path, 6, Qt::FlatCap), extent, 3, "curved polygon");
    EXPECT_LT(extent.top(), 100 - 50); // the arms pull the top edge far above its vertices
}

TEST(BezierPathExtent, TakesInOpenEndsAndUnequalArms) {
    const std::vector<QPointF> anchors{{50, 200}, {250, 200}, {400, 50}};
    const std::vector<QPointF> out{{0, 150}, {80, 0}}; // shorter than the anchors: the last has no arm
    const std::vector<QPointF> in{{0, 0}, {-80, 0}, {0, 0}};
    QPainterPath path;
    addBezierPath(path, anchors, &in, &out);
    EXPECT_EQ(curveCount(path), 2);
    for (Qt::PenCapStyle cap : {Qt::FlatCap, Qt::SquareCap, Qt::RoundCap}) {
        EXPECT_TRUE(
            bezierPathExtent(anchors, 8, &in, &out).adjusted(-1, -1, 1, 1).contains(strokedPathBounds(path, 8, cap)))
            << cap;
    }
    // One anchor is no path.
    QPainterPath single;
    addBezierPath(single, {{5, 5}}, nullptr, nullptr);
    EXPECT_TRUE(single.isEmpty());
}
