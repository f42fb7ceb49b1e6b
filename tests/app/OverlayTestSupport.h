#pragma once

// A drawing state whose overlay operations make real overlay controllers
// (offscreen windows), on two fake displays side by side, each with a
// 24-point panel along its top.

#include "app/OverlayWindow.h"
#include "app/OverlayWindowController.h"
#include "support/FakeEventMonitor.h"
#include "support/TestDrawingState.h"
#include "support/TestStrokes.h"
#include "support/TestUtil.h"

namespace testing_support {

inline platform::Screen screenWithPanel(platform::DisplayID id, platform::Rect frame) {
    platform::Screen s = FakeScreenProvider::makeScreen(id, frame);
    s.visibleFrame = platform::Rect(frame.minX(), frame.minY(), frame.width(), frame.height() - 24);
    return s;
}

struct OverlayHarness {
    OverlayHarness()
        : t({screenWithPanel(1, platform::Rect(0, 0, 1440, 900)),
             screenWithPanel(2, platform::Rect(1440, 0, 1280, 800))},
            platform::UserDefaults::inMemory(), OverlayWindowController::factory()) {}
    ~OverlayHarness() {
        t->hideOverlays();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Toolbar and overlays shown, as after a left click on the tray icon.
    void showAll() {
        t->isToolbarVisible = true;
        t->showOverlays();
        drainEvents();
    }
    OverlayWindowController* controller(platform::DisplayID id) const {
        const auto it = t->overlayControllers.find(id);
        return it == t->overlayControllers.end() ? nullptr : static_cast<OverlayWindowController*>(it->second.get());
    }
    // Whether the overlay's window takes the pointer where it is now: its
    // input region holds the pointer's pixel.
    bool takesPointer(platform::DisplayID id = 1) const {
        auto* c = controller(id);
        if (!c) return false;
        QWidget* host = c->window()->widget();
        const QPointF global = platform::toGlobal(t.mouse->location()) - QPointF(host->mapToGlobal(QPoint(0, 0)));
        const QPoint pixel(int(std::floor(global.x())), int(std::floor(global.y())));
        if (!host->rect().contains(pixel)) return false;
        const auto& region = c->window()->shape().mouseRegion();
        return !region || region->contains(pixel);
    }
    // The pointer at a screen point (y up), announced as a movement.
    void movePointer(platform::Point p) {
        t.mouse->setLocation(p);
        injectLocal(mouseEvent(platform::EventType::mouseMoved, p));
        drainEvents();
    }
    // A point of display 1 given in its canvas coordinates (y down).
    static platform::Point onDisplay1(QPointF canvas) { return platform::Point(canvas.x(), 900 - canvas.y()); }

    TestDrawingState t;
};

// An 11-point pen stroke of display `display` through the canvas points.
inline DrawingStroke penStrokeOn(platform::DisplayID display, std::vector<QPointF> points) {
    DrawingStroke s = penStroke(std::move(points), 11);
    s.displayID = display;
    return s;
}

} // namespace testing_support
