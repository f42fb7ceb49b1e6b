#pragma once

// Raw input from the X server, whichever window it goes to.

#include "platform/Signal.h"

#include <QHash>
#include <QRect>

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>

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

// Our own X connection for what Qt's does not pass on: XI2 raw input on the
// root, owner changes of the compositing-manager and system-tray selections,
// restacking of the window manager's clients, and changes of the screen's
// size and RandR layout. Read on the main thread
// through a socket notifier.
class X11EventSource {
public:
    static X11EventSource& instance();
    ~X11EventSource();

    bool isOpen() const { return connection_ != nullptr; }

    // Raw input is selected only while someone wants it (global monitors).
    void retainRawInput();
    void releaseRawInput();
    // Raw motion too: every movement of the pointer wakes us while selected.
    void setRawMotionWanted(bool wanted);

    Signal<bool> compositingChanged; // a compositing manager started (true) or stopped
    Signal<bool> trayHostChanged;    // a system-tray host appeared (true) or went away
    // The window manager restacked its clients, or a window (a manager's
    // frame) moved in the server's own stacking: not every manager keeps
    // its stacking list up to date as it raises a window.
    Signal<> stackingChanged;
    Signal<xcb_atom_t> rootPropertyChanged;
    Signal<> screenLayoutChanged; // the root's size, or RandR's screens, outputs or monitors changed
    Signal<const RawInput&> rawInput;
    Signal<> batchEnded; // after each batch of events read in one go

private:
    X11EventSource();
    void open();
    void readEvents();
    void selectRawInput(bool on);

    xcb_connection_t* connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xfixesFirstEvent_ = 0;
    std::uint8_t randrFirstEvent_ = 0;
    bool haveXInput_ = false;
    int rawUsers_ = 0;
    bool rawMotion_ = false;
    xcb_atom_t cmSelection_ = 0, traySelection_ = 0, stackingAtom_ = 0;
    // Where each child of the root was last seen.
    QHash<xcb_window_t, QRect> rootChildGeometry_;
};

} // namespace platform
