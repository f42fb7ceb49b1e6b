#pragma once

// The width control's icon and value. The value shows "12 pt"; one click
// turns it into a field for typing a width, which asks the toolbar window
// for the keyboard, applies the text on Return or when focus leaves, drops
// it on Esc, and gives the keyboard back either way.

#include "platform/Signal.h"
#include "platform/Subscription.h"
#include "ui/Bindings.h"

#include <QLineEdit>
#include <QWidget>

#include <memory>

class DrawingState;

// The width's symbol, in the caption-2 size and the secondary colour.
class WidthIcon : public QWidget {
public:
    explicit WidthIcon(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The field of a typed width: plain, right-aligned; tells of Esc and of
// focus leaving (menus of its own aside).
class ThicknessLineEdit : public QLineEdit {
public:
    explicit ThicknessLineEdit(QWidget* parent = nullptr);

    platform::Signal<> cancelled;
    platform::Signal<> focusLost;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

class ThicknessValue : public QWidget {
public:
    static constexpr double kWidth = 40;
    static constexpr double kHeight = 16;

    explicit ThicknessValue(const std::shared_ptr<DrawingState>& state, QWidget* parent = nullptr);
    ~ThicknessValue() override;

    // Showing → typing: the field holds the width's whole points.
    void beginThicknessTyping();
    // The field is shown: ask for the keyboard, then take it.
    void focusThicknessField();
    // Applies the text (see parseTypedThickness) and ends typing.
    void commitThicknessText();
    // Ends typing and leaves the width alone.
    void cancelThicknessTyping();
    // The field's focus changed; losing it applies the text, once.
    void thicknessFocusChanged(bool focused);

    bool isEditingThickness() const { return isEditingThickness_; }
    bool thicknessFieldFocused() const { return thicknessFieldFocused_; }
    QString thicknessText() const;
    ThicknessLineEdit* field() const { return field_; }
    // The text shown while not typing.
    QString labelText() const;

    QSize sizeHint() const override { return QSize(int(kWidth), int(kHeight)); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void endTyping();

    std::weak_ptr<DrawingState> state_;
    ThicknessLineEdit* field_;
    // Dropped with this part of the object: the field outlives it for a
    // moment, and may lose the keyboard meanwhile.
    platform::Subscription fieldCancelled_;
    platform::Subscription fieldFocusLost_;
    bool isEditingThickness_ = false;
    bool thicknessFieldFocused_ = false;
    ui::Bindings bindings_;
};
