// Meets each way Qt's X11 platform ends the program when the server goes away
// while it connects, and ends it cleanly instead.
#include "platform/X11StartupGuard.h"

#include "platform/DisplayCheck.h"
#include "platform/X11ConnectionWatch.h"

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <dlfcn.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

// Last: its macros (None, Bool, Status) would clash with Qt's headers.
#include <X11/Xlib.h>

namespace platform {

namespace {

// How long the server is given to close the check's connection once Qt has
// met its own broken: the two close together as it goes.
constexpr std::chrono::seconds kClosingWait{2};

struct Guard {
    std::atomic<bool> armed{false};
    std::thread::id mainThread;
    const DisplayCheck* check = nullptr;
    X11StartupGuard::Handler onLoss;
    QtMessageHandler previous = nullptr;
    bool installed = false;
};

// Never destroyed: Qt may still log while the statics go.
Guard& guard() {
    static Guard* const kInstance = new Guard;
    return *kInstance;
}

bool armedOnMainThread() {
    const Guard& g = guard();
    return g.armed && std::this_thread::get_id() == g.mainThread;
}

[[noreturn]] void end() {
    Guard& g = guard();
    g.armed = false;
    if (g.onLoss) g.onLoss();
    std::fflush(nullptr);
    std::_Exit(1);
}

// Another thread met the broken connection (Xlib's handler, which exits when
// this returns): the main thread meets it too on its next request and ends
// the program. Bounded, should it never get there.
void holdOffOtherThread() { std::this_thread::sleep_for(std::chrono::seconds(15)); }

void onMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    Guard& g = guard();
    if (armedOnMainThread()) {
        // Qt's fatal words would blame its plugins; the check says what went.
        if (type == QtFatalMsg && g.check && g.check->serverGone(kClosingWait)) end();
        if (X11ConnectionWatch::isLossLine(message)) {
            if (g.previous) g.previous(type, context, message);
            end();
        }
    } else if (g.armed && X11ConnectionWatch::isLossLine(message)) {
        if (g.previous) g.previous(type, context, message);
        holdOffOtherThread();
        return;
    }
    if (g.previous) g.previous(type, context, message);
}

// Only until Qt installs its own, once Xlib has connected: failures inside
// Xlib's connection set-up.
int onIoError(Display*) {
    if (armedOnMainThread()) end();
    if (guard().armed) holdOffOtherThread();
    return 0;
}

void ignorePipe(int) {}

template <typename Function>
Function next(const char* name) {
    void* const found = dlsym(RTLD_NEXT, name);
    if (!found) {
        std::fprintf(stderr, "overink: %s not found in libxcb\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

void* checked(xcb_connection_t* c, void* reply) {
    if (!reply && armedOnMainThread() && xcb_connection_has_error(c)) end();
    return reply;
}

} // namespace

void X11StartupGuard::arm(Handler onLoss) {
    Guard& g = guard();
    g.mainThread = std::this_thread::get_id();
    g.onLoss = std::move(onLoss);
    if (!g.installed) {
        g.previous = qInstallMessageHandler(onMessage);
        XSetIOErrorHandler(onIoError);
        // libxcb writes without MSG_NOSIGNAL. A handler rather than SIG_IGN,
        // which programs we start would inherit.
        struct sigaction action {};
        action.sa_handler = ignorePipe;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGPIPE, &action, nullptr);
        g.installed = true;
    }
    g.armed = true;
}

void X11StartupGuard::judgeBy(const DisplayCheck* check) { guard().check = check; }

void X11StartupGuard::disarm() {
    Guard& g = guard();
    g.armed = false;
    g.check = nullptr;
}

bool X11StartupGuard::armed() { return guard().armed; }

} // namespace platform

// Every reply Qt, Xlib and the xcb extension libraries wait for comes through
// these, which take the place of libxcb's own in the program (the dynamic
// linker looks in the executable first). A reply that did not come because
// the connection broke is where Qt's set-up would go on reading it.
extern "C" void* xcb_wait_for_reply(xcb_connection_t* c, unsigned int request, xcb_generic_error_t** e) {
    using Wait = void* (*)(xcb_connection_t*, unsigned int, xcb_generic_error_t**);
    static const Wait kWait = platform::next<Wait>("xcb_wait_for_reply");
    return platform::checked(c, kWait(c, request, e));
}

extern "C" void* xcb_wait_for_reply64(xcb_connection_t* c, uint64_t request, xcb_generic_error_t** e) {
    using Wait = void* (*)(xcb_connection_t*, uint64_t, xcb_generic_error_t**);
    static const Wait kWait = platform::next<Wait>("xcb_wait_for_reply64");
    return platform::checked(c, kWait(c, request, e));
}
