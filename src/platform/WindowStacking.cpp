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
#include <optional>
#include <vector>

namespace platform {

namespace {

void configureStacking(xcb_window_t id, xcb_window_t below);

// Raises the window to the top of its layer, or (with a sibling) puts it
// just below that sibling.
void restackWindow(xcb_window_t id, xcb_window_t below = XCB_NONE) {
    if (id == XCB_NONE) return;
    const std::uint32_t mode = below == XCB_NONE ? XCB_STACK_MODE_ABOVE : XCB_STACK_MODE_BELOW;
    if (X11EventSource::instance().windowManagerRunning()) {
        // Source 2 (a pager-like tool) is honoured without focus-stealing
        // checks.
        x11::sendRootMessage(id, x11::atom("_NET_RESTACK_WINDOW"), 2, below, mode);
    } else {
        configureStacking(id, below);
    }
}

// Puts a window that is a child of the root just below `below` (a child of
// the root too), or on top of every other without one, by itself.
void configureStacking(xcb_window_t id, xcb_window_t below) {
    if (below == XCB_NONE) {
        const std::uint32_t mode = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(x11::connection(), id, XCB_CONFIG_WINDOW_STACK_MODE, &mode);
    } else {
        const std::uint32_t values[] = {below, XCB_STACK_MODE_BELOW};
        xcb_configure_window(x11::connection(), id, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
}

// The child of the root that holds `window`, among the root's children
// `stacking`: the one kept, unless a reparenting not heard of yet on Qt's
// connection (a window manager that ended, one that took the window on)
// made it stale; then the server's answer.
xcb_window_t topLevelAmong(const std::vector<xcb_window_t>& stacking, xcb_window_t window) {
    const xcb_window_t kept = ServerPlacement::topLevelOf(window);
    if (std::find(stacking.begin(), stacking.end(), kept) != stacking.end()) return kept;
    return x11::topLevelOf(window);
}

// The lowest child of the root (and its position, bottom first) that holds a
// shown window of ours other than a base window: the frame of the toolbar,
// a panel, an alert or a file panel.
std::optional<std::pair<std::size_t, xcb_window_t>> lowestOfOurOtherWindows(const std::vector<xcb_window_t>& stacking) {
    std::optional<std::pair<std::size_t, xcb_window_t>> lowest;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        // The tray icon lives in the tray's window, not on the root.
        if (!widget->isVisible() || !widget->internalWinId() || widget->inherits("QSystemTrayIconSys")) continue;
        if (const Window* w = Window::fromWidget(widget); w && w->isBaseWindow()) continue;
        const xcb_window_t top = topLevelAmong(stacking, static_cast<xcb_window_t>(widget->internalWinId()));
        const auto it = std::find(stacking.begin(), stacking.end(), top);
        if (it == stacking.end()) continue;
        const auto at = static_cast<std::size_t>(it - stacking.begin());
        if (!lowest || at < lowest->first) lowest = std::make_pair(at, top);
    }
    return lowest;
}

// True when the server stacks our windows above level 0 in level order,
// and each base window above every window of another program that stands
// below our windows of higher levels. The server's stacking of the windows'
// frames, not the window manager's list: not every manager updates that
// list as it raises a window (fluxbox raising the window that takes the
// focus).
bool stackedInLevelOrder() {
    const auto stacking = x11::rootChildren();
    auto positionOf = [&stacking](xcb_window_t id) -> std::optional<std::size_t> {
        const auto it = std::find(stacking.begin(), stacking.end(), id);
        if (it == stacking.end()) return std::nullopt;
        return static_cast<std::size_t>(it - stacking.begin());
    };
    std::vector<std::pair<std::size_t, Window*>> placed; // position (bottom first)
    for (Window* w : Window::all()) {
        if (w->stacking().level() <= WindowLevel::normal || !w->isVisible() || w->xid() == XCB_NONE) continue;
        if (const auto at = positionOf(topLevelAmong(stacking, w->xid()))) placed.emplace_back(*at, w);
    }
    std::sort(placed.begin(), placed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < placed.size(); ++i)
        if (placed[i - 1].second->stacking().level() > placed[i].second->stacking().level()) return false;
    // Between a base window and the lowest of ours above its level stand
    // only windows of ours, or windows not on screen.
    std::vector<xcb_window_t> between;
    for (std::size_t i = 0; i < placed.size(); ++i) {
        if (!placed[i].second->isBaseWindow()) continue;
        std::size_t end = stacking.size();
        for (std::size_t j = i + 1; j < placed.size(); ++j)
            if (placed[j].second->stacking().level() > placed[i].second->stacking().level()) {
                end = placed[j].first;
                break;
            }
        for (std::size_t k = placed[i].first + 1; k < end; ++k) between.push_back(stacking[k]);
    }
    // A base window taken down to the ordinary level stands below every other
    // shown window of ours (an alert or file panel it was taken down for).
    for (Window* w : Window::all()) {
        if (!w->isBaseWindow() || w->stacking().level() > WindowLevel::normal || !w->isVisible()) continue;
        const auto at = positionOf(w->xid());
        const auto lowest = lowestOfOurOtherWindows(stacking);
        if (at && lowest && *at > lowest->first) return false;
    }
    if (between.empty()) return true;
    const auto ours = x11::ourWindows();
    std::vector<xcb_window_t> others;
    for (xcb_window_t id : between) {
        const bool isOurs = std::find(ours.begin(), ours.end(), id) != ours.end() ||
                            std::any_of(placed.begin(), placed.end(), [id, &stacking](const auto& p) {
                                return topLevelAmong(stacking, p.second->xid()) == id;
                            });
        if (!isOurs) others.push_back(id);
    }
    return x11::viewableAmong(others).empty();
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

void WindowStacking::raiseAmongItsLevel() {
    static std::uint64_t raises = 0;
    raisedAt_ = ++raises;
    if (window_.isVisible()) restackAll();
}

void WindowStacking::raise() {
    if (level_ <= WindowLevel::normal) restackWindow(window_.xid());
    restackAll();
}

void WindowStacking::restackAll() {
    std::vector<Window*> high;
    for (Window* w : Window::all())
        if (w->stacking().level_ > WindowLevel::normal && w->isVisible() && w->xid() != XCB_NONE) high.push_back(w);
    // Highest first; of equal levels the one raised last on top, then the
    // newest.
    std::reverse(high.begin(), high.end());
    std::stable_sort(high.begin(), high.end(),
                     [](Window* a, Window* b) { return a->stacking().goesAbove(b->stacking()); });
    xcb_window_t above = XCB_NONE;
    std::optional<std::vector<xcb_window_t>> stacking;
    for (Window* w : high) {
        // No window manager stacks a base window: it goes straight below the
        // frame of the window above it, or on top of everything.
        if (w->isBaseWindow()) {
            if (above != XCB_NONE && !stacking) stacking = x11::rootChildren();
            configureStacking(w->xid(), above == XCB_NONE ? XCB_NONE : topLevelAmong(*stacking, above));
        } else {
            restackWindow(w->xid(), above);
        }
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
