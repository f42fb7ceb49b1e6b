#pragma once

// A desktop panel along the bottom of the 1920 × 1080 screen, reserving its
// strut as docks do.

#include "platform/X11.h"

#include <QWidget>
#include <QWindow>

#include <cstdint>

namespace testing_support {

struct BottomDock {
    explicit BottomDock(int height) {
        widget.setWindowFlags(Qt::FramelessWindowHint);
        widget.setGeometry(0, 1080 - height, 1920, height);
        widget.winId();
        const auto id = platform::x11::windowId(widget.windowHandle());
        platform::x11::setProperty32(id, platform::x11::atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                                     {platform::x11::atom("_NET_WM_WINDOW_TYPE_DOCK")});
        platform::x11::setProperty32(id, platform::x11::atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                                     {0, 0, 0, std::uint32_t(height), 0, 0, 0, 0, 0, 0, 0, 1919});
        widget.show();
    }
    QWidget widget;
};

} // namespace testing_support
