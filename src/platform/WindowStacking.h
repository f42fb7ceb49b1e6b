#pragma once

// A window's level and its place in the stacking order among our windows.

#include <cstdint>

namespace platform {

class Window;

// Window levels: ordinary windows stand at 0; anything above stays over
// every ordinary window, and our own windows are kept in level order.
// NOLINTBEGIN(readability-identifier-naming)
namespace WindowLevel {
inline constexpr int normal = 0;
inline constexpr int overlay = 999;
inline constexpr int panel = 1000;
inline constexpr int popUp = 1001;
} // namespace WindowLevel
// NOLINTEND(readability-identifier-naming)

// The level of one window, owned by it (Window::stacking()), and the order
// of all of ours: kept in level order above the overlays whoever restacks,
// with each input-only window just above its owner.
class WindowStacking {
public:
    explicit WindowStacking(Window& window);

    WindowStacking(const WindowStacking&) = delete;
    WindowStacking& operator=(const WindowStacking&) = delete;

    int level() const { return level_; }
    void setLevel(int level);
    // Whether this window goes above `other` in our order: a higher level,
    // or the same level and raised above it (raiseAmongItsLevel).
    bool goesAbove(const WindowStacking& other) const {
        return level_ != other.level_ ? level_ > other.level_ : raisedAt_ > other.raisedAt_;
    }
    // Puts the window above the others of its level, as it stays from now
    // on. (Ordered front, windows of one level keep the order they were
    // made in: a panel brought forward never covers the one opened over it.)
    void raiseAmongItsLevel();

    // Restacks our windows above level 0 in level order, from the highest
    // down, so that no window ever passes over a higher one on the way. Runs
    // after every show, raise and level change.
    static void restackAll();
    // Puts each input-only window back just above its owner, after the
    // window manager restacked.
    static void restackInputWindows();

private:
    friend class Window;
    // Raises the shown window among its level.
    void raise();
    // Keeps our levels in order whenever anything restacks.
    static void watchStacking();

    Window& window_;
    int level_ = WindowLevel::normal;
    // When the window was last raised above its level, 0 if never: of equal
    // levels, the one raised last stands on top, then the newest.
    std::uint64_t raisedAt_ = 0;
};

} // namespace platform
