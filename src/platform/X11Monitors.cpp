// RandR monitors of the X screen, primary first.
#include "platform/X11Monitors.h"

#include "platform/X11.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/randr.h>

#include <algorithm>

namespace platform::x11 {

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
