// The panels' label-only buttons.
#include "ui/BorderlessButton.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kPressedOpacity = 0.6;
} // namespace

BorderlessButton::BorderlessButton(const QString& text, ui::TextStyle style, QWidget* parent)
    : BorderlessButton(text, ui::font(style), parent) {}

BorderlessButton::BorderlessButton(const QString& text, const QFont& font, QWidget* parent)
    : QAbstractButton(parent), chip_(TooltipChipModifier::attach(this)) {
    platform::assertMainThread("BorderlessButton");
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(text);
}

void BorderlessButton::setSymbol(const QString& name) {
    if (name == symbol_) return;
    symbol_ = name;
    updateGeometry();
    update();
}

void BorderlessButton::setTint(ui::ThemeColor tint) {
    if (tint == tint_) return;
    tint_ = tint;
    update();
}

double BorderlessButton::labelPixelSize() const {
    return font().pixelSize() > 0 ? font().pixelSize() : font().pointSizeF();
}

double BorderlessButton::symbolSide() const { return symbol_.isEmpty() ? 0 : ui::symbolBoxSide(labelPixelSize()); }

QSize BorderlessButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double side = symbolSide();
    const double w = (side > 0 ? side + kSymbolSpacing : 0) + metrics.horizontalAdvance(text());
    const double h = std::max(side, metrics.height());
    return QSize(int(std::ceil(w)), int(std::ceil(h)));
}

void BorderlessButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    // Its label reads as text in any tint while it can be used.
    const Color tint =
        (isEnabled() ? theme.legible(theme.color(tint_)) : theme.tertiary).opacity(isDown() ? kPressedOpacity : 1);
    double x = 0;
    if (const double side = symbolSide(); side > 0) {
        ui::drawSymbol(p, QRectF(0, (height() - side) / 2, side, side), symbol_, tint, labelPixelSize());
        x = side + kSymbolSpacing;
    }
    p.setFont(font());
    p.setPen(ControlPainting::qcolor(tint));
    const QRectF textRect(x, 0, width() - x, height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
}

void BorderlessButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateGeometry();
}
