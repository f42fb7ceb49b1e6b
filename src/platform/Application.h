#pragma once

// The running program: its event loop, delegate, activation and windows.

#include "platform/Signal.h"
#include "platform/Subscription.h"

#include <QString>

#include <vector>

namespace platform {

class Window;

enum class TerminateReply { now, cancel };
enum class EditAction { copy, paste, cut, selectAll };

// What the application asks of its delegate.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    // Once the event loop runs.
    virtual void applicationDidFinishLaunching() {}
    // Asked by every terminate(); cancel keeps the program running.
    virtual TerminateReply applicationShouldTerminate() { return TerminateReply::now; }
    virtual void applicationWillTerminate() {}
};

// The running program: its event loop, termination through the delegate,
// activation, the single-instance claim and power-off.
class Application {
public:
    static Application& shared();

    // Runs the event loop with the delegate until termination; returns the
    // exit code.
    int run(ApplicationDelegate* delegate);
    ApplicationDelegate* delegate() const { return delegate_; }

    // Asks the delegate; quits unless it cancels.
    void terminate();

    // Unless one of our windows holds the keyboard already, gives it to one:
    // a modal dialog (it takes typing), else `shown` (a panel being shown),
    // else the window that had it last while still shown, else the first
    // shown window that can hold it. With the time of the user's input that
    // led here.
    void activate(Window* shown = nullptr);
    // Whether one of our windows holds the X keyboard focus.
    bool isActive() const;

    // Claims the single running instance of `identifier` for this user and X
    // display: a lock in the user's private runtime folder ($XDG_RUNTIME_DIR,
    // else a private folder in the temporary folder). Atomic: of copies
    // started together exactly one succeeds; the claim ends with the process
    // (a crash leaves nothing behind); another user can neither hold nor block it.
    bool claimSingleInstance(const QString& identifier);

    // Sends an edit action to the focused text widget (or the nearest of its
    // parents that has one). False when nothing handled it.
    bool sendEditAction(EditAction action);

    // The session is ending (SIGTERM, SIGINT, SIGHUP, or the session manager
    // asking to save): observers run first, then, for a signal, termination
    // is asked for and the process ends whatever the delegate answers. A
    // lost X connection ends the run too, but without either: background
    // work is stopped, the stored files are flushed and the process exits
    // with status 1.
    Signal<> willPowerOff;
    Signal<> didBecomeActive;
    Signal<> didResignActive;

    // How a lost X connection ends the process: background work is stopped,
    // the stored files are flushed, one line says why, and the status is 1.
    // On the main thread; also while the application object is being made.
    [[noreturn]] static void endWithLostConnection();

private:
    Application();
    void powerOff();

    ApplicationDelegate* delegate_ = nullptr;
    int instanceLock_ = -1;
    bool terminating_ = false;
    std::vector<Subscription> subscriptions_;
};

} // namespace platform
