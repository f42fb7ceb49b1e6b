#include "platform/DisplayCheck.h"

#include <xcb/xcb.h>

#include <future>
#include <memory>
#include <thread>

namespace platform {

std::optional<QString> displayProblem(const QByteArray& name, std::chrono::milliseconds timeout) {
    if (name.trimmed().isEmpty()) return QStringLiteral("no X display (DISPLAY is not set)");
    const QString notAnswering =
        QStringLiteral("the X display \"%1\" does not answer").arg(QString::fromLocal8Bit(name));
    // A server that accepts the connection but never answers would block
    // the connection set-up for good: it runs on a thread of its own, which
    // is left behind (the program then ends) when the time is up.
    auto answered = std::make_shared<std::promise<bool>>();
    std::future<bool> result = answered->get_future();
    std::thread([name, answered] {
        xcb_connection_t* c = xcb_connect(name.constData(), nullptr);
        const bool ok = c && !xcb_connection_has_error(c);
        if (c) xcb_disconnect(c);
        answered->set_value(ok);
    }).detach();
    if (result.wait_for(timeout) != std::future_status::ready) return notAnswering;
    if (!result.get()) return notAnswering;
    return std::nullopt;
}

QString noDisplayMessage(const QString& problem) {
    return QStringLiteral("overink: %1; Overink needs an X11 session (XWayland under Wayland): start it from a "
                          "desktop session, or set DISPLAY to a running X server.")
        .arg(problem);
}

} // namespace platform
