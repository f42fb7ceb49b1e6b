#pragma once

// The program's toolbar on a real X server, made by the application
// delegate as at launch (no tray icon, preferences in memory), a desktop
// panel along the bottom, and a person's click.

#include "platform/Geometry.h"
#include "platform/X11.h"
#include "support/RealProgram.h"
#include "support/X11TestUtil.h"
#include "toolbar/DrawingToolbarView.h"

#include <QCursor>
#include <QWidget>
#include <QWindow>

namespace testing_support {

struct RealToolbar : RealProgram {
    explicit RealToolbar(bool withTrayIcon = false) : RealProgram(withTrayIcon) {}
    platform::Window* window() const { return toolbarWindow(); }
    DrawingToolbarView* view() const { return toolbarView(); }
    // Shown, mapped where it was put, and settled.
    bool showAndSettle() {
        delegate->toggleToolbar();
        const bool shown = waitUntil(
            [&] { return window()->isVisible() && window()->windowHandle() && window()->windowHandle()->isExposed(); });
        return shown && settle();
    }
    static QPoint centreOf(const QWidget* w) { return w->mapToGlobal(w->rect().center()); }
};

// The panel's window is shown, exposed and where its frame says, as the
// server has it; false without a panel.
template <typename Panel>
bool panelUp(const Panel* panel) {
    if (!panel) return false;
    platform::Window* w = panel->window();
    if (!w->isVisible() || !w->windowHandle() || !w->windowHandle()->isExposed()) return false;
    return waitUntilPlaced(
        w->xid(), [w] { return platform::toGlobal(w->frame()).toRect(); }, 3000);
}

template <typename Panel>
bool shown(const Panel* panel) {
    return panel && panel->window()->isVisible();
}

// A person's click: the pointer comes to rest on the control first, and the
// press goes once the server would hand it to the window of ours that shows
// there (the highest level holding the point), whatever a window manager
// was still restacking.
inline void clickOn(QPoint at) {
    platform::Window* target = nullptr;
    for (platform::Window* w : platform::Window::all()) {
        if (!w->isVisible() || w->shape().ignoresMouseEvents()) continue;
        if (!w->widget()->window()->geometry().contains(at)) continue;
        if (!target || w->stacking().level() >= target->stacking().level()) target = w;
    }
    if (target) pointerReaches(at, target->xid());
    else moveMouse(at);
    click();
    drainEvents();
}

} // namespace testing_support
