// Reports of drawing on the X root, through DAMAGE on a connection of its own.
#include "platform/X11DamageWatch.h"

#include "platform/X11.h"

#include <QSocketNotifier>

#include <xcb/damage.h>

namespace platform::x11 {

struct DamageWatch::Connection {
    xcb_connection_t* c = nullptr;
    std::uint8_t firstEvent = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    ~Connection() {
        notifier.reset();
        if (c) xcb_disconnect(c);
    }
};

DamageWatch::DamageWatch(std::shared_ptr<Clock> clock)
    : connection_(std::make_unique<Connection>()), clock_(std::move(clock)), startedMs_(clock_->nowMs()) {
    if (!available()) return;
    xcb_connection_t* c = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
    connection_->c = c;
    if (!c || xcb_connection_has_error(c)) return;
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_damage_id);
    if (!ext || !ext->present) return;
    // The extension answers nothing until a client has said which version
    // it speaks.
    if (!reply(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr))) return;
    const xcb_window_t rootWindow = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_damage_damage_t damage = xcb_generate_id(c);
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_damage_create_checked(c, damage, rootWindow, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES));
    if (error) {
        std::free(error);
        return;
    }
    // The check above was a round trip: from here on the server reports.
    // What came with its answer is of earlier drawing, above all the whole
    // root, which the server reports as drawn as a watch of it begins: taken
    // for drawing, it would say every place has been drawn again.
    while (xcb_generic_event_t* e = xcb_poll_for_queued_event(c)) std::free(e);
    damage_ = damage;
    connection_->firstEvent = ext->first_event;
    connection_->notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c), QSocketNotifier::Read);
    QObject::connect(connection_->notifier.get(), &QSocketNotifier::activated, [this] { readReports(); });
}

DamageWatch::~DamageWatch() {
    if (damage_ && connection_->c) {
        xcb_damage_destroy(connection_->c, damage_);
        xcb_flush(connection_->c);
    }
}

void DamageWatch::readReports() {
    if (!damage_) return;
    xcb_connection_t* c = connection_->c;
    bool any = false;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        if ((e->response_type & 0x7f) == connection_->firstEvent + XCB_DAMAGE_NOTIFY) {
            const auto* n = reinterpret_cast<const xcb_damage_notify_event_t*>(e);
            const QRect area(n->area.x, n->area.y, n->area.width, n->area.height);
            drawn_ += area;
            reports_.emplace_back(area, elapsed());
            any = true;
        }
        std::free(e);
    }
    if (any) newReports.emit();
}

qint64 DamageWatch::lastDrawnIn(const QRegion& area) const {
    for (auto it = reports_.rbegin(); it != reports_.rend(); ++it)
        if (area.intersects(it->first)) return it->second;
    return -1;
}

} // namespace platform::x11
