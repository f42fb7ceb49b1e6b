#include "platform/EventMonitor.h"

#include "platform/Dispatch.h"
#include "platform/Window.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace platform {

namespace {
constexpr EventMask kPointerMotion = EventMasks::mouseMoved | EventMasks::leftMouseDragged |
                                     EventMasks::rightMouseDragged | EventMasks::otherMouseDragged;
} // namespace

struct EventMonitor::Entry {
    EventMask mask;
    LocalHandler local;
    GlobalHandler global;
    bool alive = true;
};

namespace {

Qt::KeyboardModifiers qtModifiers(std::uint64_t flags) {
    Qt::KeyboardModifiers m;
    if (flags & ModifierFlags::shift) m |= Qt::ShiftModifier;
    if (flags & ModifierFlags::command) m |= Qt::ControlModifier;
    if (flags & ModifierFlags::option) m |= Qt::AltModifier;
    if (flags & ModifierFlags::control) m |= Qt::MetaModifier;
    return m;
}

// Where the pointer was last seen, in root pixels, by either source: the
// warp poll reports a movement only when the pointer is somewhere else.
std::optional<QPoint>& lastKnownRootPosition() {
    static std::optional<QPoint> position;
    return position;
}
// A move reached one of our windows since the warp poll last looked: the
// pointer is over us and its moves arrive on their own.
bool localMotionSincePoll = false;

// The application-wide filter: every key, button, move and wheel event sent
// to one of our windows passes through the local monitors first.
class LocalFilter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (resending_ || !watched->isWindowType()) return false;
        auto* window = static_cast<QWindow*>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonDblClick: {
            // Qt follows the second press with a double-click event; it goes
            // where that press went.
            const auto* m = static_cast<QMouseEvent*>(event);
            return swallowedPress_ && swallowedButton_ == m->button();
        }
        case QEvent::MouseMove: {
            const qreal dpr = window->devicePixelRatio();
            lastKnownRootPosition() = (static_cast<QMouseEvent*>(event)->globalPosition() * dpr).toPoint();
            localMotionSincePoll = true;
            break;
        }
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel: break;
        default: return false;
        }
        auto& monitor = EventMonitor::shared();
        if (monitor.localMonitorCount() == 0) {
            if (event->type() == QEvent::MouseButtonPress) countClick(static_cast<QMouseEvent*>(event));
            return false;
        }
        auto converted = eventFromQt(window, event);
        if (!converted) return false;
        if (event->type() == QEvent::MouseButtonPress)
            converted->clickCount = countClick(static_cast<QMouseEvent*>(event));
        if (event->type() == QEvent::MouseButtonRelease) converted->clickCount = clicks_;
        const Event original = *converted;
        auto result = monitor.dispatchLocal(std::move(*converted));
        if (event->type() == QEvent::MouseButtonPress) {
            swallowedPress_ = !result;
            swallowedButton_ = static_cast<QMouseEvent*>(event)->button();
        }
        if (!result) return true;
        if (*result == original) return false;
        resend(window, event, *result);
        return true;
    }

