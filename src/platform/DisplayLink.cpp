// The display link: vblank notifications from the X server's Present
// extension, or a precise timer at the display's refresh rate.

#include "platform/DisplayLink.h"

#include "platform/Dispatch.h"
#include "platform/X11.h"

#include <QSocketNotifier>
#include <QTimer>

#include <xcb/present.h>
#include <xcb/randr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <map>
#include <optional>

namespace platform {

double mediaTime() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double modeRefreshRate(std::uint32_t dotClock, std::uint16_t htotal, std::uint16_t vtotal, std::uint32_t flags) {
    if (dotClock == 0 || htotal == 0 || vtotal == 0) return 0;
    double lines = vtotal;
    if (flags & XCB_RANDR_MODE_FLAG_DOUBLE_SCAN) lines *= 2;
    if (flags & XCB_RANDR_MODE_FLAG_INTERLACE) lines /= 2;
    return static_cast<double>(dotClock) / (static_cast<double>(htotal) * lines);
}

namespace {

constexpr double kFallbackInterval = 1.0 / 60;
// Rates outside this range are taken for a mode that does not say.
constexpr double kMinRate = 20, kMaxRate = 500;

// The refresh interval of a display (a RandR output, or a monitor named by
// its atom) from the mode its CRTC shows; 60 Hz when nothing says.
double displayRefreshInterval(DisplayID display) {
    xcb_connection_t* c = x11::connection();
    if (!c || display == 0) return kFallbackInterval;
    auto resources = x11::reply(xcb_randr_get_screen_resources_current_reply(
        c, xcb_randr_get_screen_resources_current(c, x11::root()), nullptr));
    if (!resources) return kFallbackInterval;

    std::vector<xcb_randr_output_t> outputs;
    const auto* all = xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    if (std::find(all, all + count, display) != all + count) {
        outputs.push_back(display);
    } else {
        auto monitors = x11::reply(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, x11::root(), 1), nullptr));
        if (monitors) {
            for (auto it = xcb_randr_get_monitors_monitors_iterator(monitors.get()); it.rem;
                 xcb_randr_monitor_info_next(&it)) {
                if (it.data->name != display) continue;
                const auto* o = xcb_randr_monitor_info_outputs(it.data);
                outputs.assign(o, o + xcb_randr_monitor_info_outputs_length(it.data));
            }
        }
    }

    const auto* modes = xcb_randr_get_screen_resources_current_modes(resources.get());
    const int modeCount = xcb_randr_get_screen_resources_current_modes_length(resources.get());
    for (xcb_randr_output_t output : outputs) {
        auto info = x11::reply(xcb_randr_get_output_info_reply(
            c, xcb_randr_get_output_info(c, output, resources->config_timestamp), nullptr));
        if (!info || info->crtc == XCB_NONE) continue;
        auto crtc = x11::reply(xcb_randr_get_crtc_info_reply(
            c, xcb_randr_get_crtc_info(c, info->crtc, resources->config_timestamp), nullptr));
        if (!crtc || crtc->mode == XCB_NONE) continue;
        for (int i = 0; i < modeCount; ++i) {
            if (modes[i].id != crtc->mode) continue;
            const double rate =
                modeRefreshRate(modes[i].dot_clock, modes[i].htotal, modes[i].vtotal, modes[i].mode_flags);
            if (rate >= kMinRate && rate <= kMaxRate) return 1.0 / rate;
        }
    }
    return kFallbackInterval;
}

// Our own X connection for Present's completion events, read on the main
// thread. Every link asks for the next vblank of the root window's CRTC one
// at a time; the request's serial says whose completion an event is.
class PresentSource {
public:
    using Handler = std::function<void(std::uint64_t ust)>;

    // None when the server has no Present extension.
    static PresentSource* shared() {
        static PresentSource* source = [] {
            auto* s = new PresentSource;
            if (s->open()) return s;
            delete s;
            return static_cast<PresentSource*>(nullptr);
        }();
        return source;
    }

    std::uint32_t add(Handler handler) {
        const std::uint32_t id = ++lastLink_;
        links_[id] = std::move(handler);
        return id;
    }

    // Completions still on their way for the link are dropped when they come.
    void remove(std::uint32_t link) { links_.erase(link); }

