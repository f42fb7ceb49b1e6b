#include "platform/Event.h"
#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using namespace platform;
using testing_support::injectLocal;
using testing_support::keyEvent;

TEST(KeyCodes, NamedKeysKeepTheirCodesAndLettersFollowTheLayout) {
    // X keycodes are evdev codes + 8.
    EXPECT_EQ(keyCodeFromX(9, 0xff1b), KeyCode::escape);
    EXPECT_EQ(keyCodeFromX(22, 0xff08), KeyCode::deleteKey);      // BackSpace
    EXPECT_EQ(keyCodeFromX(119, 0xffff), KeyCode::forwardDelete); // Delete
    EXPECT_EQ(keyCodeFromX(52, 'z'), KeyCode::z);
    EXPECT_EQ(keyCodeFromX(52, 'Z'), KeyCode::z);
    // AZERTY: the key printing W sits where QWERTY has Z.
    EXPECT_EQ(keyCodeFromX(52, 'w'), 13);
    // A Cyrillic letter on the Z key: its position decides.
    EXPECT_EQ(keyCodeFromX(52, 0x6d1), KeyCode::z);
    // The digit row without a digit on the key (AZERTY's '&').
    EXPECT_EQ(keyCodeFromX(10, '&'), 18);
    EXPECT_EQ(keyCodeFromX(3, 0), KeyCode::unknown);
}

TEST(KeyCodes, ModifierStateIgnoresNumLock) {
    // Shift | Lock | Control | Mod2 (Num Lock)
    EXPECT_EQ(modifierFlagsFromX(0x1 | 0x2 | 0x4 | 0x10),
              ModifierFlags::shift | ModifierFlags::capsLock | ModifierFlags::command);
    EXPECT_EQ(modifierFlagsFromX(0x10), 0u);
    EXPECT_EQ(modifierFlagsFromX(0x8 | 0x40), ModifierFlags::option | ModifierFlags::control);
}

TEST(LocalMonitors, NewestRunsFirstAndSwallowingStopsTheRest) {
    std::vector<int> order;
    auto older = EventMonitor::addLocal(EventMasks::keyDown, [&](const Event& e) -> std::optional<Event> {
        order.push_back(1);
        return e;
    });
    auto newer = EventMonitor::addLocal(EventMasks::keyDown | EventMasks::scrollWheel,
                                        [&](const Event& e) -> std::optional<Event> {
                                            order.push_back(2);
                                            if (e.keyCode == KeyCode::escape) return std::nullopt;
                                            return e;
                                        });
    EXPECT_TRUE(injectLocal(keyEvent(KeyCode::z)));
    EXPECT_EQ(order, (std::vector<int>{2, 1}));

    order.clear();
    EXPECT_FALSE(injectLocal(keyEvent(KeyCode::escape)));
    EXPECT_EQ(order, std::vector<int>{2});

    // Masks select: a key-up reaches neither.
    order.clear();
    EXPECT_TRUE(injectLocal(keyEvent(KeyCode::escape, 0, {}, EventType::keyUp)));
    EXPECT_TRUE(order.empty());

    newer.cancel();
    order.clear();
    EXPECT_TRUE(injectLocal(keyEvent(KeyCode::escape)));
    EXPECT_EQ(order, std::vector<int>{1});
}

TEST(LocalMonitors, AChangedEventIsWhatOlderMonitorsAndTheWindowSee) {
    std::uint16_t seen = 0;
    auto older = EventMonitor::addLocal(EventMasks::keyDown, [&](const Event& e) -> std::optional<Event> {
        seen = e.keyCode;
        return e;
    });
    auto newer = EventMonitor::addLocal(EventMasks::keyDown, [](const Event& e) -> std::optional<Event> {
        Event changed = e;
        changed.keyCode = KeyCode::escape;
        return changed;
    });
    auto out = injectLocal(keyEvent(KeyCode::z));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->keyCode, KeyCode::escape);
    EXPECT_EQ(seen, KeyCode::escape);
}

namespace {
class KeyProbe : public QWidget {
public:
    QStringList texts;

protected:
    void keyPressEvent(QKeyEvent* e) override { texts << e->text(); }
};
} // namespace

TEST(LocalMonitors, QtEventsPassThroughTheMonitorsBeforeTheirWidget) {
    KeyProbe probe;
    probe.setFocusPolicy(Qt::StrongFocus);
    probe.show();
    probe.setFocus();
    QWindow* window = probe.windowHandle();
    ASSERT_TRUE(window);

    std::vector<Event> seen;
    auto monitor = EventMonitor::addLocal(EventMasks::keyDown, [&](const Event& e) -> std::optional<Event> {
        seen.push_back(e);
        if (e.keyCode == KeyCode::escape) return std::nullopt;
        if (e.keyCode == KeyCode::z) {
            Event loud = e;
            loud.characters = "q";
            return loud;
        }
        return e;
    });
    auto send = [&](int key, Qt::KeyboardModifiers mods, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(window, &press);
    };
    send(Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1b)));
    send(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, QString(QChar(0x1a)));
    send(Qt::Key_A, Qt::NoModifier, "a");

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].keyCode, KeyCode::escape);
    EXPECT_EQ(seen[0].characters, QString(QChar(0x1b)));
    EXPECT_EQ(seen[1].keyCode, KeyCode::z);
    EXPECT_EQ(seen[1].deviceIndependentModifiers(), ModifierFlags::command | ModifierFlags::shift);
    EXPECT_EQ(seen[1].charactersIgnoringModifiers, "Z");
    EXPECT_EQ(seen[2].characters, "a");
    // Esc swallowed; Z delivered as the monitor changed it.
    EXPECT_EQ(probe.texts, (QStringList{"q", "a"}));
}
