// Display capture from the X root, with excluded windows hidden for the grab.
#include "platform/X11ScreenGrabber.h"

#include "platform/DesktopSession.h"
#include "platform/Dispatch.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11DamageWatch.h"
#include "platform/X11Monitors.h"
#include "platform/X11RootImage.h"

#include <QPointer>
#include <QTimer>

#include <xcb/shape.h>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

CaptureError waylandError() {
    return {CaptureError::Kind::permissionDenied,
            QStringLiteral("in a Wayland session the X server does not show other programs' windows")};
}

CaptureError failure(const QString& description) { return {CaptureError::Kind::failed, description}; }

constexpr int kPreparedKeptMs = 3000;

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
    QRect area; // root pixels of the top-level window, on the display
    // Where the window shows on the display (root pixels): its painted
    // pixels when shaped to them. The screen must be drawn there again.
    QRegion shows;
    // The window's own pixels at `lookAt` (root pixels), and whether their
    // alpha can be read; null when they could not be.
    QImage look;
    QPoint lookAt;
    bool byOpacity = false;
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

// The client's position on the root and the region it shows there (its
// bounding shape, the whole window when it has none).
std::optional<QRegion> shownRegion(xcb_window_t client, QPoint* origin) {
    auto* c = x11::connection();
    auto at = x11::reply(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, client, x11::root(), 0, 0), nullptr));
    auto rects = x11::reply(
        xcb_shape_get_rectangles_reply(c, xcb_shape_get_rectangles(c, client, XCB_SHAPE_SK_BOUNDING), nullptr));
    if (!at || !rects) return std::nullopt;
    *origin = QPoint(at->dst_x, at->dst_y);
    QRegion region;
    const auto* r = xcb_shape_get_rectangles_rectangles(rects.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(rects.get()); ++i)
        region += QRect(r[i].x, r[i].y, r[i].width, r[i].height).translated(*origin);
    return region;
}

// The window's own pixels: what a compositing manager would show of it, or
// what it shows without one. Only 32-bit pixels in the server's usual
// layout are read; the alpha is real only for windows of depth 32.
QImage ownPixels(xcb_window_t window, QSize size) {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_image_reply(c,
                                            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                                          static_cast<std::uint16_t>(size.width()),
                                                          static_cast<std::uint16_t>(size.height()), ~0u),
                                            nullptr));
    if (!r || xcb_get_setup(c)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return {};
    if (xcb_get_image_data_length(r.get()) < size.width() * size.height() * 4) return {};
    QImage image(size, r->depth == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const auto* data = xcb_get_image_data(r.get());
    for (int y = 0; y < size.height(); ++y)
        std::memcpy(image.scanLine(y), data + y * size.width() * 4, size.width() * 4);
    return image;
}

// Whether the screen still shows the window: most of its opaque pixels are
// there as they are. (A window that has nothing opaque tells nothing.)
bool stillShows(const HiddenWindow& h, const QImage& screen, QPoint screenAt) {
    if (h.look.isNull()) return false;
    const bool alpha = h.look.format() == QImage::Format_ARGB32;
    qint64 opaque = 0, same = 0;
    for (const QRect& r : h.shows) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const int ly = y - h.lookAt.y(), sy = y - screenAt.y();
            if (ly < 0 || ly >= h.look.height() || sy < 0 || sy >= screen.height()) continue;
            const auto* own = reinterpret_cast<const QRgb*>(h.look.constScanLine(ly));
            const auto* seen = reinterpret_cast<const QRgb*>(screen.constScanLine(sy));
            for (int x = r.left(); x <= r.right(); ++x) {
                const int lx = x - h.lookAt.x(), sx = x - screenAt.x();
                if (lx < 0 || lx >= h.look.width() || sx < 0 || sx >= screen.width()) continue;
                if (alpha && qAlpha(own[lx]) != 255) continue;
                ++opaque;
                if ((own[lx] & 0xFFFFFF) == (seen[sx] & 0xFFFFFF)) ++same;
            }
        }
    }
    return opaque > 0 && same * 2 > opaque;
}

