// Taking the X input focus for our windows with the user's input time, and
// handing it between them.
#include "platform/WindowActivation.h"

#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <xcb/xinput.h>

#include <algorithm>
#include <utility>

namespace platform {

namespace {

// How long the window manager has to give the focus before it is taken
// directly, and how long a window that is not on screen yet is waited for.
constexpr int kWindowManagerGraceMs = 150;
constexpr int kMapWaitMs = 2000;

std::uint32_t gUserTime = 0;
WindowActivation::GraceTimer gGraceTimer;
// Counts the requests: only the newest one may still take the focus
// directly, an older one's window having been superseded.
std::uint64_t gRequests = 0;

void noteUserTime(std::uint32_t time) {
    // Server time wraps after 49 days: a time "before" the last one by
    // more than half the range is after it.
    if (time && (gUserTime == 0 || std::int32_t(time - gUserTime) > 0)) gUserTime = time;
}

// Where the keyboard focus is, as far as it concerns us: the window of ours
// that holds it, else none, as the events handled so far tell. Followed
// through the focus events of our windows; a focus request of ours, or a
// window of ours that holds the focus going off screen, leaves it unknown
// until it is next asked for: then the server is asked once.
struct FocusCache {
    xcb_window_t window = XCB_NONE;
    bool known = false;
} gFocus;

void focusMoved(xcb_window_t window) { gFocus.window = window; }

// The window our newest request (or hand-over) is for. A window manager may
// give the focus to another window of ours after it: carry out an older
// request of ours late, or focus a window of ours as it maps it. The newest
// request stands, put back once.
struct NewestRequest {
    xcb_window_t window = XCB_NONE;
    bool putBack = false;
} gNewest;

void setFocus(xcb_window_t id, std::uint32_t time);
bool isViewable(xcb_window_t id);
xcb_window_t askFocus();
bool ours(xcb_window_t focus);

// Counts the user's presses and keys wherever they go, while anyone wants
// to know whether the user acted since a moment: the focus may move to
// another program by the user's doing, or by a window manager's (as a
// focused window of ours goes), and only the first is the user's choice.
class UserInputWatch {
public:
    void retain() {
        if (users_++ > 0) return;
        X11EventSource& source = X11EventSource::instance();
        source.retainRawInput();
        input_ = source.rawInput.connect([this](const RawInput& in) {
            if (in.kind == RawInput::Kind::ButtonPress || in.kind == RawInput::Kind::KeyPress) ++count_;
        });
    }
    void release() {
        if (users_ == 0 || --users_ > 0) return;
        input_ = {};
        X11EventSource::instance().releaseRawInput();
    }
    // The presses and keys so far, once every event the server sent before
    // now has been read: the user's input that moved the focus reaches our
    // other connection before we hear of the move.
    std::uint64_t count() {
        X11EventSource::instance().catchUp();
        return count_;
    }

private:
    int users_ = 0;
    std::uint64_t count_ = 0;
    Subscription input_;
};

// A window manager records in the root's _NET_ACTIVE_WINDOW which of its
// windows it gave the focus to. When a base window of ours (no manager's)
// takes the focus from such a window, a manager may go on taking that one
// for focused (fluxbox, now and then): a click on it then gives it nothing,
// as the manager sees nothing to give, and the keys stay with us. Until the
// manager's record changes, the user's press on that window gives it the
// focus, as the manager would have.
class StaleActiveWindow {
public:
    // A base window of ours took the focus.
    void baseWindowTookFocus() {
        const auto active = x11::property32(x11::root(), activeAtom(), XCB_ATOM_WINDOW, 1);
        const xcb_window_t recorded = active.empty() ? xcb_window_t(XCB_NONE) : active.front();
        if (recorded == XCB_NONE || ours(recorded)) {
            disarm();
            return;
        }
        if (window_ == XCB_NONE) {
            X11EventSource& source = X11EventSource::instance();
            source.retainRawInput();
            input_ = source.rawInput.connect([this](const RawInput& in) { pressed(in); });
            record_ = source.rootPropertyChanged.connect([this](xcb_atom_t atom) {
                if (atom == activeAtom()) disarm();
            });
        }
        window_ = recorded;
    }

private:
    static xcb_atom_t activeAtom() { return x11::atom("_NET_ACTIVE_WINDOW"); }
    void disarm() {
        if (window_ == XCB_NONE) return;
        window_ = XCB_NONE;
        input_ = {};
        record_ = {};
        X11EventSource::instance().releaseRawInput();
    }
    void pressed(const RawInput& in) {
        if (in.kind != RawInput::Kind::ButtonPress || window_ == XCB_NONE) return;
        auto* c = x11::connection();
        auto under = x11::reply(xcb_query_pointer_reply(c, xcb_query_pointer(c, x11::root()), nullptr));
        if (!under || under->child == XCB_NONE || under->child != x11::topLevelOf(window_)) return;
        const xcb_window_t target = window_;
        disarm();
        if (ours(askFocus())) setFocus(target, in.time);
    }

