#include "platform/Event.h"

#include "platform/Window.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QWheelEvent>
#include <QWindow>

#include <xkbcommon/xkbcommon.h>

#include <array>
#include <ctime>
#include <tuple>

namespace platform {

namespace {

// Key codes by evdev code (X keycode - 8): the key's position.
constexpr std::array<std::uint16_t, 191> kPositionalCodes = [] {
    std::array<std::uint16_t, 191> t{};
    for (auto& v : t) v = KeyCode::unknown;
    const std::pair<int, std::uint16_t> map[] = {
        {1, 53},    {2, 18},    {3, 19},    {4, 20},    {5, 21},    {6, 23},    {7, 22},    {8, 26},    {9, 28},
        {10, 25},   {11, 29},   {12, 27},   {13, 24},   {14, 51},   {15, 48},   {16, 12},   {17, 13},   {18, 14},
        {19, 15},   {20, 17},   {21, 16},   {22, 32},   {23, 34},   {24, 31},   {25, 35},   {26, 33},   {27, 30},
        {28, 36},   {29, 55},   {30, 0},    {31, 1},    {32, 2},    {33, 3},    {34, 5},    {35, 4},    {36, 38},
        {37, 40},   {38, 37},   {39, 41},   {40, 39},   {41, 50},   {42, 56},   {43, 42},   {44, 6},    {45, 7},
        {46, 8},    {47, 9},    {48, 11},   {49, 45},   {50, 46},   {51, 43},   {52, 47},   {53, 44},   {54, 60},
        {55, 67},   {56, 58},   {57, 49},   {58, 57},   {59, 122},  {60, 120},  {61, 99},   {62, 118},  {63, 96},
        {64, 97},   {65, 98},   {66, 100},  {67, 101},  {68, 109},  {69, 71},   {70, 107},  {71, 89},   {72, 91},
        {73, 92},   {74, 78},   {75, 86},   {76, 87},   {77, 88},   {78, 69},   {79, 83},   {80, 84},   {81, 85},
        {82, 82},   {83, 65},   {86, 10},   {87, 103},  {88, 111},  {96, 76},   {97, 54},   {98, 75},   {99, 105},
        {100, 61},  {102, 115}, {103, 126}, {104, 116}, {105, 123}, {106, 124}, {107, 119}, {108, 125}, {109, 121},
        {110, 114}, {111, 117}, {117, 81},  {125, 59},  {126, 62},  {127, 110}, {183, 105}, {184, 107}, {185, 113},
        {186, 106}, {187, 64},  {188, 79},  {189, 80},  {190, 90},
    };
    for (auto [code, mac] : map) t[static_cast<std::size_t>(code)] = mac;
    return t;
}();

constexpr std::uint16_t kLetterCodes[26] = {0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46,
                                            45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6};
constexpr std::uint16_t kDigitCodes[10] = {29, 18, 19, 20, 21, 23, 22, 26, 28, 25};

std::uint16_t codeForCharacter(std::uint32_t c) {
    if (c >= 'a' && c <= 'z') return kLetterCodes[c - 'a'];
    if (c >= 'A' && c <= 'Z') return kLetterCodes[c - 'A'];
    if (c >= '0' && c <= '9') return kDigitCodes[c - '0'];
    return KeyCode::unknown;
}

// Synthesised events (tests, other programs' QTest) carry no X keycode.
std::uint16_t codeForQtKey(int key) {
    if (std::uint16_t c = codeForCharacter(static_cast<std::uint32_t>(key)); c != KeyCode::unknown) return c;
    switch (key) {
    case Qt::Key_Escape: return KeyCode::escape;
    case Qt::Key_Backspace: return KeyCode::deleteKey;
    case Qt::Key_Delete: return KeyCode::forwardDelete;
    case Qt::Key_Return: return KeyCode::returnKey;
    case Qt::Key_Enter: return 76;
    case Qt::Key_Tab: return KeyCode::tab;
    case Qt::Key_Space: return KeyCode::space;
    case Qt::Key_Left: return KeyCode::leftArrow;
    case Qt::Key_Right: return KeyCode::rightArrow;
    case Qt::Key_Down: return KeyCode::downArrow;
    case Qt::Key_Up: return KeyCode::upArrow;
    case Qt::Key_Control: return 55;
    case Qt::Key_Shift: return 56;
    case Qt::Key_Alt: return 58;
    case Qt::Key_Meta: return 59;
    case Qt::Key_CapsLock: return 57;
    default: return KeyCode::unknown;
    }
}

std::uint64_t flagsFromQt(Qt::KeyboardModifiers m) {
    std::uint64_t f = 0;
    if (m & Qt::ShiftModifier) f |= ModifierFlags::shift;
    if (m & Qt::ControlModifier) f |= ModifierFlags::command;
    if (m & Qt::AltModifier) f |= ModifierFlags::option;
    if (m & Qt::MetaModifier) f |= ModifierFlags::control;
    return f;
}

constexpr std::uint32_t kXLockMask = 0x2;

// The characters of the keys that print control codes or nothing.
QString specialCharacters(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Escape: return QString(QChar(0x1b));
    case Qt::Key_Backspace: return QString(QChar(0x7f));
    case Qt::Key_Delete: return QString(QChar(0xF728));
    case Qt::Key_Return: return QStringLiteral("\r");
    case Qt::Key_Enter: return QString(QChar(0x03));
    case Qt::Key_Tab: return QStringLiteral("\t");
    case Qt::Key_Up: return QString(QChar(0xF700));
    case Qt::Key_Down: return QString(QChar(0xF701));
    case Qt::Key_Left: return QString(QChar(0xF702));
    case Qt::Key_Right: return QString(QChar(0xF703));
    default: return {};
    }
}

QString keysymText(std::uint32_t keysym) {
    if (keysym == 0) return {};
    char buf[16] = {};
    const int n = xkb_keysym_to_utf8(keysym, buf, sizeof buf);
    if (n <= 1) return {};
    return QString::fromUtf8(buf, n - 1);
}

bool hasControlCharacters(const QString& s) {
    for (QChar c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
    return false;
}

Event keyEvent(const QKeyEvent* k) {
    Event e;
    switch (k->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock: e.type = EventType::flagsChanged; break;
    default: e.type = k->type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp;
    }
    e.modifierFlags = flagsFromQt(k->modifiers());
    if (k->nativeModifiers() & kXLockMask) e.modifierFlags |= ModifierFlags::capsLock;
    e.keyCode = k->nativeScanCode() ? keyCodeFromX(k->nativeScanCode(), k->nativeVirtualKey()) : codeForQtKey(k->key());
    e.isARepeat = k->isAutoRepeat();

    const QString special = specialCharacters(k->key());
    const QString plain = keysymText(k->nativeVirtualKey());
    if (!special.isEmpty()) {
        e.characters = e.charactersIgnoringModifiers = special;
    } else {
        // Ctrl (our Command) turns letters into control codes; the key's own
        // character is what callers compare.
        e.characters = hasControlCharacters(k->text()) || k->text().isEmpty() ? plain : k->text();
        e.charactersIgnoringModifiers = plain;
        if (e.characters.isEmpty() && k->key() > 0x1f && k->key() < 0x7f) {
            const QChar c(k->key());
            e.characters = e.charactersIgnoringModifiers =
                (k->modifiers() & Qt::ShiftModifier) ? QString(c) : QString(c.toLower());
        }
    }
    return e;
}

} // namespace

std::uint16_t keyCodeFromX(std::uint32_t xKeycode, std::uint32_t keysym) {
    if (std::uint16_t c = codeForCharacter(keysym); c != KeyCode::unknown) return c;
    if (xKeycode < 8) return KeyCode::unknown;
    const std::uint32_t evdev = xKeycode - 8;
    return evdev < kPositionalCodes.size() ? kPositionalCodes[evdev] : KeyCode::unknown;
}

std::uint64_t modifierFlagsFromX(std::uint32_t state) {
    std::uint64_t f = 0;
    if (state & 0x1) f |= ModifierFlags::shift;
    if (state & kXLockMask) f |= ModifierFlags::capsLock;
    if (state & 0x4) f |= ModifierFlags::command;
    if (state & 0x8) f |= ModifierFlags::option;
    if (state & 0x40) f |= ModifierFlags::control;
    return f;
}

double eventClock() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool operator==(const Event& a, const Event& b) {
    auto tie = [](const Event& e) {
        return std::tie(e.type, e.timestamp, e.modifierFlags, e.keyCode, e.characters, e.charactersIgnoringModifiers,
                        e.isARepeat, e.window, e.locationInWindow, e.locationOnScreen, e.buttonNumber, e.clickCount,
                        e.scrollingDeltaX, e.scrollingDeltaY, e.hasPreciseScrollingDeltas, e.phase, e.momentumPhase);
    };
    return tie(a) == tie(b) && a.qtWindow.data() == b.qtWindow.data();
}

std::optional<Event> eventFromQt(QWindow* window, const QEvent* event) {
    if (!window) return std::nullopt;
    Event e;
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: e = keyEvent(static_cast<const QKeyEvent*>(event)); break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove: {
        const auto* m = static_cast<const QMouseEvent*>(event);
        const bool press = event->type() == QEvent::MouseButtonPress;
        if (event->type() == QEvent::MouseMove) {
            const Qt::MouseButtons held = m->buttons();
            e.type = held & Qt::LeftButton    ? EventType::leftMouseDragged
                     : held & Qt::RightButton ? EventType::rightMouseDragged
                     : held != Qt::NoButton   ? EventType::otherMouseDragged
                                              : EventType::mouseMoved;
            e.buttonNumber = held & Qt::LeftButton ? 0 : held & Qt::RightButton ? 1 : held != Qt::NoButton ? 2 : 0;
        } else if (m->button() == Qt::LeftButton) {
            e.type = press ? EventType::leftMouseDown : EventType::leftMouseUp;
            e.buttonNumber = 0;
        } else if (m->button() == Qt::RightButton) {
            e.type = press ? EventType::rightMouseDown : EventType::rightMouseUp;
            e.buttonNumber = 1;
        } else {
            e.type = press ? EventType::otherMouseDown : EventType::otherMouseUp;
            e.buttonNumber = m->button() == Qt::MiddleButton ? 2 : 3;
        }
        e.modifierFlags = flagsFromQt(m->modifiers());
        e.locationInWindow = Point{m->position().x(), window->height() - m->position().y()};
        e.locationOnScreen = toScreen(m->globalPosition());
        break;
    }
    case QEvent::Wheel: {
        const auto* w = static_cast<const QWheelEvent*>(event);
        e.type = EventType::scrollWheel;
        e.modifierFlags = flagsFromQt(w->modifiers());
        e.locationInWindow = Point{w->position().x(), window->height() - w->position().y()};
        e.locationOnScreen = toScreen(w->globalPosition());
        const bool touchpad = w->pointingDevice() && w->pointingDevice()->type() == QInputDevice::DeviceType::TouchPad;
        e.hasPreciseScrollingDeltas = !w->pixelDelta().isNull() || touchpad || w->phase() != Qt::NoScrollPhase;
        if (e.hasPreciseScrollingDeltas) {
            // Points; a wheel-notch's worth of smooth scrolling counts ten.
            const QPointF d = !w->pixelDelta().isNull() ? QPointF(w->pixelDelta()) : QPointF(w->angleDelta()) / 12.0;
            e.scrollingDeltaX = d.x();
            e.scrollingDeltaY = d.y();
            switch (w->phase()) {
            case Qt::ScrollBegin: e.phase = EventPhase::began; break;
            case Qt::ScrollEnd: e.phase = EventPhase::ended; break;
            case Qt::ScrollMomentum: e.momentumPhase = EventPhase::changed; break;
            default: e.phase = EventPhase::changed;
            }
        } else {
            e.scrollingDeltaX = w->angleDelta().x() / 120.0;
            e.scrollingDeltaY = w->angleDelta().y() / 120.0;
        }
        break;
    }
    default: return std::nullopt;
    }
    e.timestamp = eventClock();
    e.qtWindow = window;
    e.window = Window::fromQWindow(window);
    return e;
}

} // namespace platform
