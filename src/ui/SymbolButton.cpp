#include "ui/SymbolButton.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"

#include <QPainter>

namespace {
// How a plain button dims its label while disabled and while pressed.
constexpr double kDisabledOpacity = 0.3;
constexpr double kPressedOpacity = 0.6;
} // namespace

SymbolButton::SymbolButton(QWidget* parent, std::shared_ptr<AnchorRef> chipAnchor)
    : QAbstractButton(parent), chip_(TooltipChipModifier::attach(this, std::move(chipAnchor))) {
    platform::assertMainThread("SymbolButton");
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_Hover, false);
}

QSize SymbolButton::sizeHint() const { return QSize(int(kSide), int(kSide)); }

void SymbolButton::setSymbol(const QString& name) {
    if (name == symbol_) return;
    symbol_ = name;
    update();
}

void SymbolButton::setTint(ui::ThemeColor tint) {
    if (tint == tint_) return;
    tint_ = tint;
    update();
}

void SymbolButton::setPointSize(double size) {
    if (size == pointSize_) return;
    pointSize_ = size;
    update();
}

void SymbolButton::setHighlighted(bool on) {
    if (on == highlighted_) return;
    highlighted_ = on;
    update();
}

void SymbolButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF frame(0, 0, kSide, kSide);
    ControlPainting::paintHighlight(p, frame, highlighted_, theme);
    double opacity = 1;
    if (!isEnabled())
        opacity = kDisabledOpacity;
    else if (isDown())
        opacity = kPressedOpacity;
    ui::drawSymbol(p, frame, symbol_, theme.color(tint_).opacity(opacity), pointSize_);
}