    xcb_window_t window_ = XCB_NONE;
    Subscription input_;
    Subscription record_;
};

StaleActiveWindow& staleActiveWindow() {
    static auto* stale = new StaleActiveWindow;
    return *stale;
}

// Never destroyed: it follows the event source's signals to the end.
UserInputWatch& userInput() {
    static auto* watch = new UserInputWatch;
    return *watch;
}

void focusCameToOurs(xcb_window_t window) {
    if (gNewest.window == XCB_NONE || gNewest.window == window || gNewest.putBack) return;
    // A modal dialog of ours holds the keyboard as long as it shows.
    if (QGuiApplication::modalWindow()) return;
    const auto ours = x11::ourWindows();
    if (std::find(ours.begin(), ours.end(), window) == ours.end()) return;
    gNewest.putBack = true;
    // Between our own windows: the server's time, which nothing refuses.
    if (isViewable(gNewest.window)) setFocus(gNewest.window, XCB_CURRENT_TIME);
}

// Notes the server time of every key and button event as Qt reads it, and
// the focus coming to and going from our windows.
bool noteEvent(const XEvent& e) {
    switch (e.type) {
    case XCB_FOCUS_IN: {
        const auto* f = reinterpret_cast<const xcb_focus_in_event_t*>(e.event);
        // On the window itself: not on a window inside it (virtual), nor
        // on the root with the pointer over it (pointer). A grab's coming
        // and going leaves the focus where it is.
        if ((f->mode == XCB_NOTIFY_MODE_NORMAL || f->mode == XCB_NOTIFY_MODE_WHILE_GRABBED) &&
            (f->detail == XCB_NOTIFY_DETAIL_ANCESTOR || f->detail == XCB_NOTIFY_DETAIL_INFERIOR ||
             f->detail == XCB_NOTIFY_DETAIL_NONLINEAR)) {
            focusMoved(f->event);
            focusCameToOurs(f->event);
        }
        break;
    }
    case XCB_FOCUS_OUT: {
        const auto* f = reinterpret_cast<const xcb_focus_out_event_t*>(e.event);
        // A grab's coming and going leaves the window with the focus; the
        // focus moving to a window inside it leaves it in the window, though
        // no longer on it.
        if ((f->mode == XCB_NOTIFY_MODE_NORMAL || f->mode == XCB_NOTIFY_MODE_WHILE_GRABBED) &&
            f->detail != XCB_NOTIFY_DETAIL_POINTER) {
            if (gFocus.window == f->event) focusMoved(XCB_NONE);
            if (f->detail != XCB_NOTIFY_DETAIL_INFERIOR) WindowActivation::focusLeft().emit(f->event);
        }
        break;
    }
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE:
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: noteUserTime(reinterpret_cast<const xcb_button_press_event_t*>(e.event)->time); break;
    default: break;
    }
    switch (e.xinputType) {
    case XCB_INPUT_KEY_PRESS:
    case XCB_INPUT_KEY_RELEASE:
    case XCB_INPUT_BUTTON_PRESS:
    case XCB_INPUT_BUTTON_RELEASE:
    case XCB_INPUT_TOUCH_BEGIN:
        noteUserTime(reinterpret_cast<const xcb_input_button_press_event_t*>(e.event)->time);
        break;
    default: break;
    }
    return false;
}

bool isViewable(xcb_window_t id) {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

// A window no window manager handles (override-redirect): there is no one
// to ask.
bool isUnmanaged(xcb_window_t id) {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr));
    return r && r->override_redirect;
}

// The focus as the server has it now. A request acts on this: the events
// that tell of the newest change may still wait in Qt's queue.
xcb_window_t askFocus() {
    auto* c = x11::connection();
    auto r = x11::reply(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    gFocus.window = r ? r->focus : xcb_window_t(XCB_NONE);
    gFocus.known = true;
    return gFocus.window;
}

// The focus as the events handled so far tell, for questions asked while
// handling them.
xcb_window_t focusedXWindow() { return gFocus.known ? gFocus.window : askFocus(); }

bool windowManagerRunning() { return X11EventSource::instance().windowManagerRunning(); }

// The time to ask with: the user's, or the server's own when no input has
// reached us yet.
std::uint32_t requestTime() { return gUserTime ? gUserTime : std::uint32_t(XCB_CURRENT_TIME); }

void setFocus(xcb_window_t id, std::uint32_t time) {
    // A window that is not (or no longer) viewable would make the request
    // fail with an error.
    if (!isViewable(id)) return;
    xcb_set_input_focus(x11::connection(), XCB_INPUT_FOCUS_PARENT, id, time);
    x11::flush();
    // Given or refused: the server says so only by events of the windows
    // the focus leaves and reaches, and none when it refuses.
    gFocus.known = false;
}

void askWindowManager(xcb_window_t id, std::uint32_t time) {
    // Window managers compare this with the times of other programs' input.
    if (time != XCB_CURRENT_TIME) x11::setProperty32(id, x11::atom("_NET_WM_USER_TIME"), XCB_ATOM_CARDINAL, {time});
    const QWindow* focus = QGuiApplication::focusWindow();
    const std::uint32_t current = focus && focus->handle() ? std::uint32_t(focus->winId()) : 0;
    // Source 2: the request carries out the user's own input (a click on our
    // tray icon or window, a key); 1 when no input of the user's is known.
    x11::sendRootMessage(id, x11::atom("_NET_ACTIVE_WINDOW"), gUserTime ? 2 : 1, time, current);
    x11::flush();
}

// Whether the focus is on a window of ours.
bool ours(xcb_window_t focus) {
    const auto all = x11::ourWindows();
    return std::find(all.begin(), all.end(), focus) != all.end();
}

// Whether no program has the focus: none, the pointer's root, the root, or
// a window of the window manager's own (where managers put it as a focused
// window goes, or when nothing has it: icewm's, fluxbox's).
bool nobodys(xcb_window_t focus) {
    if (focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus == x11::root()) return true;
    const auto check = x11::property32(x11::root(), x11::atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW, 1);
    if (check.empty() || !windowManagerRunning()) return false;
    // The manager's windows are made by its client: their ids share its base.
    const std::uint32_t mask = xcb_get_setup(x11::connection())->resource_id_mask;
    return (focus & ~mask) == (check.front() & ~mask);
}

// Takes the focus directly: with the user's time, which the server refuses
// once the user has chosen another program since; or with the server's own
// where it takes nothing from another program: the focus is ours already
// and only moves between our windows (a window manager may have given it to
// us after the user's input), no program has it, or it was ours as the
// request was made and only a window manager moved it since. `focus`:
// where the server has the focus now, as just asked.
void takeFocus(xcb_window_t id, xcb_window_t focus, std::uint32_t userTime, bool wasOurs = false) {
    setFocus(id, wasOurs || ours(focus) || nobodys(focus) ? std::uint32_t(XCB_CURRENT_TIME) : userTime);
}

// The newest request is for `id`.
void newestRequestFor(xcb_window_t id) { gNewest = NewestRequest{id, false}; }

void handOverNow(xcb_window_t id) {
    newestRequestFor(id);
    setFocus(id, XCB_CURRENT_TIME);
    // A window manager keeps its own idea of which of its windows has the
    // focus, and gives it to another of its choice as a focused one goes:
    // it is told, so that the window going takes nothing with it.
    if (!windowManagerRunning()) return;
    if (isUnmanaged(id)) staleActiveWindow().baseWindowTookFocus();
    else askWindowManager(id, XCB_CURRENT_TIME);
}

// `wasOurs`: the focus was ours when the request was made, and the user has
// not acted since.
void activateNow(QWindow* window, WindowActivation::Cause cause, std::uint64_t request, bool wasOurs = false) {
    // A newer request came while this one waited for its window.
    if (request != gRequests) return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t focus = askFocus();
    if (focus == id) return;
    const std::uint32_t time = requestTime();
    if (cause == WindowActivation::Cause::press || !windowManagerRunning() || wasOurs || ours(focus) ||
        isUnmanaged(id)) {
        newestRequestFor(id);
        takeFocus(id, focus, time, wasOurs);
        if (windowManagerRunning() && isUnmanaged(id)) staleActiveWindow().baseWindowTookFocus();
        return;
    }
    newestRequestFor(id);
    askWindowManager(id, time);
    // A manager that refuses (or is slow to answer) is not waited for: the
    // same request goes straight to the server, which refuses it by itself
    // when the user has given the focus elsewhere since `time`.
    QPointer<QWindow> target = window;
    auto graceEnded = [target, id, time, request] {
        if (request != gRequests || !target || !target->isVisible()) return;
        const xcb_window_t focus = askFocus();
        if (focus != id) takeFocus(id, focus, time);
    };
    if (gGraceTimer) gGraceTimer(window, graceEnded);
    else QTimer::singleShot(kWindowManagerGraceMs, window, graceEnded);
}

// Holds a request (or a hand-over) for a window until the server has it on
// screen. Meanwhile a window of ours that held the focus may go, and a
// window manager give the focus to another program: with no input of the
// user's since, the request still stands.
class PendingActivation : public QObject {
public:
    PendingActivation(QWindow* window, WindowActivation::Cause cause, std::uint64_t request, bool handOver = false)
        : QObject(window),
          window_(window),
          cause_(cause),
          request_(request),
          handOver_(handOver),
          heldWhenAsked_(ours(askFocus())) {
        userInput().retain();
        inputs_ = userInput().count();
        window->installEventFilter(this);
        QTimer::singleShot(kMapWaitMs, this, [this] { deleteLater(); });
    }
    ~PendingActivation() override { userInput().release(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed() && !done_) {
            // Exposed means mapped; the server says whether it is viewable.
            QTimer::singleShot(0, this, [this] {
                if (done_ || !window_) return;
                const auto id = static_cast<xcb_window_t>(window_->winId());
                if (!isViewable(id)) return;
                done_ = true;
                deleteLater();
                // The user gave the keyboard to another program meanwhile:
                // the keys go there.
                const bool acted = userInput().count() != inputs_;
                if (acted && !ours(askFocus())) return;
                if (!handOver_) activateNow(window_, cause_, request_, heldWhenAsked_ && !acted);
                else if (request_ == gRequests) handOverNow(id);
            });
        }
        return false;
    }

private:
    QPointer<QWindow> window_;
    WindowActivation::Cause cause_;
    std::uint64_t request_;
    bool handOver_;
    bool heldWhenAsked_;
    std::uint64_t inputs_ = 0;
    bool done_ = false;
};

} // namespace

void WindowActivation::install() {
    static bool installed = false;
    if (installed || !QCoreApplication::instance() || !x11::available()) return;
    installed = true;
    static const Subscription kEvents = X11EventSource::instance().handle(XEventStage::activation, noteEvent);
}

std::uint32_t WindowActivation::userTime() { return gUserTime; }

void WindowActivation::setGraceTimerForTesting(GraceTimer timer) { gGraceTimer = std::move(timer); }

Signal<std::uint32_t>& WindowActivation::focusLeft() {
    static Signal<std::uint32_t> signal;
    return signal;
}

void WindowActivation::activate(QWindow* window, Cause cause) {
    if (!window) return;
    if (!x11::available()) {
        // Off X (offscreen rendering) Qt keeps the focus by itself.
        window->requestActivate();
        return;
    }
    install();
    if (!window->isVisible()) return;
    const std::uint64_t request = ++gRequests;
    if (!isViewable(static_cast<xcb_window_t>(window->winId()))) {
        // Asked for as it shows: the request waits until it is on screen.
        new PendingActivation(window, cause, request);
        return;
    }
    // Carried out once the turn's other requests are made: only the newest
    // goes to the server or the window manager (showing the toolbar and then
    // the overlays asks for both), and a manager asked for a window whose
    // request a newer one overtook could take the one it was asked for as
    // focused ever after.
    QPointer<QWindow> target = window;
    QTimer::singleShot(0, window, [target, cause, request] {
        if (target && target->isVisible()) activateNow(target, cause, request);
    });
}

void WindowActivation::handOver(QWindow* window) {
    if (!window) return;
    if (!x11::available()) {
        window->requestActivate();
        return;
    }
    // The focus is ours to pass on: the server's own time, so that no focus
    // change made since the user's last input (a window manager giving us
    // the focus) can make it refuse. A window shown but not on screen yet
    // gets it as it comes.
    const auto id = static_cast<xcb_window_t>(window->winId());
    if (!isViewable(id)) {
        new PendingActivation(window, Cause::request, ++gRequests, true);
        return;
    }
    handOverNow(id);
}

void WindowActivation::goesOffScreen(const QWindow* window) {
    if (window && window->handle() && gFocus.window == static_cast<xcb_window_t>(window->winId())) gFocus.known = false;
}

bool WindowActivation::holdsFocus(const QWindow* window) {
    if (!x11::available()) {
        const QWindow* focus = QGuiApplication::focusWindow();
        return window ? focus == window : focus != nullptr;
    }
    const xcb_window_t focus = focusedXWindow();
    if (focus == XCB_NONE || focus == XCB_INPUT_FOCUS_POINTER_ROOT) return false;
    if (window) return window->handle() && focus == static_cast<xcb_window_t>(window->winId());
    const auto ours = x11::ourWindows();
    return std::find(ours.begin(), ours.end(), focus) != ours.end();
}

} // namespace platform
