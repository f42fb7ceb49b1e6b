#pragma once

// Input events with fixed raw values: types, masks, modifier flags and key codes.

#include "platform/Geometry.h"

#include <QPointer>
#include <QString>
#include <QWindow>

#include <cstdint>
#include <optional>

class QEvent;

namespace platform {

class Window;

// Event types with fixed raw values, so that masks written as numbers
// (1 << type) keep their meaning.
enum class EventType : int {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    rightMouseDragged = 7,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
    otherMouseDragged = 27,
};

using EventMask = std::uint64_t;
constexpr EventMask maskFor(EventType t) { return EventMask{1} << static_cast<int>(t); }
// Tables of raw values, named as the events, flags and keys they stand for.
// NOLINTBEGIN(readability-identifier-naming)
namespace EventMasks {
inline constexpr EventMask leftMouseDown = maskFor(EventType::leftMouseDown);
inline constexpr EventMask leftMouseUp = maskFor(EventType::leftMouseUp);
inline constexpr EventMask rightMouseDown = maskFor(EventType::rightMouseDown);
inline constexpr EventMask rightMouseUp = maskFor(EventType::rightMouseUp);
inline constexpr EventMask mouseMoved = maskFor(EventType::mouseMoved);
inline constexpr EventMask leftMouseDragged = maskFor(EventType::leftMouseDragged);
inline constexpr EventMask rightMouseDragged = maskFor(EventType::rightMouseDragged);
inline constexpr EventMask keyDown = maskFor(EventType::keyDown);
inline constexpr EventMask keyUp = maskFor(EventType::keyUp);
inline constexpr EventMask flagsChanged = maskFor(EventType::flagsChanged);
inline constexpr EventMask scrollWheel = maskFor(EventType::scrollWheel);
inline constexpr EventMask otherMouseDown = maskFor(EventType::otherMouseDown);
inline constexpr EventMask otherMouseUp = maskFor(EventType::otherMouseUp);
inline constexpr EventMask otherMouseDragged = maskFor(EventType::otherMouseDragged);
inline constexpr EventMask any = ~EventMask{0};
} // namespace EventMasks

// Modifier bits. Command is the Ctrl key, Option is Alt, Control is the
// Super (logo) key. Num Lock is never reported: it is on in most sessions
// and would spoil exact comparisons.
namespace ModifierFlags {
inline constexpr std::uint64_t capsLock = 1u << 16;
inline constexpr std::uint64_t shift = 1u << 17;
inline constexpr std::uint64_t control = 1u << 18;
inline constexpr std::uint64_t option = 1u << 19;
inline constexpr std::uint64_t command = 1u << 20;
inline constexpr std::uint64_t numericPad = 1u << 21;
inline constexpr std::uint64_t help = 1u << 22;
inline constexpr std::uint64_t function = 1u << 23;
inline constexpr std::uint64_t deviceIndependentFlagsMask = 0xFFFF0000u;
} // namespace ModifierFlags

// Scroll phases, as bit values.
enum class EventPhase : std::uint32_t {
    none = 0,
    began = 1,
    stationary = 2,
    changed = 4,
    ended = 8,
    cancelled = 16,
    mayBegin = 32
};

// Key codes of keys the program names.
namespace KeyCode {
inline constexpr std::uint16_t z = 6;
inline constexpr std::uint16_t c = 8;
inline constexpr std::uint16_t v = 9;
inline constexpr std::uint16_t q = 12;
inline constexpr std::uint16_t returnKey = 36;
inline constexpr std::uint16_t tab = 48;
inline constexpr std::uint16_t space = 49;
inline constexpr std::uint16_t deleteKey = 51; // BackSpace
inline constexpr std::uint16_t escape = 53;
inline constexpr std::uint16_t forwardDelete = 117; // Delete
inline constexpr std::uint16_t leftArrow = 123;
inline constexpr std::uint16_t rightArrow = 124;
inline constexpr std::uint16_t downArrow = 125;
inline constexpr std::uint16_t upArrow = 126;
inline constexpr std::uint16_t unknown = 0xFFFF;
} // namespace KeyCode
// NOLINTEND(readability-identifier-naming)

// The key code of an X key: letters and digits by what the layout prints on
// the key (so Ctrl+Z is Z on every Latin layout), everything else by the
// key's position on the keyboard. `keysym` may be 0 when unknown.
std::uint16_t keyCodeFromX(std::uint32_t xKeycode, std::uint32_t keysym);
// Modifier bits from an X modifier state (Shift, Lock, Control, Mod1, Mod4).
std::uint64_t modifierFlagsFromX(std::uint32_t state);

// One input event.
struct Event {
    EventType type = EventType::mouseMoved;
    double timestamp = 0; // seconds, monotonic clock
    std::uint64_t modifierFlags = 0;

    // Keys.
    std::uint16_t keyCode = KeyCode::unknown;
    QString characters;
    QString charactersIgnoringModifiers;
    bool isARepeat = false;

    // Pointer. `window` is ours (null for other applications' events);
    // `locationInWindow` is y-up from the window's bottom-left, or the screen
    // location when there is no window.
    Window* window = nullptr;
    QPointer<QWindow> qtWindow;
    Point locationInWindow;
    Point locationOnScreen;
    int buttonNumber = 0; // 0 left, 1 right, 2 middle, …
    int clickCount = 0;

    // Scrolling: lines for a wheel, points for continuous (touchpad) input.
    double scrollingDeltaX = 0;
    double scrollingDeltaY = 0;
    bool hasPreciseScrollingDeltas = false;
    EventPhase phase = EventPhase::none;
    EventPhase momentumPhase = EventPhase::none;

    EventMask mask() const { return maskFor(type); }
    std::uint64_t deviceIndependentModifiers() const {
        return modifierFlags & ModifierFlags::deviceIndependentFlagsMask;
    }

    friend bool operator==(const Event& a, const Event& b);
};

// The Qt event turned into an Event, when it is one of the kinds above and
// was sent to a window. `clickCount` is filled by the caller.
std::optional<Event> eventFromQt(QWindow* window, const QEvent* event);

// Seconds on the monotonic clock, as event timestamps use.
double eventClock();

} // namespace platform
