// The panels' label-only buttons.
#include "toolbar/BorderlessButton.h"

#include "platform/Dispatch.h"
#include "toolbar/ToolbarPainting.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kPressedOpacity = 0.6;
} // namespace

BorderlessButton::BorderlessButton(const QString& text, ui::TextStyle style, QWidget* parent)
    : QAbstractButton(parent), style_(style), chip_(TooltipChipModifier::attach(this)) {
    platform::assertMainThread("BorderlessButton");
    setText(text);
    setFont(ui::font(style));
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

double BorderlessButton::symbolSide() const {
    return symbol_.isEmpty() ? 0 : ui::symbolBoxSide(ui::textPixelSize(style_));
}

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
    const Color tint = theme.color(tint_).opacity(isDown() ? kPressedOpacity : 1);
    double x = 0;
    if (const double side = symbolSide(); side > 0) {
        ui::drawSymbol(p, QRectF(0, (height() - side) / 2, side, side), symbol_, tint, ui::textPixelSize(style_));
        x = side + kSymbolSpacing;
    }
    p.setFont(font());
    p.setPen(ToolbarPainting::qcolor(tint));
    p.drawText(QRectF(x, 0, width() - x, height()), Qt::AlignLeft | Qt::AlignVCenter, text());
}
