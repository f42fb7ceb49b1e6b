#pragma once

// The real shell (the application delegate with the program's own services)
// in the test process, on the session's X server.

#include "app/AppDelegate.h"
#include "app/OverlayWindow.h"
#include "app/OverlayWindowController.h"
#include "platform/X11.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>

namespace testing_support {

// Where the X server has the window, in root coordinates.
inline QRect serverGeometry(const platform::Window& w) {
    auto* c = platform::x11::connection();
    auto g = platform::x11::reply(xcb_get_geometry_reply(c, xcb_get_geometry(c, w.xid()), nullptr));
    auto t = platform::x11::reply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, w.xid(), platform::x11::root(), 0, 0), nullptr));
    if (!g || !t) return {};
    return QRect(t->dst_x, t->dst_y, g->width, g->height);
}

struct RealShell {
    RealShell() {
        AppServices s = AppServices::standard();
        s.environment.defaults = platform::UserDefaults::inMemory();
        s.environment.loginItem = std::make_shared<platform::LoginItem>(dir.path() + "/autostart", "overink");
        s.environment.brushStoreDirectory = dir.path() + "/brushes";
        s.claimSingleInstance = [] { return true; };
        s.terminate = [] {};
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~RealShell() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingState& state() const { return *delegate->drawingState(); }
    OverlayWindow* overlay() const {
        const auto& table = state().overlayControllers;
        return table.empty() ? nullptr : static_cast<OverlayWindowController*>(table.begin()->second.get())->window();
    }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace testing_support
