#pragma once

// A test fixture: the canvas of display 1, the first of two screens, over a
// drawing state of its own, with a clock the test advances by hand; the
// pointer gestures its tests make and the look-ups of placed strokes.

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/CanvasTestUtil.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <memory>

namespace testing_support {

struct CanvasFixture : ::testing::Test {
    TestDrawingState t{twoScreens()};
    DrawingState& s = *t.state;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    DrawingCanvasView canvas{t.state, 1};

    explicit CanvasFixture(QSize size) {
        canvas.resize(size);
        canvas.setClock(clock);
        t.mouse->setLocation(platform::Point{100, 100}); // over display 1
        drainEvents();
    }

    // A press at `at`; the moves and the release that follow keep its start.
    void press(QPointF at, bool shift = false) {
        start_ = at;
        canvas.handleDragChanged(CanvasDragValue{at, at, shift});
    }
    void move(QPointF to, bool shift = false) { canvas.handleDragChanged(CanvasDragValue{to, start_, shift}); }
    void release(QPointF at) {
        canvas.handleDragEnded(CanvasDragValue{at, start_, false});
        drainEvents();
    }
    // A press at `from`, `steps` moves to `to`, and the release there.
    void drag(QPointF from, QPointF to, int steps = 10) {
        press(from);
        for (int i = 1; i <= steps; ++i) move(from + (to - from) * (double(i) / steps));
        release(to);
    }
    void click(QPointF at) {
        press(at);
        release(at);
    }

    std::size_t count() const { return s.strokes->size(); }
    // Adds a stroke as a drawn one is added; its index in the strokes.
    std::size_t add(DrawingStroke stroke) {
        s.addStroke(stroke);
        drainEvents();
        return s.strokes->size() - 1;
    }
    const DrawingStroke* find(const QUuid& id) const {
        for (const auto& x : s.strokes.get())
            if (x.id == id) return &x;
        return nullptr;
    }

private:
    QPointF start_;
};

} // namespace testing_support
