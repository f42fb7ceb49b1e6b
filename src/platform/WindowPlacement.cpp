// A window's place on the X server: followed through ServerPlacement, asked
// for again once after a window manager moved or resized it on its own.
#include "platform/WindowPlacement.h"

#include "platform/ServerPlacement.h"
#include "platform/Window.h"

#include <QTimer>
#include <QWidget>

#include <optional>

namespace platform {

WindowPlacement::WindowPlacement(Window& window) : window_(window) {}

WindowPlacement::~WindowPlacement() {
    placementWatch_.cancel();
    if (followedId_) ServerPlacement::forget(followedId_);
}

bool WindowPlacement::standsAtFrame() const {
    if (!followedId_) return true;
    const auto origin = ServerPlacement::origin(followedId_);
    const QPointF wanted = QPointF(window_.wantedGeometry_.topLeft()) * window_.host_->devicePixelRatioF();
    return origin && *origin == wanted.toPoint();
}

Rect WindowPlacement::placedFrame() const {
    const auto origin = followedId_ ? ServerPlacement::origin(followedId_) : std::nullopt;
    if (!origin) return window_.frame();
    const QWidget* host = window_.host_.get();
    return toScreen(QRectF(QPointF(*origin) / host->devicePixelRatioF(), QSizeF(host->size())));
}

void WindowPlacement::setPointerAtRequestedFrame(bool on) {
    if (on == pointerAtRequestedFrame_) return;
    pointerAtRequestedFrame_ = on;
    applyPointerPlacement();
}

Rect WindowPlacement::pointerFrame() const {
    return pointerAtRequestedFrame_ && !window_.wantedGeometry_.isNull() ? window_.requestedFrame() : placedFrame();
}

void WindowPlacement::applyPointerPlacement() {
    if (!followedId_) return;
    std::optional<QPoint> origin;
    if (pointerAtRequestedFrame_ && !window_.wantedGeometry_.isNull())
        origin = (QPointF(window_.wantedGeometry_.topLeft()) * window_.host_->devicePixelRatioF()).toPoint();
    ServerPlacement::placePointerAt(followedId_, origin);
}

void WindowPlacement::nativeWindowCreated(std::uint32_t id) {
    if (id == followedId_) return;
    if (followedId_) ServerPlacement::forget(followedId_);
    followedId_ = id;
    ServerPlacement::follow(id);
    placementWatch_ = ServerPlacement::moved().connect([this](std::uint32_t window) {
        if (window != followedId_) return;
        placedOnServer.emit();
        Window::arrangementChanged().emit(&window_);
    });
    applyPointerPlacement();
}

void WindowPlacement::requested() { applyPointerPlacement(); }

void WindowPlacement::askForRequestedFrame() {
    QTimer::singleShot(0, &window_, [this] {
        const QRect wanted = window_.wantedGeometry_;
        if (!wanted.isNull() && window_.host_->geometry() != wanted) window_.host_->setGeometry(wanted);
    });
}

void WindowPlacement::moved() {
    // A window manager may still place a shown window of ours after its
    // first expose (below a panel, at the work area's corner): it is asked
    // once more for the frame we set, and again only after the window got
    // there.
    const QRect wanted = window_.wantedGeometry_;
    const QWidget* host = window_.host_.get();
    if (host->pos() == wanted.topLeft()) {
        reclaimedGeometry_ = QRect();
    } else if (!wanted.isNull() && host->isVisible() && reclaimedGeometry_ != wanted) {
        reclaimedGeometry_ = wanted;
        askForRequestedFrame();
    }
}

void WindowPlacement::resized(bool byServer) {
    // A window manager may resize a shown window of ours on its own, to a
    // size it had before: one catching up late with a screen change
    // reapplies the size it last knew. The window would keep it.
    QWidget* host = window_.host_.get();
    const QSize now = host->size();
    if (!byServer) askedSize_ = now;
    if (now == askedSize_) {
        reclaimedSize_ = QSize();
        return;
    }
    if (!host->isVisible() || askedSize_.isEmpty() || reclaimedSize_ == askedSize_) return;
    reclaimedSize_ = askedSize_;
    QTimer::singleShot(0, &window_, [this] {
        QWidget* h = window_.host_.get();
        if (h->isVisible() && !askedSize_.isEmpty() && h->size() != askedSize_) h->resize(askedSize_);
    });
}

// A manager may also have placed the new window elsewhere (below a panel
// along the top): it is asked again for our frame.
void WindowPlacement::exposed() { askForRequestedFrame(); }

} // namespace platform