private:
    int countClick(const QMouseEvent* m) {
        const auto now = eventClock();
        const auto* hints = QGuiApplication::styleHints();
        const QPointF at = m->globalPosition();
        const bool again = m->button() == lastButton_ &&
                           (now - lastPress_) * 1000.0 < hints->mouseDoubleClickInterval() &&
                           (at - lastAt_).manhattanLength() <= hints->mouseDoubleClickDistance();
        clicks_ = again ? clicks_ + 1 : 1;
        lastButton_ = m->button();
        lastPress_ = now;
        lastAt_ = at;
        return clicks_;
    }

    // Delivers a monitor's changed event in place of the original.
    void resend(QWindow* window, QEvent* original, const Event& e) {
        resending_ = true;
        const Qt::KeyboardModifiers mods = qtModifiers(e.modifierFlags);
        const QPointF local(e.locationInWindow.x, window->height() - e.locationInWindow.y);
        const QPointF global = toGlobal(e.locationOnScreen);
        switch (original->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* k = static_cast<QKeyEvent*>(original);
            QKeyEvent copy(k->type(), k->key(), mods, k->nativeScanCode(), k->nativeVirtualKey(), k->nativeModifiers(),
                           e.characters, k->isAutoRepeat(), static_cast<quint16>(k->count()));
            QCoreApplication::sendEvent(window, &copy);
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            auto* m = static_cast<QMouseEvent*>(original);
            QMouseEvent copy(m->type(), local, local, global, m->button(), m->buttons(), mods);
            QCoreApplication::sendEvent(window, &copy);
            break;
        }
        case QEvent::Wheel: {
            auto* w = static_cast<QWheelEvent*>(original);
            const QPoint angle = e.hasPreciseScrollingDeltas ? w->angleDelta()
                                                             : QPoint(int(std::lround(e.scrollingDeltaX * 120)),
                                                                      int(std::lround(e.scrollingDeltaY * 120)));
            QWheelEvent copy(local, global, w->pixelDelta(), angle, w->buttons(), mods, w->phase(), w->inverted());
            QCoreApplication::sendEvent(window, &copy);
            break;
        }
        default: break;
        }
        resending_ = false;
    }

    bool resending_ = false;
    bool swallowedPress_ = false;
    Qt::MouseButton swallowedButton_ = Qt::NoButton;
    int clicks_ = 0;
    Qt::MouseButton lastButton_ = Qt::NoButton;
    double lastPress_ = -1e9;
    QPointF lastAt_;
};

// Events bound for other applications, from XI2 raw input. A raw event does
// not say which window gets it; the pointer's position does (X hands a press
// to the deepest window under the pointer that takes input, and the rest of
// that press to the same client).
class GlobalSource {
public:
    GlobalSource() {
        auto& source = X11EventSource::instance();
        if (!source.isOpen()) return;
        source.retainRawInput();
        retained_ = true;
        subs_.push_back(source.rawInput.connect([this](const RawInput& in) { onRaw(in); }));
        subs_.push_back(source.batchEnded.connect([this] { flushMotion(); }));
        // Warping the pointer (what scripted input does) produces no raw
        // motion; a cheap poll catches those moves while someone follows the
        // pointer.
        poll_.setInterval(kWarpPollMs);
        QObject::connect(&poll_, &QTimer::timeout, [this] { pollForWarps(); });
    }

    static constexpr int kWarpPollMs = 25;

    // Whether some monitor wants pointer movement; nothing is queried for
    // movement otherwise.
    void setWantsMotion(bool wants) {
        wantsMotion_ = wants;
        if (!retained_) return;
        X11EventSource::instance().setRawMotionWanted(wants);
        if (wants && !poll_.isActive()) {
            poll_.start();
        } else if (!wants) {
            poll_.stop();
        }
    }
    ~GlobalSource() {
        if (retained_) {
            X11EventSource::instance().setRawMotionWanted(false);
            X11EventSource::instance().releaseRawInput();
        }
        if (keySymbols_) xcb_key_symbols_free(keySymbols_);
    }

private:
    struct Pointer {
        Point location;
        QPoint root; // device pixels
        std::uint32_t state = 0;
        bool ours = false;
    };

