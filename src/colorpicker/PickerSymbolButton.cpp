#include "colorpicker/PickerSymbolButton.h"

#include "platform/SymbolIcon.h"

#include <QPainter>

#include <cmath>

namespace {
constexpr int kRoom = 2;
}

PickerSymbolButton::PickerSymbolButton(const QString& symbol, double symbolSize, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), symbolSize_(symbolSize) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedSize(sizeHint());
}

void PickerSymbolButton::setTint(const QColor& tint) {
    if (tint == tint_) return;
    tint_ = tint;
    update();
}

QSize PickerSymbolButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(symbolSize_)) + 2 * kRoom;
    return {side, side};
}

void PickerSymbolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(kRoom, kRoom, -kRoom, -kRoom);
    QColor tint = tint_;
    // A plain button dims while it is held down.
    if (isDown()) tint.setAlphaF(tint.alphaF() * 0.6f);
    platform::drawSymbol(p, r, symbol_, tint);
}
