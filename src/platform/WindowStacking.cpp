// A window's place among our windows: kept in level order above the overlays
// whoever restacks, with each input-only window just above its owner.
#include "platform/WindowStacking.h"

#include "platform/Window.h"

#include "platform/ServerPlacement.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "platform/X11InputWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace platform {

namespace {

// Raises the window to the top of its layer, or (with a sibling) puts it
// just below that sibling.
void restackWindow(xcb_window_t id, xcb_window_t below = XCB_NONE) {
    if (id == XCB_NONE) return;
    const std::uint32_t mode = below == XCB_NONE ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
    if (X11EventSource::instance().windowManagerRunning()) {
        // Source 2 (a pager-like tool) is honoured without focus-stealing
        // checks.
        x11::sendRootMessage(id, x11::atom("_NET_RESTACK_WINDOW"), 2, below, mode);
    } else if (below == XCB_NONE) {
        xcb_configure_window(x11::connection(), id, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    } else {
        const std::uint32_t values[] = {below, mode};
        xcb_configure_window(x11::connection(), id, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
}

// True when the server stacks our windows above level 0 in level order.
// The server's stacking of the windows' frames, not the window manager's
// list: not every manager updates that list as it raises a window (fluxbox
// raising the window that takes the focus).
bool stackedInLevelOrder() {
    const auto stacking = x11::rootChildren();
    std::vector<std::pair<std::size_t, int>> placed; // position (bottom first), level
    for (Window* w : Window::all()) {
        if (w->stacking().level() <= WindowLevel::normal || !w->isVisible() || w->xid() == XCB_NONE) continue;
        auto it = std::find(stacking.begin(), stacking.end(), ServerPlacement::topLevelOf(w->xid()));
        if (it != stacking.end())
            placed.emplace_back(static_cast<std::size_t>(it - stacking.begin()), w->stacking().level());
    }
    std::sort(placed.begin(), placed.end());
    for (std::size_t i = 1; i < placed.size(); ++i)
        if (placed[i - 1].second > placed[i].second) return false;
    return true;
}

// The window manager raises windows on its own (on a click, when mapping);
// put our levels back in order whenever it restacks. A manager that insists
// on another order (one that lifts a focused screen-sized window above
// everything) would answer every correction with a restack of its own, so
// only a few corrections a second are made. The input windows follow their
// owners at every restack all the same: one left behind would take the
// clicks meant for the window now above its owner.
} // namespace

WindowStacking::WindowStacking(Window& window) : window_(window) { watchStacking(); }

void WindowStacking::setLevel(int level) {
    if (level == level_) return;
    level_ = level;
    window_.applyFlags();
    if (window_.isVisible()) {
        window_.applyTransience();
        restackAll();
    }
    Window::arrangementChanged().emit(&window_);
}

void WindowStacking::watchStacking() {
    static bool queued = false;
    static bool deferred = false;
    static QElapsedTimer budgetStart;
    static int corrections = 0;
    constexpr int kCorrectionsPerSecond = 4;
    static std::function<void()> check = [] {
        queued = false;
        WindowStacking::restackInputWindows();
        if (deferred || stackedInLevelOrder()) return;
        if (!budgetStart.isValid() || budgetStart.elapsed() >= 1000) {
            budgetStart.start();
            corrections = 0;
        }
        if (++corrections > kCorrectionsPerSecond) {
            deferred = true;
            QTimer::singleShot(int(1000 - std::min<qint64>(budgetStart.elapsed(), 1000)), qApp, [] {
                deferred = false;
                check();
            });
            return;
        }
        WindowStacking::restackAll();
    };
    static Subscription watch = X11EventSource::instance().stackingChanged.connect([] {
        if (queued) return;
        queued = true;
        QTimer::singleShot(0, qApp, [] { check(); });
    });
}

void WindowStacking::raise() {
    if (level_ <= WindowLevel::normal) restackWindow(window_.xid());
    restackAll();
}

void WindowStacking::restackAll() {
    std::vector<Window*> high;
    for (Window* w : Window::all())
        if (w->stacking().level_ > WindowLevel::normal && w->isVisible() && w->xid() != XCB_NONE) high.push_back(w);
    // Highest first; of equal levels the newest on top.
    std::reverse(high.begin(), high.end());
    std::stable_sort(high.begin(), high.end(),
                     [](Window* a, Window* b) { return a->stacking().level_ > b->stacking().level_; });
    xcb_window_t above = XCB_NONE;
    for (Window* w : high) {
        restackWindow(w->xid(), above);
        above = w->xid();
    }
    restackInputWindows();
}

void WindowStacking::restackInputWindows() {
    // Input windows are not the window manager's: each follows its owner.
    for (Window* w : Window::all()) w->shape_->restackInputWindow();
    x11::flush();
}

} // namespace platform