// The window manager's frame leaves the screen: by opacity while a
// compositing manager runs, which reads it there (window managers copy the
// client's, but not always at once); else by shape.
void hideFrame(HiddenWindow& h, bool compositing) {
    auto* c = x11::connection();
    if (compositing) {
        h.topOpacity = opacityOf(h.topLevel);
        setOpacity(h.topLevel, 0u);
        return;
    }
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
void restoreFrame(const HiddenWindow& h) {
    auto* c = x11::connection();
    xcb_void_cookie_t cookie;
    const xcb_atom_t a = x11::atom("_NET_WM_WINDOW_OPACITY");
    if (h.byOpacity) {
        cookie = h.topOpacity ? xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, h.topLevel, a, XCB_ATOM_CARDINAL,
                                                            32, 1, &*h.topOpacity)
                              : xcb_delete_property_checked(c, h.topLevel, a);
    } else if (h.wasShaped) {
        cookie = xcb_shape_rectangles_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, h.ordering, h.topLevel, 0, 0,
                                              static_cast<std::uint32_t>(h.shape.size()), h.shape.data());
    } else {
        cookie = xcb_shape_mask_checked(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, h.topLevel, 0, 0, XCB_NONE);
    }
    std::free(xcb_request_check(c, cookie));
}

// The window leaves the screen, its frame first: a window emptied inside a
// frame still shaped to it lets the frame's own background show there for a
// moment, drawn where the window was, which would pass for the programs
// beneath having drawn the place again.
void hide(HiddenWindow& h, bool compositing) {
    h.byOpacity = compositing;
    if (h.topLevel != h.client) hideFrame(h, compositing);
    if (h.window) h.window->shape().setHiddenFromScreen(true);
}

// The window comes back inside its frame first, for the same reason.
void restore(const HiddenWindow& h) {
    if (h.window) h.window->shape().setHiddenFromScreen(false);
    if (h.topLevel != h.client) restoreFrame(h);
}

// A window that closed meanwhile leaves its frame to the window manager,
// which takes it away: shaped or opaque again, the frame would show its own
// background where the window was for a moment.
void restoreClosed(const HiddenWindow& h) {
    if (h.window && h.window->isVisible()) return restore(h);
    if (h.window) h.window->shape().setHiddenFromScreen(false);
}

// One of our windows as it shows within `bounds` (root pixels), read before
// it leaves the screen; none when it does not show there.
std::optional<HiddenWindow> describe(Window* w, const QRect& bounds) {
    const std::uint32_t id = w->xid();
    if (id == XCB_NONE || !w->isVisible()) return std::nullopt;
    HiddenWindow h;
    h.window = w;
    h.client = id;
    h.topLevel = topLevelOf(id);
    if (h.topLevel == XCB_NONE) return std::nullopt;
    const auto area = rootGeometry(h.topLevel);
    if (!area || !area->intersects(bounds)) return std::nullopt;
    h.area = area->intersected(bounds);
    // A window at alpha 0 (about to fade in) shows nothing yet; it is
    // kept off the screen all the same.
    if (w->alphaValue() > 0) {
        if (const auto shows = shownRegion(id, &h.lookAt)) {
            h.shows = *shows & h.area;
            if (const auto own = rootGeometry(id)) h.look = ownPixels(id, own->size());
        } else {
            h.shows = h.area;
        }
    }
    return h;
}

} // namespace

// One of our windows taken off the screen as it closes before a grab, and
// the reports of drawing on the screen since.
struct X11ScreenGrabber::ClosingWindow {
    HiddenWindow hidden;
    std::unique_ptr<x11::DamageWatch> watch;
};

// One capture under way: hides the excluded windows, waits until the X
// server reports the screen drawn again where they showed, and where the
// windows that closed just before showed, and no longer showing them, reads
// the display and puts the windows back.
class X11ScreenGrabber::PendingGrab : public QObject {
public:
    PendingGrab(QObject* parent, std::shared_ptr<Clock> clock, QRect display, std::vector<HiddenWindow> hidden,
                std::vector<ClosingWindow> closed, CaptureConfiguration configuration,
                std::unique_ptr<x11::RootImageReader> reader, std::function<void(ImageResult)> done)
        : QObject(parent),
          clock_(std::move(clock)),
          display_(display),
          reader_(std::move(reader)),
          hidden_(std::move(hidden)),
          closed_(std::move(closed)),
          configuration_(configuration),
          done_(std::move(done)) {}
    ~PendingGrab() override { putBack(); }

