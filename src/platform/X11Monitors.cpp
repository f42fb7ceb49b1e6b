// RandR monitors of the X screen, primary first.
#include "platform/X11Monitors.h"

#include "platform/X11.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/randr.h>

#include <algorithm>

namespace platform::x11 {

namespace {

// The output that stands for the whole screen when no monitor is listed: the
// primary output, else the first one, so that the display keeps the
// identifier its monitor had; the root window when there is no output.
Monitor wholeRoot(xcb_connection_t* c, QSize size) {
    Monitor whole;
    whole.rect = QRect(QPoint(0, 0), size);
    whole.primary = true;
    whole.id = root();
    xcb_randr_output_t output = XCB_NONE;
    if (auto p = reply(xcb_randr_get_output_primary_reply(c, xcb_randr_get_output_primary(c, root()), nullptr)))
        output = p->output;
    if (output == XCB_NONE) {
        auto res = reply(xcb_randr_get_screen_resources_current_reply(
            c, xcb_randr_get_screen_resources_current(c, root()), nullptr));
        if (res && xcb_randr_get_screen_resources_current_outputs_length(res.get()) > 0)
            output = xcb_randr_get_screen_resources_current_outputs(res.get())[0];
    }
    if (output == XCB_NONE) return whole;
    whole.id = output;
    if (auto info =
            reply(xcb_randr_get_output_info_reply(c, xcb_randr_get_output_info(c, output, XCB_CURRENT_TIME), nullptr)))
        whole.name = QString::fromUtf8(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                                       xcb_randr_get_output_info_name_length(info.get()));
    return whole;
}

} // namespace

QSize rootSize() {
    auto* c = connection();
    if (!c) return {};
    auto g = reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, root()), nullptr));
    return g ? QSize(g->width, g->height) : QSize();
}

std::vector<Monitor> monitors() {
    std::vector<Monitor> out;
    auto* c = connection();
    if (!c) return out;
    auto r = reply(xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root(), 1), nullptr));
    if (!r) return out;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(r.get()); it.rem; xcb_randr_monitor_info_next(&it)) {
        const auto* m = it.data;
        Monitor mon;
        mon.rect = QRect(m->x, m->y, m->width, m->height);
        mon.primary = m->primary;
        mon.name = atomName(m->name);
        const int outputs = xcb_randr_monitor_info_outputs_length(m);
        mon.id = outputs > 0 ? xcb_randr_monitor_info_outputs(m)[0] : m->name;
        if (mon.id == 0) mon.id = m->name;
        out.push_back(mon);
    }
    // A server may list no monitor at all (every output off, the user's own
    // monitors deleted). The whole root still shows windows, and Qt's stand-in
    // screen keeps the last monitor's frame: the root stands in instead.
    if (out.empty()) {
        if (const QSize size = rootSize(); !size.isEmpty()) out.push_back(wholeRoot(c, size));
    }
    std::stable_partition(out.begin(), out.end(), [](const Monitor& m) { return m.primary; });
    return out;
}

double rootScaleFactor() {
    auto* s = QGuiApplication::primaryScreen();
    return s ? s->devicePixelRatio() : 1.0;
}

QRect logicalRect(const QRect& device, double scale) {
    if (scale == 1.0) return device;
    return QRectF(device.x() / scale, device.y() / scale, device.width() / scale, device.height() / scale)
        .toAlignedRect();
}

} // namespace platform::x11
