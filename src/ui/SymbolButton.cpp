// The plain square symbol button of the toolbar and the panels.
#include "ui/SymbolButton.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"

#include <QPainter>

namespace {
// How a plain button dims its label while pressed.
constexpr double kPressedOpacity = 0.6;
} // namespace

SymbolButton::SymbolButton(QWidget* parent, std::shared_ptr<AnchorRef> chipAnchor)
    : QAbstractButton(parent), chip_(TooltipChipModifier::attach(this, std::move(chipAnchor))) {
    platform::assertMainThread("SymbolButton");
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_Hover, false);
}

QSize SymbolButton::sizeHint() const { return QSize(int(side_), int(side_)); }

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

void SymbolButton::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void SymbolButton::setSide(double side) {
    if (side == side_) return;
    side_ = side;
    setFixedSize(sizeHint());
    update();
}

void SymbolButton::setDisabledOpacity(double opacity) {
    if (opacity == disabledOpacity_) return;
    disabledOpacity_ = opacity;
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
    const QRectF frame(0, 0, side_, side_);
    ControlPainting::paintHighlight(p, frame, highlighted_, theme);
    const double opacity = !isEnabled() ? disabledOpacity_ : isDown() ? kPressedOpacity : 1;
    const Color color = color_.isValid() ? Color::fromQColor(color_) : theme.color(tint_);
    ui::drawSymbol(p, frame, symbol_, color.opacity(opacity), pointSize_);
}
