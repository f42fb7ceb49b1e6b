// Sees the loss of Qt's X connection in the line Qt logs before it exits.
#include "platform/X11ConnectionWatch.h"

#include "platform/Dispatch.h"
#include "platform/X11.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <thread>

#include <xcb/xcb.h>

namespace platform {

namespace {

struct Watch {
    std::atomic<xcb_connection_t*> connection{nullptr};
    // Kept after stop(): a line logged meanwhile on another thread is still
    // printed.
    std::atomic<QtMessageHandler> previous{nullptr};
    bool installed = false;
    X11ConnectionWatch::Handler onLoss;
};

// Never destroyed: Qt may still log while the statics go.
Watch& watch() {
    static Watch* const kInstance = new Watch;
    return *kInstance;
}

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    Watch& w = watch();
    if (const QtMessageHandler previous = w.previous.load()) previous(type, context, message);
    xcb_connection_t* const connection = w.connection.load();
    if (!connection) return;
    if (!isMainThread()) {
        if (!X11ConnectionWatch::isLossLine(message)) return;
        // Xlib's handler, on another thread: the main thread meets the same
        // broken connection on its next turn and ends the program; Xlib's
        // exit() must not run under it meanwhile. Bounded, should the main
        // thread never get there.
        std::this_thread::sleep_for(std::chrono::seconds(15));
        return;
    }
    // Any line the main thread logs once the connection is broken: Qt's own
    // wording may change, its check of the connection comes first.
    if (X11ConnectionWatch::isLossLine(message) || xcb_connection_has_error(connection)) {
        w.connection = nullptr;
        if (w.onLoss) w.onLoss();
    }
}

} // namespace

void X11ConnectionWatch::start(Handler onLoss) { start(std::move(onLoss), x11::connection()); }

void X11ConnectionWatch::start(Handler onLoss, xcb_connection_t* connection) {
    assertMainThread("X11ConnectionWatch::start");
    Watch& w = watch();
    w.onLoss = std::move(onLoss);
    if (!connection) return;
    if (!w.installed) {
        w.previous = qInstallMessageHandler(onMessage);
        w.installed = true;
    }
    w.connection = connection;
}

// Qt's line before its exit(), from its event loop ("The X11 connection
// broke (error N). Did the X11 server die?") and from Xlib's I/O error
// handler ("The X11 connection broke: REASON (code N)").
bool X11ConnectionWatch::isLossLine(const QString& message) {
    return message.startsWith(QLatin1String("The X11 connection broke"));
}

void X11ConnectionWatch::stop() {
    assertMainThread("X11ConnectionWatch::stop");
    Watch& w = watch();
    w.connection = nullptr;
    if (!w.installed) return;
    qInstallMessageHandler(w.previous.load());
    w.installed = false;
}

} // namespace platform
