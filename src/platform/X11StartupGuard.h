#pragma once

// Ends the program cleanly when the X server goes away while Qt connects.

#include <functional>

namespace platform {

class DisplayCheck;

// Qt's X11 platform does not survive a server that goes away while it
// connects (after the program's own check of the display, before the event
// loop runs): it calls qFatal when it cannot connect or its set-up fails
// (an abort and a core dump), Xlib's I/O error handler prints its own line
// and exits, and Qt reads replies that never came (a crash). Armed, the
// guard meets each of these first, on the main thread: a reply that did not
// come because its X connection broke, Xlib's I/O error, Qt's line about the
// broken connection, a fatal message of Qt's once the display no longer
// answers. It then runs its handler, which must end the process. The
// connection watch takes over once the event loop is about to run.
class X11StartupGuard {
public:
    using Handler = std::function<void()>;

    // First thing in main(), on the main thread. From here on, for the whole
    // run, a write to a server that has gone fails rather than ending the
    // process with SIGPIPE.
    static void arm(Handler onLoss);
    // The program's check of the display, whose kept connection says whether
    // the server went away when Qt gives up on the display; while there is
    // none, Qt's fatal messages pass. It must outlive the guard's arming.
    static void judgeBy(const DisplayCheck* check);
    // Everything passes from here on.
    static void disarm();
    static bool armed();
};

} // namespace platform
