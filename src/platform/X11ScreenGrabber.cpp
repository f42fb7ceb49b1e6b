// Display capture from the X root, with excluded windows hidden for the grab.
#include "platform/X11ScreenGrabber.h"

#include "platform/DesktopSession.h"
#include "platform/Dispatch.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11Monitors.h"
#include "platform/X11RootImage.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <xcb/shape.h>

#include <algorithm>

namespace platform {

namespace {

// How the grab waits for an excluded window to vanish from the screen: the
// area it covered is read every few milliseconds; once it has changed it must
// stay unchanged for a while (programs beneath repaint what was uncovered);
// if it never changes the window showed nothing there.
constexpr int kPollMs = 4;
// A compositing manager shows each frame whole; without one, the programs
// beneath repaint what was uncovered one by one.
constexpr qint64 kSettledMsComposited = 8;
constexpr qint64 kSettledMs = 20;
constexpr qint64 kUnchangedMs = 100;
constexpr qint64 kLongestHideMs = 250;

CaptureError waylandError() {
    return {CaptureError::Kind::permissionDenied,
            QStringLiteral("in a Wayland session the X server does not show other programs' windows")};
}

CaptureError failure(const QString& description) { return {CaptureError::Kind::failed, description}; }

// The window's ancestor that is a child of the root: the window manager's
// frame, or the window itself when nothing reparented it.
xcb_window_t topLevelOf(xcb_window_t window) {
    auto* c = x11::connection();
    for (int depth = 0; depth < 16 && window != XCB_NONE; ++depth) {
        auto t = x11::reply(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!t) return XCB_NONE;
        if (t->parent == t->root || t->parent == XCB_NONE) return window;
        window = t->parent;
    }
    return XCB_NONE;
}

std::optional<QRect> rootGeometry(xcb_window_t topLevel) {
    auto* c = x11::connection();
    auto g = x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, topLevel), nullptr));
    if (!g) return std::nullopt;
    const int border = g->border_width;
    return QRect(g->x, g->y, g->width + 2 * border, g->height + 2 * border);
}

std::vector<std::uint32_t> viewableWindows() {
    auto* c = x11::connection();
    std::vector<std::uint32_t> candidates =
        x11::property32(x11::root(), x11::atom("_NET_CLIENT_LIST_STACKING"), XCB_ATOM_WINDOW);
    if (candidates.empty()) {
        if (auto t = x11::reply(xcb_query_tree_reply(c, xcb_query_tree(c, x11::root()), nullptr))) {
            const auto* children = xcb_query_tree_children(t.get());
            candidates.assign(children, children + xcb_query_tree_children_length(t.get()));
        }
    }
    for (Window* w : Window::all())
        if (w->isVisible() && w->xid() != XCB_NONE &&
            std::find(candidates.begin(), candidates.end(), w->xid()) == candidates.end())
            candidates.push_back(w->xid());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(candidates.size());
    for (auto w : candidates) cookies.push_back(xcb_get_window_attributes(c, w));
    std::vector<std::uint32_t> out;
    // Front first, as the stacking list is bottom first.
    for (std::size_t i = candidates.size(); i-- > 0;) {
        auto a = x11::reply(xcb_get_window_attributes_reply(c, cookies[i], nullptr));
        if (a && a->map_state == XCB_MAP_STATE_VIEWABLE) out.push_back(candidates[i]);
    }
    return out;
}

// One excluded window, and how to put it back.
struct HiddenWindow {
    QPointer<Window> window;
    xcb_window_t client = XCB_NONE;
    xcb_window_t topLevel = XCB_NONE;
    QRect area; // root pixels
    bool byOpacity = false;
    std::optional<std::uint32_t> clientOpacity;
    std::optional<std::uint32_t> topOpacity;
    bool wasShaped = false;
    std::uint8_t ordering = XCB_CLIP_ORDERING_UNSORTED;
    std::vector<xcb_rectangle_t> shape;
};

std::optional<std::uint32_t> opacityOf(xcb_window_t w) {
    const auto v = x11::property32(w, x11::atom("_NET_WM_WINDOW_OPACITY"), XCB_ATOM_CARDINAL, 1);
    if (v.empty()) return std::nullopt;
    return v.front();
}

void setOpacity(xcb_window_t w, std::optional<std::uint32_t> value) {
    auto* c = x11::connection();
    const xcb_atom_t a = x11::atom("_NET_WM_WINDOW_OPACITY");
    if (value) {
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, a, XCB_ATOM_CARDINAL, 32, 1, &*value);
    } else {
        xcb_delete_property(c, w, a);
    }
}