    Pointer queryPointer() {
        Pointer p;
        auto* c = x11::connection();
        if (!c) return p;
        const auto mine = x11::ourWindows();
        const std::set<xcb_window_t> ours(mine.begin(), mine.end());
        xcb_window_t w = x11::root();
        bool first = true;
        // Walk down to the deepest window under the pointer.
        for (int depth = 0; depth < 16 && w != XCB_NONE; ++depth) {
            auto r = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, w), nullptr));
            if (!r) break;
            if (first) {
                auto* screen = QGuiApplication::primaryScreen();
                const double scale = screen ? screen->devicePixelRatio() : 1.0;
                p.location = toScreen(QPointF(r->root_x / scale, r->root_y / scale));
                p.root = QPoint(r->root_x, r->root_y);
                p.state = r->mask;
                first = false;
            }
            if (ours.count(r->child)) {
                p.ours = true;
                break;
            }
            w = r->child;
        }
        return p;
    }

    static bool buttonHeld(std::uint32_t state) {
        return state & (XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3);
    }

    void onRaw(const RawInput& in) {
        auto& monitor = EventMonitor::shared();
        if (monitor.globalMonitorCount() == 0) return;
        switch (in.kind) {
        case RawInput::Kind::Motion:
            if (!wantsMotion_) return;
            motionPending_ = true;
            return;
        case RawInput::Kind::ButtonPress:
        case RawInput::Kind::ButtonRelease: {
            const bool press = in.kind == RawInput::Kind::ButtonPress;
            const Pointer p = queryPointer();
            if (press && !buttonHeld(p.state & ~buttonBit(in.detail))) pressOurs_ = p.ours;
            const bool ours = buttonHeld(p.state & ~buttonBit(in.detail)) || !press ? pressOurs_ : p.ours;
            if (ours) return;
            Event e;
            e.timestamp = eventClock();
            e.modifierFlags = modifierFlagsFromX(p.state);
            e.locationOnScreen = e.locationInWindow = p.location;
            if (in.detail >= 4 && in.detail <= 7) {
                if (!press) return;
                e.type = EventType::scrollWheel;
                e.scrollingDeltaY = in.detail == 4 ? 1 : in.detail == 5 ? -1 : 0;
                e.scrollingDeltaX = in.detail == 6 ? 1 : in.detail == 7 ? -1 : 0;
            } else {
                e.buttonNumber = in.detail == 1 ? 0 : in.detail == 3 ? 1 : in.detail == 2 ? 2 : int(in.detail) - 1;
                e.type = in.detail == 1   ? (press ? EventType::leftMouseDown : EventType::leftMouseUp)
                         : in.detail == 3 ? (press ? EventType::rightMouseDown : EventType::rightMouseUp)
                                          : (press ? EventType::otherMouseDown : EventType::otherMouseUp);
                e.clickCount = press ? countClick(e) : clicks_;
            }
            monitor.dispatchGlobal(e);
            return;
        }
        case RawInput::Kind::KeyPress:
        case RawInput::Kind::KeyRelease: {
            // Keys go to the focused window; ours get them as local events.
            if (QGuiApplication::focusWindow()) return;
            const Pointer p = queryPointer();
            Event e;
            e.type = in.kind == RawInput::Kind::KeyPress ? EventType::keyDown : EventType::keyUp;
            e.timestamp = eventClock();
            e.modifierFlags = modifierFlagsFromX(p.state);
            e.locationOnScreen = e.locationInWindow = p.location;
            std::uint32_t keysym = 0;
            if (!keySymbols_ && x11::connection()) keySymbols_ = xcb_key_symbols_alloc(x11::connection());
            if (keySymbols_) keysym = xcb_key_symbols_get_keysym(keySymbols_, static_cast<xcb_keycode_t>(in.detail), 0);
            e.keyCode = keyCodeFromX(in.detail, keysym);
            monitor.dispatchGlobal(e);
            return;
        }
        }
    }

    static std::uint32_t buttonBit(std::uint32_t button) {
        return button >= 1 && button <= 5 ? (XCB_BUTTON_MASK_1 << (button - 1)) : 0;
    }

    int countClick(const Event& e) {
        const auto* hints = QGuiApplication::styleHints();
        const bool again = e.buttonNumber == lastButton_ &&
                           (e.timestamp - lastPress_) * 1000.0 < hints->mouseDoubleClickInterval() &&
                           std::abs(e.locationOnScreen.x - lastAt_.x) + std::abs(e.locationOnScreen.y - lastAt_.y) <=
                               hints->mouseDoubleClickDistance();
        clicks_ = again ? clicks_ + 1 : 1;
        lastButton_ = e.buttonNumber;
        lastPress_ = e.timestamp;
        lastAt_ = e.locationOnScreen;
        return clicks_;
    }

    void flushMotion() {
        if (!motionPending_) return;
        motionPending_ = false;
        dispatchMotion();
    }

    // A position other than the last one seen, without raw motion: the
    // pointer was warped. (Moves over our own windows are seen as they come.)
    void pollForWarps() {
        if (motionPending_ || std::exchange(localMotionSincePoll, false)) return;
        auto* c = x11::connection();
        if (!c) return;
        auto r = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, x11::root()), nullptr));
        if (!r) return;
        const QPoint now(r->root_x, r->root_y);
        auto& last = lastKnownRootPosition();
        if (!last) {
            last = now;
            return;
        }
        if (*last != now) dispatchMotion();
    }

    void dispatchMotion() {
        auto& monitor = EventMonitor::shared();
        if (monitor.globalMonitorCount() == 0 || !wantsMotion_) return;
        const Pointer p = queryPointer();
        lastKnownRootPosition() = p.root;
        const bool held = buttonHeld(p.state);
        if (held ? pressOurs_ : p.ours) return;
        Event e;
        e.timestamp = eventClock();
        e.modifierFlags = modifierFlagsFromX(p.state);
        e.locationOnScreen = e.locationInWindow = p.location;
        e.type = (p.state & XCB_BUTTON_MASK_1)   ? EventType::leftMouseDragged
                 : (p.state & XCB_BUTTON_MASK_3) ? EventType::rightMouseDragged
                 : held                          ? EventType::otherMouseDragged
                                                 : EventType::mouseMoved;
        monitor.dispatchGlobal(e);
    }

    bool retained_ = false;
    std::vector<Subscription> subs_;
    bool motionPending_ = false;
    bool wantsMotion_ = false;
    QTimer poll_;
    bool pressOurs_ = false;
    xcb_key_symbols_t* keySymbols_ = nullptr;
    int clicks_ = 0;
    int lastButton_ = -1;
    double lastPress_ = -1e9;
    Point lastAt_;
};

} // namespace