    // One completion event at the next vblank, for the link.
    void requestNextVblank(std::uint32_t link) {
        const std::uint32_t serial = ++serial_;
        pending_[serial] = link;
        // Target 0 with divisor 1: the next vblank, however late we ask.
        xcb_present_notify_msc(c_, root_, serial, 0, 1, 0);
        xcb_flush(c_);
    }

private:
    bool open() {
        if (!x11::available()) return false;
        c_ = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
        if (!c_ || xcb_connection_has_error(c_)) return false;
        const auto* ext = xcb_get_extension_data(c_, &xcb_present_id);
        if (!ext || !ext->present) return false;
        auto version = x11::reply(xcb_present_query_version_reply(c_, xcb_present_query_version(c_, 1, 0), nullptr));
        if (!version) return false;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        const std::uint32_t eid = xcb_generate_id(c_);
        queue_ = xcb_register_for_special_xge(c_, &xcb_present_id, eid, nullptr);
        xcb_present_select_input(c_, eid, root_, XCB_PRESENT_EVENT_MASK_COMPLETE_NOTIFY);
        xcb_flush(c_);
        notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { read(); });
        return true;
    }

    void read() {
        // Errors and other events only need freeing; reading them also sorts
        // the completion events into their queue.
        while (xcb_generic_event_t* e = xcb_poll_for_event(c_)) std::free(e);
        std::vector<std::pair<std::uint32_t, std::uint64_t>> done;
        while (xcb_generic_event_t* e = xcb_poll_for_special_event(c_, queue_)) {
            const auto* cn = reinterpret_cast<const xcb_present_complete_notify_event_t*>(e);
            if (cn->kind == XCB_PRESENT_COMPLETE_KIND_NOTIFY_MSC) {
                if (const auto it = pending_.find(cn->serial); it != pending_.end()) {
                    done.emplace_back(it->second, cn->ust);
                    pending_.erase(it);
                }
            }
            std::free(e);
        }
        // A handler may remove its own link or another one.
        for (const auto& [link, ust] : done) {
            const auto it = links_.find(link);
            if (it == links_.end()) continue;
            const Handler handler = it->second;
            handler(ust);
        }
    }

    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_special_event_t* queue_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::map<std::uint32_t, Handler> links_;
    std::map<std::uint32_t, std::uint32_t> pending_; // serial → link
    std::uint32_t lastLink_ = 0;
    std::uint32_t serial_ = 0;
};

class X11DisplayLink final : public DisplayLink {
public:
    X11DisplayLink(DisplayID display, Callback callback, Source source)
        : callback_(std::move(callback)), interval_(displayRefreshInterval(display)) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        // A timer that fires a little early still reports no tick in the
        // future.
        QObject::connect(&timer_, &QTimer::timeout, [this] { deliver(std::min(nextTick_, mediaTime())); });
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, [this] { presentFailed(); });
        if (source == Source::automatic) present_ = PresentSource::shared();
        if (present_) {
            const auto alive = alive_;
            link_ = present_->add([this, alive](std::uint64_t ust) {
                if (*alive) vblank(ust);
            });
        }
    }

    ~X11DisplayLink() override {
        *alive_ = false;
        if (present_) present_->remove(link_);
    }

    void start() override {
        assertMainThread("DisplayLink::start");
        running_ = true;
        arm();
    }
    void stop() override {
        running_ = false;
        once_ = false;
        timer_.stop();
        watchdog_.stop();
    }
    void requestFrame() override {
        assertMainThread("DisplayLink::requestFrame");
        once_ = true;
        arm();
    }
    double refreshInterval() const override { return interval_; }

private:
    // Makes sure a tick is coming while one is wanted.
    void arm() {
        if (!running_ && !once_) return;
        if (present_) {
            if (!waiting_) {
                present_->requestNextVblank(link_);
                waiting_ = true;
            }
            // Vblanks that stop coming (a display switched off) hand over
            // to the timer.
            if (!watchdog_.isActive())
                watchdog_.start(std::chrono::milliseconds(std::max(250, static_cast<int>(interval_ * 6000))));
            return;
        }
        if (timer_.isActive()) return;
        const double now = mediaTime();
        if (!phase_) phase_ = now;
        // The next tick on the grid, never within half an interval of the
        // last one, so that a timer firing early does not tick twice.
        const double earliest = std::max(now, lastTick_ + interval_ / 2);
        nextTick_ = *phase_ + (std::floor((earliest - *phase_) / interval_) + 1) * interval_;
        timer_.start(std::chrono::milliseconds(static_cast<long>(std::ceil(std::max(0.0, nextTick_ - now) * 1000))));
    }

    void vblank(std::uint64_t ust) {
        if (!present_) return;
        waiting_ = false;
        watchdog_.stop();
        if (!running_ && !once_) return;
        deliver(ust ? static_cast<double>(ust) * 1e-6 : mediaTime());
    }

    void presentFailed() {
        if (!present_ || !waiting_) return;
        present_->remove(link_);
        present_ = nullptr;
        waiting_ = false;
        arm();
    }

    void deliver(double timestamp) {
        if (!running_ && !once_) return;
        once_ = false;
        lastTick_ = timestamp;
        // The next one is asked for first: the callback may stop the link or
        // destroy it.
        if (running_) arm();
        const DisplayLinkFrame frame{timestamp, timestamp + interval_, interval_};
        const Callback callback = callback_;
        callback(frame);
    }

    Callback callback_;
    double interval_ = kFallbackInterval;
    PresentSource* present_ = nullptr;
    std::uint32_t link_ = 0;
    bool waiting_ = false;
    bool once_ = false;
    QTimer timer_;
    QTimer watchdog_;
    std::optional<double> phase_;
    double nextTick_ = 0;
    double lastTick_ = -1e9;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace

std::unique_ptr<DisplayLink> DisplayLink::create(DisplayID display, Callback callback, Source source) {
    assertMainThread("DisplayLink::create");
    return std::make_unique<X11DisplayLink>(display, std::move(callback), source);
}

} // namespace platform