// A compositing manager reads the opacity on the top-level window; window
// managers copy the client's there too, but not always at once. Without one
// the window loses its shape, which its repaints (the pointer just left it)
// must not give back; the window manager's frame is emptied at once too.
void hide(HiddenWindow& h, bool compositing) {
    auto* c = x11::connection();
    h.byOpacity = compositing;
    if (compositing) {
        h.clientOpacity = opacityOf(h.client);
        setOpacity(h.client, 0u);
        if (h.topLevel != h.client) {
            h.topOpacity = opacityOf(h.topLevel);
            setOpacity(h.topLevel, 0u);
        }
        return;
    }
    if (h.window) h.window->setHiddenFromScreen(true);
    if (h.topLevel == h.client) return;
    auto extents = x11::reply(xcb_shape_query_extents_reply(c, xcb_shape_query_extents(c, h.topLevel), nullptr));
    h.wasShaped = extents && extents->bounding_shaped;
    if (h.wasShaped) {
        auto rects = x11::reply(
            xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, h.topLevel, XCB_SHAPE_SK_BOUNDING), nullptr));
        if (rects) {
            h.ordering = rects->ordering;
            const auto* r = xcb_shape_get_rectangles_rectangles(rects.get());
            h.shape.assign(r, r + xcb_shape_get_rectangles_rectangles_length(rects.get()));
        }
    }
    xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, h.topLevel, 0, 0, 0,
                         nullptr);
}

// Checked requests: the window may have gone meanwhile, which is no error of
// the capture's.
void restore(const HiddenWindow& h) {
    auto* c = x11::connection();
    std::vector<xcb_void_cookie_t> cookies;
    const xcb_atom_t a = x11::atom("_NET_WM_WINDOW_OPACITY");
    auto putOpacity = [&](xcb_window_t w, std::optional<std::uint32_t> v) {
        cookies.push_back(v ? xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, w, a, XCB_ATOM_CARDINAL, 32, 1, &*v)
                            : xcb_delete_property_checked(c, w, a));
    };
    if (h.byOpacity) {
        putOpacity(h.client, h.clientOpacity);
        if (h.topLevel != h.client) putOpacity(h.topLevel, h.topOpacity);
    } else if (h.topLevel == h.client) {
        // The window's own shape, below.
    } else if (h.wasShaped) {
        cookies.push_back(xcb_shape_rectangles_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, h.ordering,
                                                       h.topLevel, 0, 0, static_cast<std::uint32_t>(h.shape.size()),
                                                       h.shape.data()));
    } else {
        cookies.push_back(
            xcb_shape_mask_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, h.topLevel, 0, 0, XCB_NONE));
    }
    for (auto cookie : cookies) std::free(xcb_request_check(c, cookie));
    if (!h.byOpacity && h.window) h.window->setHiddenFromScreen(false);
}

} // namespace

// One capture under way: hides the excluded windows, waits for the screen to
// show what they covered, reads the display and puts the windows back.
class X11ScreenGrabber::PendingGrab : public QObject {
public:
    PendingGrab(QObject* parent, QRect display, std::vector<HiddenWindow> hidden, CaptureConfiguration configuration,
                std::function<void(ImageResult)> done)
        : QObject(parent),
          display_(display),
          hidden_(std::move(hidden)),
          configuration_(configuration),
          done_(std::move(done)) {
        for (const auto& h : hidden_) sampleArea_ |= h.area;
        timer_.setInterval(kPollMs);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
    }
    ~PendingGrab() override { putBack(); }

    void start() {
        // Shared memory is ready before anything is hidden, so that the read
        // is quick while a window is away; setting it up costs more than it
        // saves on a read alone.
        reader_ = std::make_unique<x11::RootImageReader>(
            display_.size(), hidden_.empty() ? x11::RootReadMethod::request : x11::RootReadMethod::automatic);
        if (hidden_.empty()) {
            QTimer::singleShot(0, this, [this] { finish(); });
            return;
        }
        before_ = x11::readRootImage(sampleArea_, nullptr, x11::RootReadMethod::request);
        const bool compositing = x11::compositingManagerRunning();
        settledMs_ = compositing ? kSettledMsComposited : kSettledMs;
        for (auto& h : hidden_) hide(h, compositing);
        hiddenNow_ = true;
        x11::flush();
        clock_.start();
        timer_.start();
    }

private:
    void poll() {
        const QImage now = x11::readRootImage(sampleArea_, nullptr, x11::RootReadMethod::request);
        const qint64 t = clock_.elapsed();
        if (now != before_) {
            lastChange_ = t;
            before_ = now;
        }
        const bool settled = lastChange_ ? t - *lastChange_ >= settledMs_ : t >= kUnchangedMs;
        if (settled || t >= kLongestHideMs) finish();
    }

