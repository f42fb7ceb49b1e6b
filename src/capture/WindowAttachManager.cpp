// Tracking of the pinned window and the geometry of the toolbar beside it.

#include "capture/WindowAttachManager.h"

#include "platform/Dispatch.h"

#include <algorithm>
#include <cmath>

using platform::Point;
using platform::Rect;
using platform::Size;

WindowAttachManager::WindowAttachManager(WindowAttachServices services) : services_(std::move(services)) {
    lastMeasurementDate_ = now();
}

WindowAttachManager::~WindowAttachManager() = default;

double WindowAttachManager::now() const { return services_.clock ? services_.clock() : platform::mediaTime(); }

std::optional<platform::Screen> WindowAttachManager::screenFor(const Rect& frame) const {
    if (!services_.screens) return std::nullopt;
    const auto screens = services_.screens->screens();
    for (const platform::Screen& s : screens)
        if (s.frame.intersects(frame)) return s;
    if (auto main = services_.screens->mainScreen()) return main;
    if (!screens.empty()) return screens.front();
    return std::nullopt;
}

// ---- Tracking ----

void WindowAttachManager::attach(std::uint32_t windowID, AttachEdge edge, const Rect& frame,
                                 FrameHandler frameHandler) {
    platform::assertMainThread("WindowAttachManager::attach");
    displayLink_.reset();
    targetWindowID_ = windowID;
    attachEdge_ = edge;
    lastKnownSize_ = frame.size;
    lastRenderedSize_ = frame.size;
    lastRenderedOrigin_ = frame.origin;
    lastMeasurementDate_ = now();
    predictor_ = UKFPredictor();
    predictor_.reset(frame.origin.x, frame.origin.y);
    onFrameChanged_ = std::move(frameHandler);
    waitingForWindow_ = false;
    frameWhileWaiting_.reset();
    stillRefreshes_ = 0;

    // Bound to the display the window is on now, even if it moves to
    // another later.
    const auto screen = screenFor(frame);
    if (!screen || !services_.makeDisplayLink) return;
    displayLink_ =
        services_.makeDisplayLink(screen->displayID, [this](const platform::DisplayLinkFrame& f) { tick(f); });
    if (displayLink_) displayLink_->start();
}

void WindowAttachManager::detach() {
    platform::assertMainThread("WindowAttachManager::detach");
    // The link may be the one calling (the window went away during a tick);
    // it allows that.
    displayLink_.reset();
    targetWindowID_ = 0;
    onFrameChanged_ = nullptr;
    onWindowGone = nullptr;
    predictor_ = UKFPredictor();
    waitingForWindow_ = false;
    frameWhileWaiting_.reset();
    stillRefreshes_ = 0;
}

void WindowAttachManager::tick(const platform::DisplayLinkFrame& frame) { step(frame); }

void WindowAttachManager::step(const platform::DisplayLinkFrame& link) {
    platform::assertMainThread("WindowAttachManager::step");
    const auto place = windowPlace(targetWindowID_);
    if (!place) {
        const auto gone = std::move(onWindowGone);
        detach();
        if (gone) gone();
        return;
    }
    // A minimised window (the window manager's animation of it included) is
    // not followed: the toolbar and the drawing stay where they were.
    if (!place->isShown) {
        waitingForWindow_ = true;
        frameWhileWaiting_.reset();
        stillRefreshes_ = 0;
        return;
    }
    if (waitingForWindow_ && !isBack(place->bounds)) return;
    const std::optional<Rect> measured = place->bounds;

    const double t = now();
    const double dt = std::max(t - lastMeasurementDate_, kMinStep);
    lastMeasurementDate_ = t;
    lastKnownSize_ = measured->size;
    predictor_.update(measured->origin.x, measured->origin.y, dt);

    // Ahead to the moment the frame being prepared is shown, plus a margin.
    const Mat ahead = UKFPredictor::transition(lookAhead(link.targetTimestamp - now())).multiplied(predictor_.x);
    const Point p(ahead(0, 0), ahead(1, 0));

    const Point r = lastRenderedOrigin_;
    const double a = smoothingFactor(dt);
    Point s(r.x + a * (p.x - r.x), r.y + a * (p.y - r.y));
    if (std::hypot(s.x - p.x, s.y - p.y) < kSnapDistance) s = p;
    if (std::hypot(s.x - r.x, s.y - r.y) <= kMinMove && lastRenderedSize_ == lastKnownSize_) return;

    lastRenderedOrigin_ = s;
    lastRenderedSize_ = lastKnownSize_;
    if (onFrameChanged_) {
        // A copy: the handler may replace the field.
        const FrameHandler handler = onFrameChanged_;
        handler(Rect(s, lastKnownSize_));
    }
}

