#pragma once

// Notices that Qt's X connection broke before Qt ends the process over it.

#include <QString>

#include <functional>

struct xcb_connection_t;

namespace platform {

// When its X connection breaks (the server died, the session ended), Qt's
// X11 platform logs a line ("The X11 connection broke ...") and calls exit()
// from inside the event loop; the teardown that follows runs under whatever
// background work is still going and can crash in it, and nothing is saved.
// The watch sees that line, or any line the main thread logs once the
// connection has an error, lets it be printed and then runs its handler
// instead, on the main thread. The handler must end the process: Qt's exit
// follows if it returns.
class X11ConnectionWatch {
public:
    using Handler = std::function<void()>;

    // Main thread, once the application object is connected; replaces an
    // earlier watch.
    static void start(Handler onLoss);
    // The same on another connection than Qt's (tests).
    static void start(Handler onLoss, xcb_connection_t* connection);
    // Before the application object goes, which frees the connection.
    static void stop();
    // Whether `message` is Qt's line about its broken X connection.
    static bool isLossLine(const QString& message);
};

} // namespace platform
