#include "platform/X11ScreenProvider.h"

#include "platform/Strut.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "platform/X11Monitors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace platform {

namespace {

// Struts of every client the window manager lists, or of the root's children
// when no window manager keeps a list.
std::vector<Strut> struts(QSize rootSize) {
    std::vector<Strut> out;
    auto windows = x11::property32(x11::root(), x11::atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
    if (windows.empty()) {
        auto* conn = x11::connection();
        auto tree = x11::reply(xcb_query_tree_reply(conn, xcb_query_tree(conn, x11::root()), nullptr));
        if (tree) {
            const auto* children = xcb_query_tree_children(tree.get());
            windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
        }
    }
    const xcb_atom_t partial = x11::atom("_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t legacy = x11::atom("_NET_WM_STRUT");
    // Only panels on screen reserve their edges; a hidden one keeps its
    // property. Requests go out together, replies are read after.
    auto* c = x11::connection();
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (auto w : windows) cookies.push_back(xcb_get_window_attributes(c, w));
    std::vector<xcb_window_t> mapped;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        auto a = x11::reply(xcb_get_window_attributes_reply(c, cookies[i], nullptr));
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) mapped.push_back(windows[i]);
    }
    for (auto w : mapped) {
        auto values = x11::property32(w, partial, XCB_ATOM_CARDINAL, 12);
        if (values.size() < 12) values = x11::property32(w, legacy, XCB_ATOM_CARDINAL, 4);
        for (const Strut& s : Strut::fromProperty(values, rootSize)) out.push_back(s);
    }
    return out;
}

QRect workArea() {
    const auto current = x11::property32(x11::root(), x11::atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL, 1);
    const auto areas = x11::property32(x11::root(), x11::atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
    const std::size_t desk = current.empty() ? 0 : current.front();
    if (areas.size() < (desk + 1) * 4) return {};
    return QRect(static_cast<int>(areas[desk * 4]), static_cast<int>(areas[desk * 4 + 1]),
                 static_cast<int>(areas[desk * 4 + 2]), static_cast<int>(areas[desk * 4 + 3]));
}

using x11::logicalRect;
using x11::Monitor;

std::vector<Screen> qtScreens() {
    std::vector<Screen> out;
    const auto screens = QGuiApplication::screens();
    const QRect primary = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry() : QRect();
    DisplayID next = 1;
    for (QScreen* qs : screens) {
        Screen s;
        s.displayID = next++;
        s.frame = toScreen(QRectF(qs->geometry()), primary);
        s.visibleFrame = toScreen(QRectF(qs->availableGeometry()), primary);
        s.localizedName = qs->name();
        s.scale = qs->devicePixelRatio();
        if (qs == QGuiApplication::primaryScreen()) out.insert(out.begin(), s);
        else out.push_back(s);
    }
    return out;
}

} // namespace

X11ScreenProvider::X11ScreenProvider() : context_(std::make_unique<QObject>()) {
    adopt(read());
    watchQtScreens();
}

X11ScreenProvider::~X11ScreenProvider() = default;

// Reading the monitors and every panel's struts takes several round trips,
// and the pointer rule asks on every movement: answer from what the last
// change left, read again whenever the screens or the panels change.
std::vector<Screen> X11ScreenProvider::screens() const {
    return last_.screens.empty() ? read().screens : last_.screens;
}

X11ScreenProvider::Reading X11ScreenProvider::read() {
    if (!x11::available()) return {qtScreens(), std::nullopt};
    const auto monitors = x11::monitors();
    if (monitors.empty()) return {qtScreens(), std::nullopt};
    const QSize rootSize = x11::rootSize();
    const auto reserved = struts(rootSize);
    const QRect area = reserved.empty() ? workArea() : QRect();
    const double scale = x11::rootScaleFactor();
    const QRect primary = logicalRect(monitors.front().rect, scale);

    std::vector<Screen> out;
    for (const Monitor& m : monitors) {
        QRect visible = visibleRootRect(m.rect, reserved, rootSize);
        if (reserved.empty() && area.isValid() && area.intersects(m.rect)) visible = m.rect.intersected(area);
        Screen s;
        s.displayID = m.id;
        s.frame = toScreen(QRectF(logicalRect(m.rect, scale)), primary);
        s.visibleFrame = toScreen(QRectF(logicalRect(visible, scale)), primary);
        s.localizedName = m.name;
        s.scale = scale;
        out.push_back(s);
    }
    return {std::move(out), primary};
}

void X11ScreenProvider::adopt(Reading reading) {
    last_ = std::move(reading);
    if (last_.primaryInRoot) notePrimaryRootRect(*last_.primaryInRoot);
}

std::optional<Screen> X11ScreenProvider::mainScreen() const {
    const auto all = screens();
    if (all.empty()) return std::nullopt;
    if (QWindow* key = QGuiApplication::focusWindow()) {
        const Point centre = toScreen(QPointF(key->frameGeometry().center()), primaryRootRect());
        for (const auto& s : all)
            if (s.frame.contains(centre)) return s;
    }
    return all.front();
}

QRect X11ScreenProvider::primaryRootRect() const {
    if (last_.primaryInRoot) return *last_.primaryInRoot;
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect();
}

void X11ScreenProvider::watchQtScreens() {
    auto* app = qGuiApp;
    if (!app) return;
    auto watch = [this](QScreen* s) {
        QObject::connect(s, &QScreen::geometryChanged, context_.get(), [this] { scheduleCheck(); });
        QObject::connect(s, &QScreen::availableGeometryChanged, context_.get(), [this] { scheduleCheck(); });
    };
    for (QScreen* s : QGuiApplication::screens()) watch(s);
    QObject::connect(app, &QGuiApplication::screenAdded, context_.get(), [this, watch](QScreen* s) {
        watch(s);
        scheduleCheck();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, context_.get(), [this] { scheduleCheck(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, context_.get(), [this] { scheduleCheck(); });
    // Panels come and go with the window manager's client list.
    rootWatch_ = X11EventSource::instance().rootPropertyChanged.connect([this](xcb_atom_t atom) {
        if (atom == x11::atom("_NET_CLIENT_LIST") || atom == x11::atom("_NET_WORKAREA")) scheduleCheck();
    });
    // Qt says nothing once the server lists no monitor, not even when the
    // root changes size: the server's own notices are watched too.
    layoutWatch_ = X11EventSource::instance().screenLayoutChanged.connect([this] { scheduleCheck(); });
    // Desktop panels follow a new layout on their own turn, moving their
    // struts along; a window manager whose work area came out the same (a
    // strut along the top, wherever it lies on it) says nothing of that.
    strutWatch_ = X11EventSource::instance().strutsChanged.connect([this] { scheduleCheck(); });
}

void X11ScreenProvider::scheduleCheck() {
    // Qt reports one change as several signals; compare once they are all in.
    if (checkPending_) return;
    checkPending_ = true;
    QTimer::singleShot(0, context_.get(), [this] {
        checkPending_ = false;
        Reading now = read();
        if (now.screens == last_.screens && now.primaryInRoot == last_.primaryInRoot) return;
        adopt(std::move(now));
        screensChanged.emit();
    });
}

} // namespace platform
