#pragma once

// A pen canvas on a real window, paced on a clock and display link that
// stand still until a test moves them on.

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "support/ManualDisplayLink.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QWidget>
#include <QWindow>

#include <cstdint>
#include <memory>

namespace testing_support {

struct PacedCanvas {
    PacedCanvas() : window(nullptr, Qt::FramelessWindowHint), canvas(t.state, 1, &window) {
        s.selectedTool = DrawingTool::pen;
        s.smoothingEnabledTools = DrawingToolSet{};
        window.setGeometry(100, 100, 600, 400);
        canvas.resize(600, 400);
        auto owned = std::make_unique<ManualPacerClock>();
        clock = owned.get();
        canvas.setDisplayLinkFactory(manualLinks(*clock, link), std::move(owned));
    }
    // Shows the window and waits until the server has it in place.
    bool show() {
        window.show();
        if (!waitUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); })) return false;
        if (!waitUntilPlaced(xid(), QRect(100, 100, 600, 400))) return false;
        origin = canvas.mapToGlobal(QPoint(0, 0));
        return true;
    }
    std::uint32_t xid() const { return static_cast<std::uint32_t>(window.winId()); }

    TestDrawingState t;
    DrawingState& s = *t.state;
    QWidget window;
    DrawingCanvasView canvas;
    ManualLink* link = nullptr;
    ManualPacerClock* clock = nullptr;
    // The canvas's top-left on the screen, once shown.
    QPoint origin;
};

} // namespace testing_support
