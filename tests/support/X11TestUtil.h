#pragma once

// Scripted input, round trips through the X server and the window manager,
// and screen reading for the x11 tests. Nothing here waits a fixed time
// before a look: each wait polls the state it is named after, with a
// deadline, and returns whether that state was reached.

#include "support/TestUtil.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace platform {
class Window;
}

namespace testing_support {

// Runs xdotool with the arguments and waits for it; true on success.
bool xdotool(const QStringList& args);

// The pointer's position on the root window, as the server has it.
QPoint pointerPosition();
// Warps the pointer to an absolute root position and waits until the server
// has it there (relative moves lose events). True once it is there.
bool moveMouse(int x, int y);
bool moveMouse(QPoint p);
// A press and release of `button` where the pointer is.
void click(int button = 1);
void clickAt(int x, int y, int button = 1);
void pressKey(const QString& keys);

// Returns once this process has handled every event the X server produced
// before the call (a property change of our own comes back through the
// server behind them).
bool syncWithServer(int timeoutMs = 5000);
// Returns once the window manager has handled every event the server had
// sent it before the call (it answers a frame-extents request), and this
// process every event that came before the answer: whatever the window
// manager was going to do about earlier changes is done and seen. Negative
// assertions ("nothing else happened") wait on this, not on the clock.
bool settle(int timeoutMs = 5000);

// The windows under the pointer, from a child of the root down to the
// deepest. Without a grab a press goes to the deepest one that takes input
// there; input shapes count, as for the press itself.
std::vector<std::uint32_t> windowsUnderPointer();
// Warps the pointer to `at` and waits until a press there would go to
// `window` (or a window inside it).
bool pointerReaches(QPoint at, std::uint32_t window, int timeoutMs = 5000);

// Where the X server has the window, in root coordinates.
QRect serverGeometry(const platform::Window& w);

// Whether the server stacks window `a` above window `b`: the children of the
// root that hold them (a window manager's frames) in the server's own order.
bool stackedAbove(std::uint32_t a, std::uint32_t b);
// Waits until `window` is mapped at `geometry` (root coordinates) and, when a
// window manager runs, managed by it and every event about it handled.
bool waitUntilPlaced(std::uint32_t window, const QRect& geometry, int timeoutMs = 5000);
// The same for a window of ours that may still move or resize on its own
// (a panel fitting its content, a frame the manager placed asked for
// again): `geometry` says where the program has it now, read at each look.
bool waitUntilPlaced(std::uint32_t window, const std::function<QRect()>& geometry, int timeoutMs = 5000);
// The same wherever the window is. (While the window manager is still
// handling a new window's first placement and input region, its frame
// around the window may take the clicks over the whole area for a moment,
// the window's holes in its input region included.)
bool waitUntilManaged(std::uint32_t window, int timeoutMs = 5000);

// Runs the event loop for `ms`. Pacing only (a person's pace, the gap that
// separates two clicks), never a wait before a look.
void pace(int ms);
// Pacing: lets more than the double-click interval pass, so that the next
// press starts a new click sequence.
void paceNewClick();

// Polls `value` (a std::optional) every `intervalMs` until it holds the same
// value `polls` times in a row; that value, or none at the deadline. For
// state another program settles in steps (a tray host placing an icon).
template <typename F>
auto waitUntilSteady(F value, int polls = 3, int intervalMs = 100, int timeoutMs = 5000) -> decltype(value()) {
    QElapsedTimer t;
    t.start();
    auto last = value();
    int same = last ? 1 : 0;
    while (same < polls) {
        if (t.elapsed() > timeoutMs) return std::nullopt;
        pace(intervalMs);
        auto now = value();
        same = now && now == last ? same + 1 : now ? 1 : 0;
        last = std::move(now);
    }
    return last;
}

// The whole root window as the server shows it.
QImage grabRoot();

// The X window of this process's tray icon, once Qt made one; 0 otherwise.
std::uint32_t trayIconWindow();

} // namespace testing_support

#include <QProcess>

#include <memory>

namespace testing_support {

// An ordinary window of another process that reports the presses it
// receives (tests/platform/ClickRecorder.cpp), or those and the keys (the
// stand-in for the user's editor, tests/platform/KeyRecorder.cpp).
class ExternalWindow {
public:
    // Returns once the window is shown and placed (or the program failed).
    ExternalWindow(const QString& program, const QRect& geometry);
    ~ExternalWindow();
    bool ready() const { return window_ != 0 && placed_; }
    std::uint32_t window() const { return window_; }
    // Presses seen so far, in root coordinates.
    const std::vector<QPoint>& presses();
    bool hasPressNear(QPoint at);
    // Waits until a press arrived at about `at` (within 2 px).
    bool waitForPress(QPoint at, int timeoutMs = 5000);
    // Returns once the window has reported every press the server delivered
    // to it before the call: a property change of the window comes back from
    // it behind them. Tests that a press did not arrive wait on this.
    bool sync(int timeoutMs = 5000);
    void clearPresses() { presses_.clear(); }

    // The keys that reached the window so far (X keysyms), in order.
    const std::vector<std::uint32_t>& keys();
    // Whether the X server has the keyboard focus on the window.
    bool holdsKeyboard() const;
    // Gives the window the keyboard, as the user going back to the program
    // does; true once it has it.
    bool takeKeyboard();

private:
    void read();
    std::unique_ptr<QProcess> process_;
    QByteArray buffer_;
    std::uint32_t window_ = 0;
    bool placed_ = false;
    std::vector<QPoint> presses_;
    std::vector<std::uint32_t> keys_;
    int sentinelsSent_ = 0;
    int sentinelsSeen_ = 0;
};

} // namespace testing_support
