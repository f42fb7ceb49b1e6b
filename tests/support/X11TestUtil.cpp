#include "support/X11TestUtil.h"

#include "platform/Window.h"
#include "platform/X11.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QStyleHints>
#include <QWidget>

#include <algorithm>
#include <optional>

namespace testing_support {

namespace x11 = platform::x11;

namespace {

// A hidden window of ours whose property changes come back to us through
// the server: everything the server sent us before such a change has then
// been handled. A size asked for it goes through the window manager, which
// carries out every window's configure request (it takes on none of its
// own, unmapped): once the new size is back, the manager has handled
// everything asked of it before.
class RoundTrip : public QAbstractNativeEventFilter {
public:
    static RoundTrip& instance() {
        static RoundTrip* trip = new RoundTrip; // outlives the tests' last event
        return *trip;
    }

    bool toServer(int timeoutMs) {
        if (!window_) return false;
        const int expected = ++marksSent_;
        x11::setProperty32(window_, markAtom_, XCB_ATOM_CARDINAL, {std::uint32_t(expected)});
        x11::flush();
        return waitUntil([&] { return marksSeen_ >= expected; }, timeoutMs);
    }

    bool throughWindowManager(int timeoutMs) {
        if (!window_) return false;
        if (x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty())
            return toServer(timeoutMs);
        // A width of its own for each request. A manager that is starting
        // may drop a request that came before it was ready: asked again.
        QElapsedTimer waited;
        waited.start();
        while (true) {
            const std::uint32_t width = 1 + (++resizesSent_ % 50);
            xcb_configure_window(x11::connection(), window_, XCB_CONFIG_WINDOW_WIDTH, &width);
            x11::flush();
            const int left = timeoutMs - int(waited.elapsed());
            if (left <= 0) return false;
            const int expected = resizesSent_;
            if (waitUntil([&] { return resizesSeen_ >= expected; }, std::min(left, 1000))) return true;
        }
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* e = static_cast<const xcb_generic_event_t*>(message);
        if ((e->response_type & ~0x80) == XCB_CONFIGURE_NOTIFY) {
            const auto* c = reinterpret_cast<const xcb_configure_notify_event_t*>(e);
            if (c->window == window_ && c->width == 1 + (resizesSent_ % 50)) resizesSeen_ = resizesSent_;
            return false;
        }
        if ((e->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
        const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(e);
        if (p->window != window_) return false;
        if (p->atom == markAtom_) ++marksSeen_;
        return false;
    }

private:
    RoundTrip() {
        auto* c = x11::connection();
        if (!c) return;
        markAtom_ = x11::atom("_OVERINK_TEST_ROUND_TRIP");
        window_ = xcb_generate_id(c);
        const std::uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY};
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window_, x11::root(), -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, mask);
        x11::flush();
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    xcb_window_t window_ = 0;
    xcb_atom_t markAtom_ = 0;
    int marksSent_ = 0;
    int marksSeen_ = 0;
    int resizesSent_ = 0;
    int resizesSeen_ = 0;
};

} // namespace

bool xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(10000)) return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QPoint pointerPosition() {
    auto* c = x11::connection();
    if (!c) return {};
    auto r = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, x11::root()), nullptr));
    return r ? QPoint(r->root_x, r->root_y) : QPoint();
}

bool moveMouse(int x, int y) {
    // Not xdotool's --sync: it waits for a movement, and there is none when
    // the pointer is there already.
    const QPoint target(x, y);
    xdotool({"mousemove", QString::number(x), QString::number(y)});
    const bool there = waitUntil([&] { return pointerPosition() == target; });
    drainEvents();
    return there;
}

bool moveMouse(QPoint p) { return moveMouse(p.x(), p.y()); }

void click(int button) {
    xdotool({"click", QString::number(button)});
    drainEvents();
}

void clickAt(int x, int y, int button) {
    moveMouse(x, y);
    click(button);
}

void pressKey(const QString& keys) {
    xdotool({"key", keys});
    drainEvents();
}

bool syncWithServer(int timeoutMs) {
    const bool ok = RoundTrip::instance().toServer(timeoutMs);
    drainEvents();
    return ok;
}

bool settle(int timeoutMs) {
    const bool ok = RoundTrip::instance().throughWindowManager(timeoutMs);
    drainEvents();
    return ok;
}

std::vector<std::uint32_t> windowsUnderPointer() {
    std::vector<std::uint32_t> chain;
    auto* c = x11::connection();
    if (!c) return chain;
    xcb_window_t w = x11::root();
    for (int depth = 0; depth < 16; ++depth) {
        auto r = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, w), nullptr));
        if (!r || r->child == XCB_NONE) break;
        chain.push_back(r->child);
        w = r->child;
    }
    return chain;
}

bool pointerReaches(QPoint at, std::uint32_t window, int timeoutMs) {
    if (!moveMouse(at)) return false;
    return waitUntil(
        [&] {
            const auto chain = windowsUnderPointer();
            const auto under = [&](std::uint32_t w) { return std::find(chain.begin(), chain.end(), w) != chain.end(); };
            if (under(window)) return true;
            // Without a compositor a window's input region lies on an input-only
            // window of its own, which then gets the press for it.
            for (platform::Window* w : platform::Window::all())
                if (w->xid() == window && w->shape().inputWindowId() != 0 && under(w->shape().inputWindowId()))
                    return true;
            return false;
        },
        timeoutMs);
}

