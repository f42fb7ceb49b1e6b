// The text box value and its change notice.

#include "canvas/TextBox.h"

void TextBox::setFrame(const QRectF& frame) {
    frame_ = frame;
    changed.emit();
}

void TextBox::setActive(bool active) {
    active_ = active;
    changed.emit();
}

void TextBox::setPendingText(const QString& text) {
    pendingText_ = text;
    changed.emit();
}

void TextBox::setPendingRotation(double degrees) {
    pendingRotation_ = degrees;
    changed.emit();
}

void TextBox::setTextFitted(bool fitted) {
    if (fitted == textFitted_) return;
    textFitted_ = fitted;
    changed.emit();
}

void TextBox::open(const QRectF& frame, const QString& text, double rotation) {
    frame_ = frame;
    textFitted_ = false;
    pendingText_ = text;
    pendingRotation_ = rotation;
    active_ = true;
    changed.emit();
}

void TextBox::close() {
    active_ = false;
    textFitted_ = false;
    pendingText_.clear();
    pendingRotation_ = 0;
    changed.emit();
}