struct EventMonitor::Sources {
    std::unique_ptr<LocalFilter> local;
    std::unique_ptr<GlobalSource> global;
};

EventMonitor::EventMonitor() : sources_(std::make_unique<Sources>()) {}
EventMonitor::~EventMonitor() {
    if (sources_->local && qApp) qApp->removeEventFilter(sources_->local.get());
}

EventMonitor& EventMonitor::shared() {
    static EventMonitor monitor;
    return monitor;
}

Subscription EventMonitor::addLocal(EventMask mask, LocalHandler handler) {
    return shared().add(mask, std::move(handler), nullptr);
}

Subscription EventMonitor::addGlobal(EventMask mask, GlobalHandler handler) {
    return shared().add(mask, nullptr, std::move(handler));
}

Subscription EventMonitor::add(EventMask mask, LocalHandler local, GlobalHandler global) {
    assertMainThread("EventMonitor::add");
    auto entry = std::make_shared<Entry>(Entry{mask, std::move(local), std::move(global)});
    const bool isLocal = static_cast<bool>(entry->local);
    (isLocal ? local_ : global_).push_back(entry);
    if (isLocal && !sources_->local && qApp) {
        sources_->local = std::make_unique<LocalFilter>();
        qApp->installEventFilter(sources_->local.get());
    }
    if (!isLocal && !sources_->global && x11::available()) sources_->global = std::make_unique<GlobalSource>();
    if (!isLocal) updateGlobalMotion();
    std::weak_ptr<Entry> weak = entry;
    return Subscription([this, weak, isLocal] {
        auto e = weak.lock();
        if (!e) return;
        e->alive = false;
        auto& list = isLocal ? local_ : global_;
        list.erase(std::remove(list.begin(), list.end(), e), list.end());
        // Raw input costs a little on every event of the session.
        if (!isLocal && global_.empty()) sources_->global.reset();
        if (!isLocal) updateGlobalMotion();
    });
}

void EventMonitor::updateGlobalMotion() {
    if (!sources_->global) return;
    const bool wants =
        std::any_of(global_.begin(), global_.end(), [](const auto& e) { return (e->mask & kPointerMotion) != 0; });
    sources_->global->setWantsMotion(wants);
}

std::optional<Event> EventMonitor::dispatchLocal(Event event) {
    // Newest first; a snapshot lets handlers add or remove monitors.
    const auto snapshot = local_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
        const auto& entry = *it;
        if (!entry->alive || !(entry->mask & event.mask())) continue;
        auto result = entry->local(event);
        if (!result) return std::nullopt;
        event = std::move(*result);
    }
    return event;
}

void EventMonitor::dispatchGlobal(const Event& event) {
    const auto snapshot = global_;
    for (const auto& entry : snapshot)
        if (entry->alive && (entry->mask & event.mask())) entry->global(event);
}

std::size_t EventMonitor::localMonitorCount() const { return local_.size(); }
std::size_t EventMonitor::globalMonitorCount() const { return global_.size(); }

} // namespace platform
