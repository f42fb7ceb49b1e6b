#pragma once

// A toolbar view over a test drawing state, and clicks sent to its widgets.

#include "support/FakeOverlayController.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/ToolbarPanels.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testing_support {

inline void sendMouse(QWidget* w, QEvent::Type type, QPointF at) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}
inline void press(QWidget* w, QPointF at) { sendMouse(w, QEvent::MouseButtonPress, at); }
inline void release(QWidget* w, QPointF at) { sendMouse(w, QEvent::MouseButtonRelease, at); }
inline void drag(QWidget* w, QPointF to) { sendMouse(w, QEvent::MouseMove, to); }
inline void click(QWidget* w, QPointF at) {
    press(w, at);
    release(w, at);
}
inline void click(QWidget* w) { click(w, QRectF(w->rect()).center()); }

struct ToolbarHarness {
    explicit ToolbarHarness(std::vector<platform::Screen> screens = {TestDrawingState::defaultScreen()})
        : t(std::move(screens), platform::UserDefaults::inMemory(), fakeOverlayControllers()),
          panels(std::make_unique<ToolbarPanels>(t.state)),
          view(std::make_unique<DrawingToolbarView>(t.state, *panels)) {}
    ~ToolbarHarness() {
        // The panels end before the controls they hang from.
        panels.reset();
        view.reset();
        drainEvents();
    }
    // The state changed: the view follows on the next turn.
    void settle() { drainEvents(); }

    TestDrawingState t;
    std::unique_ptr<ToolbarPanels> panels;
    std::unique_ptr<DrawingToolbarView> view;
};

} // namespace testing_support
