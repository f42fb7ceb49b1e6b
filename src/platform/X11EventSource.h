#pragma once

// Every X event the program reads: Qt's connection's, handed to our handlers
// in a fixed order, and our own connection's, about the root and raw input.

#include "platform/Signal.h"

#include <QHash>
#include <QRect>
#include <QSet>

#include <xcb/xcb.h>

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>

class QSocketNotifier;

namespace platform {

// Input as the X server saw it, before any window got it: XI2 raw events,
// which every client receives whichever window the event goes to.
struct RawInput {
    enum class Kind { ButtonPress, ButtonRelease, Motion, KeyPress, KeyRelease };
    Kind kind = Kind::Motion;
    std::uint32_t detail = 0; // button number or X keycode
    std::uint32_t time = 0;   // server time, ms
};

// One event of Qt's connection, decoded once for every handler.
struct XEvent {
    xcb_generic_event_t* event = nullptr;
    std::uint8_t type = 0;        // the response type without the bit of a sent event
    bool sent = false;            // sent by a client (a window manager's notice), not made by the server
    std::uint16_t xinputType = 0; // XCB_INPUT_… of an XInput 2 event; 0 for any other
};

// Who sees the events of Qt's connection, in this order, before Qt does:
enum class XEventStage {
    // Where the server has our windows (ServerPlacement): first, so that
    // every later stage, and Qt, places events against the newest place.
    placement,
    // The input-only windows' pointer events become their owners', and
    // each pointer event is placed against where its window's events are
    // placed (X11InputWindow, ServerPlacement::placePointerAt).
    pointerRouting,
    // The user's input time and the keyboard focus (WindowActivation): it
    // sees every key, button and focus event, none taken yet.
    activation,
    // A drag's moves, taken off Qt (PointerMotionTap): last, since it
    // consumes them, and it reads them already routed and placed.
    motionTap,
};

// A handler returns true when it took the event: the later stages and Qt
// then never see it.
using XEventHandler = std::function<bool(const XEvent&)>;

// The program's one entry point for X events. Qt's connection passes each
// event it reads through one native event filter here, which hands it to
// the registered handlers stage by stage (of one stage, in registration
// order). Our own connection carries what Qt's does not pass on: XI2 raw
// input on the root, owner changes of the compositing-manager and
// system-tray selections, restacking of the window manager's clients, the
// window manager's own coming and going, and changes of the screen's size
// and RandR layout; it is read on the main thread through a socket notifier.
class X11EventSource {
public:
    static X11EventSource& instance();
    ~X11EventSource();

    bool isOpen() const { return connection_ != nullptr; }

    // Registers a handler for Qt's connection's events; none off X.
    [[nodiscard]] Subscription handle(XEventStage stage, XEventHandler handler);
    // Runs an event of Qt's connection through the handlers; true when one
    // took it.
    bool dispatch(xcb_generic_event_t* event);

    // Whether a window manager runs (an EWMH one, whose check window is
    // alive). Followed through the root's properties and the check window's
    // end; the server is asked again only after the property changed.
    bool windowManagerRunning();
    // Whether a compositing manager runs (the owner of its selection). Asked
    // once, then followed through the selection's owner changes: it holds
    // the new answer by the time compositingChanged is emitted.
    bool compositingManagerRunning();

    // Raw input is selected only while someone wants it (global monitors).
    void retainRawInput();
    void releaseRawInput();
    // Raw motion too: every movement of the pointer wakes us while selected.
    void setRawMotionWanted(bool wanted);
    // Reads, and tells of, every event of our own connection the server
    // sent before now (one round trip): raw input made before an event of
    // Qt's connection that it caused has then been told of.
    void catchUp();

    Signal<bool> compositingChanged; // a compositing manager started (true) or stopped
    Signal<bool> trayHostChanged;    // a system-tray host appeared (true) or went away
    // The window manager restacked its clients, or a window (a manager's
    // frame) moved in the server's own stacking: not every manager keeps
    // its stacking list up to date as it raises a window.
    Signal<> stackingChanged;
    Signal<xcb_atom_t> rootPropertyChanged;
    Signal<> screenLayoutChanged; // the root's size, or RandR's screens, outputs or monitors changed
    // A window the window manager lists (a desktop panel) changed the strip
    // of the screen it reserves.
    Signal<> strutsChanged;
    Signal<const RawInput&> rawInput;
    Signal<> batchEnded; // after each batch of events read in one go

private:
    struct Handler {
        XEventStage stage;
        XEventHandler handle;
        bool alive = true;
    };

    X11EventSource();
    void open();
    void installFilter();
    void readEvents();
    void selectRawInput(bool on);
    void learnWindowManager();
    // Follows the property changes of every window the manager lists, for
    // their struts.
    void watchClients();
    void dropRemovedHandlers();

    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xfixesFirstEvent_ = 0;
    std::uint8_t randrFirstEvent_ = 0;
    bool haveXInput_ = false;
    int rawUsers_ = 0;
    bool rawMotion_ = false;
    xcb_atom_t cmSelection_ = 0, traySelection_ = 0, stackingAtom_ = 0, wmCheckAtom_ = 0;
    xcb_atom_t clientListAtom_ = 0, strutAtom_ = 0, strutPartialAtom_ = 0;
    // The listed windows whose properties are followed.
    QSet<xcb_window_t> watchedClients_;
    // The window manager's check window; none while no manager runs.
    xcb_window_t wmCheck_ = XCB_NONE;
    bool wmKnown_ = false;
    std::optional<bool> compositing_;
    bool filterInstalled_ = false;
    std::list<Handler> handlers_;
    int dispatching_ = 0;
    bool handlerRemoved_ = false;
    // Where each child of the root was last seen.
    QHash<xcb_window_t, QRect> rootChildGeometry_;
};

} // namespace platform