    void start() {
        // Shared memory is ready before anything is hidden, so that the read
        // is quick while a window is away.
        if (!reader_ || reader_->largest().width() < display_.width() ||
            reader_->largest().height() < display_.height())
            reader_ = std::make_unique<x11::RootImageReader>(display_.size());
        compositing_ = x11::compositingManagerRunning();
        QRegion mustRedraw;
        for (const auto& h : hidden_) mustRedraw += h.shows;
        // Watched from before the windows leave, as those that closed were.
        if (!mustRedraw.isEmpty()) {
            watch_ = std::make_unique<x11::DamageWatch>(clock_);
            places_.push_back({mustRedraw, watch_.get()});
        }
        for (const auto& c : closed_)
            if (!c.hidden.shows.isEmpty()) places_.push_back({c.hidden.shows, c.watch.get()});
        for (auto& h : hidden_) hide(h, compositing_);
        hiddenNow_ = true;
        x11::flush();
        if (places_.empty()) {
            // Nothing of ours shows there: hidden or not, the screen is the same.
            QTimer::singleShot(0, this, [this] { finish(); });
            return;
        }
        for (const auto& p : places_) reports_.push_back(p.watch->newReports.connect([this] { check(); }));
        startedMs_ = clock_->nowMs();
        waitUntilDeadline(kLongestHideMs);
        // Without reports of drawing there is nothing to wait for but time.
        if (std::any_of(places_.begin(), places_.end(), [](const Place& p) { return !p.watch->isWatching(); }))
            unreported_ = clock_->after(kUnreportedMs, [this] { check(); });
        // The places of the windows that closed may have been drawn again
        // before the grab began.
        QTimer::singleShot(0, this, [this] { check(); });
    }

private:
    // A compositing manager draws each frame whole; without one the
    // programs beneath repaint what was uncovered one by one, and the
    // repaints of one may follow the X server's own background.
    static constexpr int kQuietMs = 15;
    static constexpr int kUnreportedMs = 100;
    // The wait ends here unless the screen still shows the windows (a
    // compositing manager starved of time), which it waits out longer.
    static constexpr int kLongestHideMs = 250;
    static constexpr int kLongestWhileShownMs = 1000;

    // A place to be drawn again, and the watch that reports the drawing
    // since it was uncovered.
    struct Place {
        QRegion area;
        x11::DamageWatch* watch;
    };

    // Each read where it showed: the windows may lie far apart (the toolbar
    // and the countdown), and the screen between them is of no interest.
    static bool screenStillShows(const HiddenWindow& h) {
        const QRect area = h.shows.boundingRect();
        if (area.isEmpty() || h.look.isNull()) return false;
        return stillShows(h, x11::readRootImage(area, nullptr, x11::RootReadMethod::request), area.topLeft());
    }
    bool screenStillShowsThem() const {
        return std::any_of(hidden_.begin(), hidden_.end(), screenStillShows) ||
               std::any_of(closed_.begin(), closed_.end(),
                           [](const ClosingWindow& c) { return screenStillShows(c.hidden); });
    }

    void waitForQuiet(int ms) {
        quiet_ = clock_->after(ms, [this] { check(); });
    }
    void waitUntilDeadline(int ms) {
        deadline_ = clock_->after(ms, [this] { deadlinePassed(); });
    }

    void deadlinePassed() {
        const qint64 left = kLongestWhileShownMs - (clock_->nowMs() - startedMs_);
        if (left > 0 && screenStillShowsThem()) {
            waitUntilDeadline(int(std::min<qint64>(left, kQuietMs)));
            return;
        }
        finish();
    }

    void check() {
        if (!hiddenNow_ || !done_) return;
        qint64 quietLeft = 0;
        for (const auto& p : places_) {
            if (!p.watch->isWatching()) {
                if (clock_->nowMs() - startedMs_ < kUnreportedMs) return;
                continue;
            }
            if (!(p.area - p.watch->drawn()).isEmpty()) return;
            if (!compositing_)
                quietLeft = std::max(quietLeft, kQuietMs - (p.watch->elapsed() - p.watch->lastDrawnIn(p.area)));
        }
        if (quietLeft > 0) {
            waitForQuiet(int(quietLeft));
            return;
        }
        // A drawing of the area may still be of the windows: one the
        // compositing manager made before it learnt that they are hidden.
        if (screenStillShowsThem()) return;
        finish();
    }