    void finish() {
        timer_.stop();
        QString error;
        // Back on screen as soon as the server has the pixels.
        QImage image = reader_->read(display_, &error, [this] { putBack(); });
        putBack();
        reader_.reset();
        if (!image.isNull() && configuration_.width > 0 && configuration_.height > 0 &&
            image.size() != QSize(configuration_.width, configuration_.height))
            image = image.scaled(configuration_.width, configuration_.height, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
        auto done = std::move(done_);
        deleteLater();
        if (!done) return;
        if (image.isNull()) {
            done({{}, failure(error)});
        } else {
            done({image, std::nullopt});
        }
    }

    void putBack() {
        if (!hiddenNow_) return;
        hiddenNow_ = false;
        for (const auto& h : hidden_) restore(h);
        x11::flush();
    }

    QRect display_;
    std::vector<HiddenWindow> hidden_;
    CaptureConfiguration configuration_;
    std::function<void(ImageResult)> done_;
    std::unique_ptr<x11::RootImageReader> reader_;
    QRect sampleArea_;
    QImage before_;
    bool hiddenNow_ = false;
    QTimer timer_;
    QElapsedTimer clock_;
    std::optional<qint64> lastChange_;
    qint64 settledMs_ = kSettledMs;
};

X11ScreenGrabber::X11ScreenGrabber(bool waylandSession)
    : wayland_(waylandSession),
      context_(std::make_unique<QObject>()) {}

X11ScreenGrabber::X11ScreenGrabber() : X11ScreenGrabber(isWaylandSession()) {}

X11ScreenGrabber::~X11ScreenGrabber() = default;

void X11ScreenGrabber::shareableContent(std::function<void(ContentResult)> done) {
    assertMainThread("X11ScreenGrabber::shareableContent");
    ContentResult result;
    if (wayland_) {
        result.error = waylandError();
    } else if (!x11::available()) {
        result.error = failure(QStringLiteral("no connection to an X server"));
    } else {
        const auto monitors = x11::monitors();
        const double scale = x11::rootScaleFactor();
        const QRect primary = monitors.empty() ? QRect() : x11::logicalRect(monitors.front().rect, scale);
        for (const auto& m : monitors) {
            const QRect r = x11::logicalRect(m.rect, scale);
            result.content.displays.push_back(
                {m.id, Rect(r.x() - primary.x(), r.y() - primary.y(), r.width(), r.height())});
        }
        result.content.windowIDs = viewableWindows();
    }
    QTimer::singleShot(0, context_.get(), [done = std::move(done), result = std::move(result)] { done(result); });
}

void X11ScreenGrabber::captureImage(const ContentFilter& filter, const CaptureConfiguration& configuration,
                                    std::function<void(ImageResult)> done) {
    assertMainThread("X11ScreenGrabber::captureImage");
    auto answerLater = [this, &done](CaptureError error) {
        QTimer::singleShot(0, context_.get(), [done = std::move(done), error] { done({{}, error}); });
    };
    if (wayland_) return answerLater(waylandError());
    if (!x11::available()) return answerLater(failure(QStringLiteral("no connection to an X server")));
    const auto monitors = x11::monitors();
    const auto monitor = std::find_if(monitors.begin(), monitors.end(),
                                      [&](const x11::Monitor& m) { return m.id == filter.display.displayID; });
    if (monitor == monitors.end()) return answerLater(failure(QStringLiteral("the display is no longer connected")));

    std::vector<HiddenWindow> hidden;
    for (Window* w : Window::all()) {
        const std::uint32_t id = w->xid();
        if (id == XCB_NONE || !w->isVisible()) continue;
        if (std::find(filter.excludedWindowIDs.begin(), filter.excludedWindowIDs.end(), id) ==
            filter.excludedWindowIDs.end())
            continue;
        HiddenWindow h;
        h.window = w;
        h.client = id;
        h.topLevel = topLevelOf(id);
        if (h.topLevel == XCB_NONE) continue;
        const auto area = rootGeometry(h.topLevel);
        if (!area || !area->intersects(monitor->rect)) continue;
        h.area = area->intersected(monitor->rect);
        hidden.push_back(std::move(h));
    }
    auto* grab = new PendingGrab(context_.get(), monitor->rect, std::move(hidden), configuration, std::move(done));
    grab->start();
}

} // namespace platform
