#pragma once

// The common ground of the overlay tests: a drawing state, a host widget the
// size of a canvas with pointer input, the strokes an overlay reported, and
// a near-equality check for points.

#include "canvas/CanvasOverlays.h"
#include "canvas/overlays/OverlayPointer.h"
#include "model/DrawingState.h"
#include "model/DrawingStroke.h"
#include "support/TestDrawingState.h"

#include <gtest/gtest.h>

#include <QPointF>
#include <QWidget>

#include <vector>

namespace testing_support {

inline void expectNear(QPointF actual, QPointF expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

struct OverlayHost : ::testing::Test {
    TestDrawingState t;
    DrawingState& s = *t.state;
    QWidget host;
    OverlayPointer pointer{host};
    std::vector<DrawingStroke> reports;

    OverlayHost() { host.resize(400, 300); }

    // Keeps what an overlay reports in `reports`.
    CanvasOverlayFactory::StrokeHandler recorder() {
        return [this](const DrawingStroke& stroke) { reports.push_back(stroke); };
    }
    // Lays `overlay` over the whole host and shows it.
    template <typename T>
    T* show(T* overlay) {
        overlay->setGeometry(host.rect());
        overlay->show();
        return overlay;
    }
};

} // namespace testing_support
