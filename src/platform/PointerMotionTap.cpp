// Drag motion taken from Qt's X connection as it is read, before Qt turns it
// into mouse events.

#include "platform/PointerMotionTap.h"

#include "platform/Dispatch.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWindow>

#include <xcb/xinput.h>

#include <algorithm>

namespace platform {

struct PointerMotionTap::State {
    xcb_window_t window = XCB_NONE;
    QPointer<QWindow> qwindow;
    PointerMotionTap::Handler handler;
    std::vector<PointerSample> held;
    bool open = true;
    bool flushPosted = false;
};

namespace {

using State = PointerMotionTap::State;

void handOver(const std::shared_ptr<State>& tap, PointerMotionTap::Delivery delivery) {
    if (tap->held.empty() && delivery == PointerMotionTap::Delivery::read) return;
    // The handler may end the tap, or take more samples in.
    const std::vector<PointerSample> samples = std::move(tap->held);
    tap->held.clear();
    const PointerMotionTap::Handler handler = tap->handler;
    handler(samples, delivery);
}

// Sees every event of Qt's connection after the pointer events are routed
// to the windows they become (an input-only window's to its owner) and
// placed in them.
class MotionFilter {
public:
    static MotionFilter& shared() {
        static MotionFilter* filter = [] {
            auto* f = new MotionFilter;
            f->events_ = X11EventSource::instance().handle(XEventStage::motionTap,
                                                           [f](const XEvent& e) { return f->handle(e); });
            return f;
        }();
        return *filter;
    }

    void add(const std::shared_ptr<State>& tap) { taps_.push_back(tap); }

    // Whether the last button event X sent is the left press at `time`:
    // then the moves to come are that press's drag.
    bool lastButtonIsLeftPressAt(std::uint32_t time) const {
        return !lastButton_.known || (lastButton_.press && lastButton_.detail == 1 && lastButton_.time == time);
    }
    void remove(const State* tap) {
        std::erase_if(taps_, [tap](const std::shared_ptr<State>& t) { return t.get() == tap; });
    }

    bool handle(const XEvent& e) {
        xcb_generic_event_t* ev = e.event;
        const auto eventType = e.xinputType;
        if (eventType == XCB_INPUT_BUTTON_PRESS || eventType == XCB_INPUT_BUTTON_RELEASE) {
            const auto* b = reinterpret_cast<const xcb_input_button_press_event_t*>(ev);
            if (b->deviceid != b->sourceid)
                lastButton_ = {true, eventType == XCB_INPUT_BUTTON_PRESS, b->detail, b->time};
        }
        if (taps_.empty()) return false;
        if (eventType) {
            if (eventType == XCB_INPUT_MOTION) return take(reinterpret_cast<xcb_input_motion_event_t*>(ev));
            if (eventType == XCB_INPUT_RAW_MOTION) return false;
            // Anything else (a button, a crossing) comes after the moves
            // held: they go first.
            flushAll();
            if (eventType == XCB_INPUT_BUTTON_RELEASE &&
                reinterpret_cast<xcb_input_button_release_event_t*>(ev)->detail == 1)
                for (const auto& t : taps_) t->open = false;
            return false;
        }
        switch (e.type) {
        case XCB_KEY_PRESS:
        case XCB_KEY_RELEASE:
        case XCB_BUTTON_PRESS:
        case XCB_BUTTON_RELEASE:
        case XCB_ENTER_NOTIFY:
        case XCB_LEAVE_NOTIFY:
        case XCB_FOCUS_IN:
        case XCB_FOCUS_OUT: flushAll(); break;
        default: break;
        }
        return false;
    }

private:
    bool take(const xcb_input_motion_event_t* m) {
        // The master pointer's moves; Qt also reads each physical device's
        // own (for scrolling and tablets) and keeps them.
        if (m->deviceid == m->sourceid) return false;
        const auto it = std::find_if(taps_.begin(), taps_.end(),
                                     [m](const std::shared_ptr<State>& t) { return t->window == m->event; });
        if (it == taps_.end()) return false;
        const std::shared_ptr<State> tap = *it;
        // Moves of the drag only: the left button held.
        const std::uint32_t* buttons = xcb_input_button_press_button_mask(m);
        const bool left = xcb_input_button_press_button_mask_length(m) > 0 && (buttons[0] & (1u << 1));
        if (!tap->open || !left || !tap->qwindow) return false;
        const double dpr = tap->qwindow->devicePixelRatio();
        // Placed in the window already, also one through the input-only
        // window laid over it.
        const QPointF at(m->event_x / 65536.0, m->event_y / 65536.0);
        tap->held.push_back({at / dpr, (m->mods.effective & XCB_MOD_MASK_SHIFT) != 0});
        if (!tap->flushPosted) {
            tap->flushPosted = true;
            // Once the whole read has gone through the filter.
            std::weak_ptr<State> weak = tap;
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [weak] {
                    if (auto t = weak.lock()) {
                        t->flushPosted = false;
                        handOver(t, PointerMotionTap::Delivery::read);
                    }
                },
                Qt::QueuedConnection);
        }
        return true;
    }

    void flushAll() {
        const auto taps = taps_;
        for (const auto& t : taps) handOver(t, PointerMotionTap::Delivery::beforeOtherInput);
    }

    Subscription events_;
    std::vector<std::shared_ptr<State>> taps_;
    struct {
        bool known = false;
        bool press = false;
        std::uint32_t detail = 0;
        std::uint32_t time = 0;
    } lastButton_;
};

} // namespace

std::unique_ptr<PointerMotionTap> PointerMotionTap::start(QWindow* window, std::uint64_t pressTime, Handler handler) {
    assertMainThread("PointerMotionTap::start");
    if (!window || !handler || !x11::available() || !x11::xinputOpcode()) return nullptr;
    auto state = std::make_shared<State>();
    state->window = x11::windowId(window);
    state->qwindow = window;
    state->handler = std::move(handler);
    if (state->window == XCB_NONE) return nullptr;
    MotionFilter& filter = MotionFilter::shared();
    state->open = filter.lastButtonIsLeftPressAt(static_cast<std::uint32_t>(pressTime));
    filter.add(state);
    return std::unique_ptr<PointerMotionTap>(new PointerMotionTap(std::move(state)));
}

PointerMotionTap::PointerMotionTap(std::shared_ptr<State> state) : state_(std::move(state)) {}

PointerMotionTap::~PointerMotionTap() { MotionFilter::shared().remove(state_.get()); }

void PointerMotionTap::flush() { handOver(state_, Delivery::beforeOtherInput); }

bool PointerMotionTap::isOpen() const { return state_->open; }

} // namespace platform
