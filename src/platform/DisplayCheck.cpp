#include "platform/DisplayCheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include <poll.h>

namespace platform {

DisplayCheck::DisplayCheck(const QByteArray& name, std::chrono::milliseconds timeout) {
    if (name.trimmed().isEmpty()) {
        problem_ = QStringLiteral("no X display (DISPLAY is not set)");
        return;
    }
    const QString notAnswering =
        QStringLiteral("the X display \"%1\" does not answer").arg(QString::fromLocal8Bit(name));
    // A server that accepts the connection but never answers would block
    // the connection set-up for good: it runs on a thread of its own, which
    // is left behind when the time is up and then closes what it got.
    struct Attempt {
        std::mutex mutex;
        bool abandoned = false;
        std::promise<xcb_connection_t*> connected;
    };
    auto attempt = std::make_shared<Attempt>();
    std::future<xcb_connection_t*> result = attempt->connected.get_future();
    std::thread([name, attempt] {
        xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
        if (c && xcb_connection_has_error(c)) {
            xcb_disconnect(c);
            c = nullptr;
        }
        const std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            if (c) xcb_disconnect(c);
            return;
        }
        attempt->connected.set_value(c);
    }).detach();
    if (result.wait_for(timeout) != std::future_status::ready) {
        const std::lock_guard lock(attempt->mutex);
        // It may have answered just now.
        if (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            attempt->abandoned = true;
            problem_ = notAnswering;
            return;
        }
    }
    connection_ = result.get();
    if (!connection_) problem_ = notAnswering;
}

DisplayCheck::~DisplayCheck() {
    if (connection_) xcb_disconnect(connection_);
}

bool DisplayCheck::serverGone(std::chrono::milliseconds wait) const {
    if (!connection_) return true;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        // Nothing was asked on it: whatever comes is read only to meet the end.
        while (xcb_generic_event_t* e = xcb_poll_for_event(connection_)) std::free(e);
        if (xcb_connection_has_error(connection_)) return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
        ::poll(&socket, 1, int(left.count()));
    }
}

std::optional<QString> displayProblem(const QByteArray& name, std::chrono::milliseconds timeout) {
    return DisplayCheck(name, timeout).problem();
}

QString noDisplayMessage(const QString& problem) {
    return QStringLiteral("overink: %1; Overink needs an X11 session (XWayland under Wayland): start it from a "
                          "desktop session, or set DISPLAY to a running X server.")
        .arg(problem);
}

} // namespace platform
