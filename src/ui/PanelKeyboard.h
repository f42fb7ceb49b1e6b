#pragma once

// How an anchored panel's own text fields get the keyboard.
//
// A panel never takes keyboard focus by being shown or clicked: the window
// that had the keyboard (an overlay, typically) keeps it. A click into one
// of the panel's text fields makes the panel the key window, and the field
// gets the keys. The panel gives the keyboard back to the window that had it
// as soon as no field of the panel has focus any more (focus moved to
// another control, the field let go, the panel closed). While a field has
// the keys, Esc belongs to the field: a field with a meaning of its own for
// Esc (cancelling an entry) acts on it; for any other field Esc ends the
// typing, the field lets go and the keyboard goes back, and only the next
// Esc closes the panel.

#include <QObject>
#include <QPointer>

class QWidget;

namespace platform {
class Window;
}

namespace ui {

// Whether `widget` takes typed text (line edits, spin boxes, text edits).
bool isTextEntry(const QWidget* widget);
// The text entry that a click on `widget` goes to: the widget itself or the
// entry it is part of (a spin box's editor, a spin box's arrows), up to
// `within`; none for anything else.
QWidget* textEntryOf(QWidget* widget, const QWidget* within);

class PanelKeyboard : public QObject {
public:
    // The panel's window; it must outlive this.
    explicit PanelKeyboard(platform::Window* window);
    ~PanelKeyboard() override;

    // Watches clicks into the window's fields and their focus; from when the
    // panel is shown.
    void start();
    // Stops watching and gives the keyboard back (the panel closes).
    void stop();

    // The panel becomes the key window (a click into a field; content that
    // starts an entry of its own accord may ask too). Nothing while hidden.
    void takeKeyboard();
    // The window that had the keyboard before gets it back when it still can;
    // otherwise the panel's focused field lets go. Nothing when the panel
    // does not hold the keyboard.
    void giveKeyboardBack();

    bool holdsKeyboard() const { return holding_; }
    // A field of the panel has the keys now.
    bool fieldHasKeyboard() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* old, QWidget* now);
    bool isOurField(const QWidget* widget) const;

    platform::Window* window_;
    QPointer<platform::Window> previousKeyWindow_;
    QPointer<QObject> watchedWindow_;
    QMetaObject::Connection focusConnection_;
    bool holding_ = false;
    bool watching_ = false;
};

} // namespace ui