    void finish() {
        quiet_.reset();
        deadline_.reset();
        unreported_.reset();
        // Ended on a later turn: this may run inside one of their reports.
        reports_.clear();
        places_.clear();
        endLater(std::move(watch_));
        for (auto& c : closed_) endLater(std::move(c.watch));
        QString error;
        // Back on screen as soon as the server has the pixels.
        QImage image = reader_->readInPlace(display_, &error, [this] { putBack(); });
        putBack();
        reader_.reset();
        if (!image.isNull() && configuration_.width > 0 && configuration_.height > 0 &&
            image.size() != QSize(configuration_.width, configuration_.height))
            image = image.scaled(configuration_.width, configuration_.height, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
        auto done = std::move(done_);
        done_ = nullptr;
        deleteLater();
        if (!done) return;
        // Nor a refusal nor any failure: the program ends over the broken
        // connection on the next turn, and says so once.
        if (image.isNull() && x11::connectionBroken()) return;
        if (image.isNull()) {
            done({{}, failure(error)});
        } else {
            done({image, std::nullopt});
        }
    }

    static void endLater(std::unique_ptr<x11::DamageWatch> watch) {
        if (!watch) return;
        QTimer::singleShot(0, [watch = watch.release()] { delete watch; });
    }

    void putBack() {
        if (!hiddenNow_) return;
        hiddenNow_ = false;
        for (const auto& h : hidden_) restore(h);
        for (const auto& c : closed_) restoreClosed(c.hidden);
        x11::flush();
    }

    std::shared_ptr<Clock> clock_;
    QRect display_;
    std::unique_ptr<x11::RootImageReader> reader_;
    std::vector<HiddenWindow> hidden_;
    std::vector<ClosingWindow> closed_;
    CaptureConfiguration configuration_;
    std::function<void(ImageResult)> done_;
    std::unique_ptr<x11::DamageWatch> watch_;
    std::vector<Place> places_;
    std::vector<Subscription> reports_;
    bool compositing_ = false;
    bool hiddenNow_ = false;
    std::unique_ptr<Clock::Timer> quiet_;
    std::unique_ptr<Clock::Timer> deadline_;
    std::unique_ptr<Clock::Timer> unreported_;
    qint64 startedMs_ = 0;
};

X11ScreenGrabber::X11ScreenGrabber(bool waylandSession, std::shared_ptr<Clock> clock)
    : wayland_(waylandSession), clock_(std::move(clock)), context_(std::make_unique<QObject>()) {}

X11ScreenGrabber::X11ScreenGrabber() : X11ScreenGrabber(isWaylandSession()) {}

X11ScreenGrabber::~X11ScreenGrabber() {
    // The pending grabs first: they put back what they hid.
    context_.reset();
    if (!closing_.empty()) putBackClosing();
}

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
        if (x11::connectionBroken()) return;
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
        const auto& excluded = filter.excludedWindowIDs;
        if (std::find(excluded.begin(), excluded.end(), w->xid()) == excluded.end()) continue;
        if (auto h = describe(w, monitor->rect)) hidden.push_back(std::move(*h));
    }
    // Those that closed on another display change nothing here.
    dropClosing_.reset();
    for (auto& c : closing_) c.hidden.shows &= monitor->rect;
    auto* grab = new PendingGrab(context_.get(), clock_, monitor->rect, std::move(hidden), std::move(closing_),
                                 configuration, std::move(prepared_), std::move(done));
    closing_.clear();
    grab->start();
}

void X11ScreenGrabber::windowClosing(std::uint32_t windowID) {
    assertMainThread("X11ScreenGrabber::windowClosing");
    if (wayland_ || !x11::available() || windowID == XCB_NONE) return;
    const auto windows = Window::all();
    const auto w = std::find_if(windows.begin(), windows.end(), [&](const Window* w) { return w->xid() == windowID; });
    if (w == windows.end()) return;
    const xcb_screen_t* screen = x11::screen();
    auto h = describe(*w, QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels));
    if (!h) return;
    // Watched from before the window leaves: read above, its own drawing is
    // done, and what is drawn where it was from here on is the screen's.
    ClosingWindow closing{std::move(*h), std::make_unique<x11::DamageWatch>(clock_)};
    hide(closing.hidden, x11::compositingManagerRunning());
    x11::flush();
    closing_.push_back(std::move(closing));
    dropClosing_ = clock_->after(kPreparedKeptMs, [this] { putBackClosing(); });
}

void X11ScreenGrabber::putBackClosing() {
    dropClosing_.reset();
    for (const auto& c : closing_) restoreClosed(c.hidden);
    closing_.clear();
    x11::flush();
}

void X11ScreenGrabber::prepare(QSize imageSize) {
    assertMainThread("X11ScreenGrabber::prepare");
    if (wayland_ || !x11::available() || imageSize.isEmpty()) return;
    prepared_ = std::make_unique<x11::RootImageReader>(imageSize);
    // Memory the size of a display is not kept for an image never asked for.
    if (!dropPrepared_) {
        dropPrepared_ = std::make_unique<QTimer>();
        dropPrepared_->setSingleShot(true);
        QObject::connect(dropPrepared_.get(), &QTimer::timeout, [this] { prepared_.reset(); });
    }
    dropPrepared_->start(kPreparedKeptMs);
}

} // namespace platform