QRect serverGeometry(const platform::Window& w) {
    auto* c = x11::connection();
    auto g = x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, w.xid()), nullptr));
    auto t = x11::reply(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, w.xid(), x11::root(), 0, 0), nullptr));
    if (!g || !t) return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

bool stackedAbove(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t topA = x11::topLevelOf(a), topB = x11::topLevelOf(b);
    const auto stacking = x11::rootChildren();
    const auto ia = std::find(stacking.begin(), stacking.end(), topA);
    const auto ib = std::find(stacking.begin(), stacking.end(), topB);
    return topA && topB && ia != stacking.end() && ib != stacking.end() && ia > ib;
}

namespace {

// Whether the window manager, if one runs, lists `window` among its clients;
// a window that is no manager's (override-redirect) has none to wait for.
bool managedBy(bool managed, std::uint32_t window) {
    if (!managed) return true;
    auto* c = x11::connection();
    if (auto a = x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
        a && a->override_redirect)
        return true;
    const auto clients = x11::property32(x11::root(), x11::atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    return std::find(clients.begin(), clients.end(), window) != clients.end();
}

// `geometry` empty: wherever the window is.
bool waitUntilMapped(std::uint32_t window, const std::function<QRect()>& geometry, int timeoutMs) {
    auto* c = x11::connection();
    if (!c || !window) return false;
    const bool managed = !x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW).empty();
    const bool placed = waitUntil(
        [&] {
            auto attributes =
                x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) return false;
            if (!geometry) return managedBy(managed, window);
            auto at = x11::reply(
                xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, x11::root(), 0, 0), nullptr));
            auto size = x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
            if (!at || !size || QRect(at->dst_x, at->dst_y, size->width, size->height) != geometry()) return false;
            return managedBy(managed, window);
        },
        timeoutMs);
    return placed && settle(timeoutMs);
}

} // namespace

bool waitUntilPlaced(std::uint32_t window, const QRect& geometry, int timeoutMs) {
    return waitUntilMapped(
        window, [geometry] { return geometry; }, timeoutMs);
}

bool waitUntilPlaced(std::uint32_t window, const std::function<QRect()>& geometry, int timeoutMs) {
    return waitUntilMapped(window, geometry, timeoutMs);
}

bool waitUntilManaged(std::uint32_t window, int timeoutMs) { return waitUntilMapped(window, {}, timeoutMs); }

void pace(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void paceNewClick() { pace(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100); }

QImage grabRoot() {
    auto* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage() : QImage();
}

std::uint32_t trayIconWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QSystemTrayIconSys") && w->internalWinId())
            return static_cast<std::uint32_t>(w->internalWinId());
    return 0;
}

} // namespace testing_support

namespace testing_support {

ExternalWindow::ExternalWindow(const QString& program, const QRect& g) : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(program, {QString::number(g.x()), QString::number(g.y()), QString::number(g.width()),
                              QString::number(g.height())});
    waitUntil(
        [&] {
            read();
            return window_ != 0 || process_->state() == QProcess::NotRunning;
        },
        10000);
    placed_ = window_ != 0 && waitUntilPlaced(window_, g, 10000);
}

ExternalWindow::~ExternalWindow() {
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(3000)) process_->kill();
        process_->waitForFinished(3000);
    }
}

void ExternalWindow::read() {
    process_->waitForReadyRead(0);
    buffer_ += process_->readAllStandardOutput();
    int nl;
    while ((nl = buffer_.indexOf('\n')) >= 0) {
        const QList<QByteArray> parts = buffer_.left(nl).split(' ');
        buffer_.remove(0, nl + 1);
        if (parts.size() == 2 && parts[0] == "ready") window_ = parts[1].toUInt();
        if (parts.size() == 2 && parts[0] == "sentinel") sentinelsSeen_ = parts[1].toInt();
        if (parts.size() == 4 && parts[0] == "press") presses_.emplace_back(parts[2].toInt(), parts[3].toInt());
        if (parts.size() == 3 && parts[0] == "key") keys_.push_back(parts[1].toUInt(nullptr, 16));
    }
}

const std::vector<std::uint32_t>& ExternalWindow::keys() {
    read();
    return keys_;
}

bool ExternalWindow::holdsKeyboard() const {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    return r && window_ && r->focus == window_;
}

bool ExternalWindow::takeKeyboard() {
    if (!window_) return false;
    xdotool({"windowfocus", QString::number(window_)});
    return waitUntil([&] { return holdsKeyboard(); });
}

const std::vector<QPoint>& ExternalWindow::presses() {
    read();
    return presses_;
}

bool ExternalWindow::hasPressNear(QPoint at) {
    const auto& all = presses();
    return std::any_of(all.begin(), all.end(), [&](const QPoint& p) { return (p - at).manhattanLength() <= 2; });
}

bool ExternalWindow::waitForPress(QPoint at, int timeoutMs) {
    return waitUntil([&] { return hasPressNear(at); }, timeoutMs);
}

bool ExternalWindow::sync(int timeoutMs) {
    if (!window_) return false;
    const int expected = ++sentinelsSent_;
    x11::setProperty32(window_, x11::atom("_OVERINK_SENTINEL"), XCB_ATOM_CARDINAL, {std::uint32_t(expected)});
    x11::flush();
    return waitUntil(
        [&] {
            read();
            return sentinelsSeen_ >= expected;
        },
        timeoutMs);
}

} // namespace testing_support
