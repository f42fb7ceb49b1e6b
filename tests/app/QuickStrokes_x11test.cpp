// Quick strokes on the overlay, as a pen draws them: every sample of each
// tick reaches its stroke, and a burst of whole strokes stays as many
// strokes. The pointer is driven from a thread of the test's own while the
// program goes on with its events; under load, input arrives batched.
#include "app/RealShell.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "support/XTestPointer.h"

#include <QString>

#include <gtest/gtest.h>

#include <vector>

using namespace testing_support;

namespace {

// The steps of a stroke after its press, from its start.
const std::vector<QPoint> kSteps{QPoint(4, 3), QPoint(8, 6), QPoint(12, 9)};

// A stroke's points as the pen leaves them: the press twice, then each move.
std::vector<QPointF> expectedPoints(QPointF start) {
    std::vector<QPointF> points{start, start};
    for (const QPoint& step : kSteps) points.push_back(start + QPointF(step));
    return points;
}

QString describe(const std::vector<QPointF>& points) {
    QString s;
    for (const QPointF& p : points) s += QString("(%1, %2) ").arg(p.x()).arg(p.y());
    return s;
}

// Where stroke `i` of a run starts on the overlay: apart from the others
// (no two form a double click), clear of the panel at the top.
QPoint startOf(int i) { return QPoint(60 + 60 * (i % 30), 120 + 60 * ((i / 30) % 14)); }

// The overlays shown in draw mode with the pen, taking the pointer.
void drawWithThePen(RealShell& shell) {
    shell.state().smoothingEnabledTools = DrawingToolSet{};
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    ASSERT_EQ(shell.state().selectedTool.get(), DrawingTool::pen);
    ASSERT_TRUE(waitUntil([&] { return shell.overlay()->keyboard().isKeyWindow(); }));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(pointerReaches(startOf(0), shell.overlay()->xid(), 10000));
}

// The canvas point of a root point (the overlay covers its display).
QPointF onCanvas(RealShell& shell, QPoint root) { return QPointF(shell.overlay()->widget()->mapFromGlobal(root)); }

} // namespace

TEST(OverlayOnX11, EveryTickOfAPenKeepsItsInnerSamples) {
    RealShell shell(false);
    drawWithThePen(shell);
    XTestPointer pointer;
    ASSERT_TRUE(pointer.ready());
    // A tick: the pen lands, three moves 4 ms apart, and lifts.
    constexpr int kTicks = 200;
    int damaged = 0;
    for (int i = 0; i < kTicks; ++i) {
        const QPoint start = startOf(i);
        pointer.moveTo(start).press();
        for (const QPoint& step : kSteps) pointer.moveTo(start + step, 4);
        pointer.release(4).send();
        ASSERT_TRUE(waitUntil([&] { return shell.state().strokes->size() == std::size_t(i + 1); }))
            << "tick " << i << " left no stroke";
        ASSERT_TRUE(pointer.waitUntilPlayed());
        const std::vector<QPointF> points = shell.state().strokes->back().points.get();
        if (points == expectedPoints(onCanvas(shell, start))) continue;
        ++damaged;
        ADD_FAILURE() << "tick " << i << " drawn as " << describe(points).toStdString();
    }
    EXPECT_EQ(damaged, 0) << "of " << kTicks << " ticks";
    EXPECT_EQ(shell.state().strokes->size(), std::size_t(kTicks));
}

TEST(OverlayOnX11, ABurstOfWholeStrokesStaysAsManyStrokes) {
    RealShell shell(false);
    drawWithThePen(shell);
    XTestPointer pointer;
    ASSERT_TRUE(pointer.ready());
    // Thirty strokes in one go, as fast as the server takes them.
    constexpr int kBursts = 4;
    constexpr int kStrokes = 30;
    int damaged = 0;
    for (int b = 0; b < kBursts; ++b) {
        const std::size_t before = shell.state().strokes->size();
        for (int i = 0; i < kStrokes; ++i) {
            const QPoint start = startOf(b * kStrokes + i);
            pointer.moveTo(start).press();
            for (const QPoint& step : kSteps) pointer.moveTo(start + step);
            pointer.release();
        }
        pointer.send();
        ASSERT_TRUE(pointer.waitUntilPlayed());
        // Every event the server sent is handled, and no drag is left open.
        ASSERT_TRUE(syncWithServer());
        ASSERT_TRUE(waitUntil([&] { return !shell.state().currentStroke.get(); }));
        const auto& strokes = shell.state().strokes.get();
        if (strokes.size() != before + kStrokes) {
            ++damaged;
            ADD_FAILURE() << "burst " << b << " left " << int(strokes.size()) - int(before) << " strokes";
            continue;
        }
        for (int i = 0; i < kStrokes; ++i) {
            const std::vector<QPointF>& points = strokes[before + std::size_t(i)].points.get();
            if (points == expectedPoints(onCanvas(shell, startOf(b * kStrokes + i)))) continue;
            ++damaged;
            ADD_FAILURE() << "burst " << b << ", stroke " << i << " drawn as " << describe(points).toStdString();
            break;
        }
    }
    EXPECT_EQ(damaged, 0) << "of " << kBursts << " bursts";
}
