#pragma once

// The text tool's slot: a click selects the text tool; holding it 0.4 s
// without moving more than 10 points toggles the font picker, and the click
// still counts when the button is let go. The font picker's anchor view lies
// behind the button.

#include "platform/Signal.h"
#include "toolbar/LongPress.h"
#include "ui/AnchorRef.h"
#include "ui/SymbolButton.h"

#include <QTimer>

#include <memory>

class TextToolSlot : public SymbolButton {
public:
    explicit TextToolSlot(std::shared_ptr<AnchorRef> fontAnchor, QWidget* parent = nullptr);

    SwatchAnchorView* anchorView() const { return anchorView_; }

    // The hold was recognised (while the button is still down).
    platform::Signal<> longPressed;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void recognised();

    SwatchAnchorView* anchorView_;
    LongPress longPress_;
    QTimer holdTimer_;
};
