// The freehand outlines geometry builds, checked against the extents it
// answers for them, on many more paths than the painters' render tests draw.

#include "geometry/AirbrushGeometry.h"
#include "geometry/FreehandGeometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// A pointer path: slow or fast, straight or winding, with repeated samples.
std::vector<QPointF> wanderingPath(std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<QPointF> pts;
    QPointF p(u(rng) * 400, u(rng) * 300);
    double heading = u(rng) * 6.3;
    const double speed = 0.2 + u(rng) * (u(rng) < 0.5 ? 3 : 40);
    const double turn = u(rng) < 0.5 ? 0.1 : 1.2;
    const int n = 1 + static_cast<int>(u(rng) * (u(rng) < 0.3 ? 5 : 400));
    for (int i = 0; i < n; ++i) {
        pts.push_back(p);
        if (u(rng) < 0.1) pts.push_back(p);
        heading += (u(rng) - 0.5) * turn;
        p += QPointF(std::cos(heading), std::sin(heading)) * speed * (0.3 + u(rng));
    }
    return pts;
}

// Within the extent, up to rounding.
void expectInside(const QRectF& outline, const QRectF& extent, const char* what, int i) {
    EXPECT_TRUE(extent.adjusted(-1e-9, -1e-9, 1e-9, 1e-9).contains(outline))
        << what << " #" << i << ": outline " << outline.left() << "," << outline.top() << " " << outline.right() << ","
        << outline.bottom() << " extent " << extent.left() << "," << extent.top() << " " << extent.right() << ","
        << extent.bottom();
}

} // namespace

TEST(FreehandGeometry, OutlinesStayInsideTheirExtents) {
    std::mt19937 rng(314);
    const double widths[] = {0.5, 1, 4, 11, 40, 100};
    for (int i = 0; i < 300; ++i) {
        const std::vector<QPointF> pts = wanderingPath(rng);
        const double w = widths[i % 6];

        QPainterPath nib;
        addCalligraphyOutline(pts, w, nib);
        expectInside(nib.controlPointRect(), calligraphyExtent(pts, w), "calligraphy", i);

        const BrushPenShape shape = brushPenShape(pts, w);
        for (double width : shape.widths) EXPECT_LE(width, w) << i;
        if (shape.points.size() >= 2) {
            QPainterPath ribbon;
            addBrushPenSegments(shape, 0, shape.points.size() - 1, ribbon);
            expectInside(ribbon.controlPointRect(), brushPenExtent(pts, w), "brush pen", i);
        }

        if (pts.size() >= 2) {
            QPainterPath smooth;
            addSmoothPathPieces(pts, 1, pts.size() - 1, smooth);
            expectInside(smooth.controlPointRect().adjusted(-w / 2, -w / 2, w / 2, w / 2), penExtent(pts, w), "pen", i);
        }
    }
}

TEST(AirbrushGeometry, SpecklesStayWithinTheReachAndMoveWithTheirSegment) {
    std::mt19937 rng(2718);
    for (int i = 0; i < 60; ++i) {
        const std::vector<QPointF> pts = wanderingPath(rng);
        const double w = 1 + i % 7 * 12;
        const QRectF extent = airbrushExtent(pts, w);
        std::uint64_t place = 0;
        int seen = 0;
        std::array<Speckle, 2> speckles, moved;
        walkPath(pts, speckleSpacing(w), [&](QPointF at, std::size_t segment) {
            const QPointF from = pts[segment] - pts[0];
            const int n = specklesAt(at, from, place, w, speckles);
            // Seeded by the place and where its segment starts relative to
            // the first point: the same speckles wherever the stroke lies.
            ASSERT_EQ(specklesAt(at + QPointF(40, -25), from, place, w, moved), n);
            for (int k = 0; k < n; ++k) {
                const Speckle& s = speckles[static_cast<std::size_t>(k)];
                EXPECT_EQ(moved[static_cast<std::size_t>(k)].centre, s.centre + QPointF(40, -25));
                EXPECT_EQ(moved[static_cast<std::size_t>(k)].blob, s.blob);
                const double r = speckleReach(s) - 1; // antialiasing aside
                EXPECT_TRUE(extent.contains(QRectF(s.centre - QPointF(r, r), s.centre + QPointF(r, r)))) << i;
                QPainterPath blob;
                addSpeckleOutline(blob, s);
                EXPECT_TRUE(extent.contains(blob.boundingRect())) << i;
                ++seen;
            }
            ++place;
        });
        if (pts.size() > 20) {
            EXPECT_GT(seen, 0) << i;
        }
    }
}
