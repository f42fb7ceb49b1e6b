#pragma once

// Small helpers over the X connection that Qt's xcb platform opened. Requests
// that act on our own windows go through this connection so that they stay
// ordered with Qt's own requests (map, configure) on the same windows.

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include <xcb/xcb.h>

class QWindow;

namespace platform::x11 {

// Qt's connection, or null when the program does not run on xcb (the unit
// tests render offscreen).
xcb_connection_t* connection();
bool available();
// Whether that connection broke (the server went away): the program ends
// over it on the event loop's next turn, saying so once.
bool connectionBroken();
xcb_window_t root();
xcb_screen_t* screen();

// Interned once per process; 0 without a connection.
xcb_atom_t atom(const char* name);
QString atomName(xcb_atom_t atom);

// Replies free themselves.
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T>
Reply<T> reply(T* r) {
    return Reply<T>(r, &std::free);
}

// A property as 32-bit items (CARDINAL, WINDOW, ATOM); empty when absent.
std::vector<std::uint32_t> property32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                      std::uint32_t maxItems = 4096);
void setProperty32(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, const std::vector<std::uint32_t>& values);

// Adds or removes one _NET_WM_STATE atom: directly in the property while the
// window is unmapped, through the window manager once it is mapped.
void setNetWmState(xcb_window_t window, xcb_atom_t state, bool on, bool mapped);

// Sends a client message to the root window the way EWMH requests are made.
void sendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0, std::uint32_t d2 = 0,
                     std::uint32_t d3 = 0, std::uint32_t d4 = 0);

// The window's ancestor that is a child of the root: the window manager's
// frame, or the window itself when nothing reparented it; 0 when it is gone.
xcb_window_t topLevelOf(xcb_window_t window);
// The children of the root, bottom first: the server's own stacking.
std::vector<xcb_window_t> rootChildren();
// Those of `windows` that are on screen (viewable), asked in one round trip.
std::vector<xcb_window_t> viewableAmong(const std::vector<xcb_window_t>& windows);

// The X window of a Qt window (created on demand); 0 off xcb.
xcb_window_t windowId(QWindow* window);
// Every X window of this process's top-level windows: Qt's, and the
// input-only windows laid over them.
std::vector<xcb_window_t> ourWindows();

// Names a window for window lists and accessibility tools: WM_NAME (Latin-1)
// and _NET_WM_NAME (UTF-8), exactly `name`.
void setWindowName(xcb_window_t window, const QString& name);
// WM_CLASS of every window of ours: instance "overink", class "Overink".
void setWindowClass(xcb_window_t window);
inline constexpr char kWindowInstance[] = "overink";
inline constexpr char kWindowClass[] = "Overink";

// The XInput extension's major opcode, which marks its events; 0 where the
// server has none. Looked up once.
std::uint8_t xinputOpcode();

// Selects the XInput 2 events of `mask` (XCB_INPUT_XI_EVENT_MASK_…, 0 for
// none) from every master device on `window`, through connection `c`.
void selectXInputEvents(xcb_connection_t* c, xcb_window_t window, std::uint32_t mask);

// Whether a compositing manager owns _NET_WM_CM_S<screen>.
bool compositingManagerRunning();

void flush();

} // namespace platform::x11