bool WindowAttachManager::isBack(const Rect& frame) {
    const Rect left(lastRenderedOrigin_, lastRenderedSize_);
    const bool inPlace = std::abs(frame.minX() - left.minX()) <= kBackTolerance &&
                         std::abs(frame.minY() - left.minY()) <= kBackTolerance &&
                         std::abs(frame.width() - left.width()) <= kBackTolerance &&
                         std::abs(frame.height() - left.height()) <= kBackTolerance;
    stillRefreshes_ = frameWhileWaiting_ && *frameWhileWaiting_ == frame ? stillRefreshes_ + 1 : 0;
    frameWhileWaiting_ = frame;
    if (!inPlace && stillRefreshes_ < kStillRefreshes) return false;
    waitingForWindow_ = false;
    frameWhileWaiting_.reset();
    stillRefreshes_ = 0;
    // Its motion before it went says nothing about where it goes now.
    predictor_ = UKFPredictor();
    predictor_.reset(frame.origin.x, frame.origin.y);
    lastMeasurementDate_ = now();
    return true;
}

double WindowAttachManager::lookAhead(double untilShown) {
    return untilShown <= 0 ? kLookAheadMargin : std::min(untilShown + kLookAheadMargin, kMaxLookAhead);
}

double WindowAttachManager::smoothingFactor(double dt) { return 1 - std::exp(-dt / kSmoothing); }

// ---- Geometry ----

Rect WindowAttachManager::flipToScreen(const Rect& rect) const {
    double h = 0;
    if (services_.screens) {
        const auto screens = services_.screens->screens();
        if (!screens.empty()) h = screens.front().frame.height();
    }
    return Rect(rect.origin.x, h - rect.origin.y - rect.size.height, rect.size.width, rect.size.height);
}

std::optional<Rect> WindowAttachManager::frame(const platform::WindowInfo& info) const {
    return flipToScreen(info.bounds);
}

std::optional<Rect> WindowAttachManager::windowFrame(std::uint32_t windowID) const {
    if (!services_.windowList || windowID == 0) return std::nullopt;
    const auto bounds = services_.windowList->bounds(windowID);
    if (!bounds) return std::nullopt;
    return flipToScreen(*bounds);
}

std::optional<platform::WindowPlace> WindowAttachManager::windowPlace(std::uint32_t windowID) const {
    if (!services_.windowList || windowID == 0) return std::nullopt;
    auto place = services_.windowList->place(windowID);
    if (place) place->bounds = flipToScreen(place->bounds);
    return place;
}

std::optional<WindowAttachManager::PickedWindow>
WindowAttachManager::windowUnderPoint(Point point, std::int32_t excludingPID) const {
    if (!services_.windowList) return std::nullopt;
    for (const platform::WindowInfo& w : services_.windowList->windows()) {
        if (!w.isOnScreen || w.isDesktopElement) continue;
        if (!w.ownerPID || *w.ownerPID == excludingPID) continue;
        if (w.layer != platform::WindowListLayer::normal) continue;
        if (w.number == 0) continue;
        if (!(w.bounds.width() > kMinPickableSize) || !(w.bounds.height() > kMinPickableSize)) continue;
        if (!w.bounds.contains(point)) continue;
        const auto f = frame(w);
        if (!f) continue;
        return PickedWindow{w.number, *f};
    }
    return std::nullopt;
}

Point WindowAttachManager::toolbarOrigin(const Rect& w, AttachEdge edge, Size size) {
    switch (edge) {
    case AttachEdge::top: return Point(w.midX() - size.width / 2, w.maxY() + kToolbarGap);
    case AttachEdge::bottom: return Point(w.midX() - size.width / 2, w.minY() - size.height - kToolbarGap);
    case AttachEdge::left: return Point(w.minX() - size.width - kToolbarGap, w.midY() - size.height / 2);
    case AttachEdge::right: return Point(w.maxX() + kToolbarGap, w.midY() - size.height / 2);
    }
    return Point(w.midX() - size.width / 2, w.maxY() + kToolbarGap);
}

AttachEdge WindowAttachManager::chooseEdge(const Rect& windowFrame, const Rect& visibleFrame, Size toolbarSize) {
    for (AttachEdge edge : {AttachEdge::top, AttachEdge::bottom, AttachEdge::right, AttachEdge::left}) {
        if (visibleFrame.contains(Rect(toolbarOrigin(windowFrame, edge, toolbarSize), toolbarSize))) return edge;
    }
    return AttachEdge::top;
}
