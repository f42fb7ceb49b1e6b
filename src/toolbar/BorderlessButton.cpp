// Borderless text buttons of the toolbar's panels.
#include "toolbar/BorderlessButton.h"

#include "ui/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
// Between a label's symbol and its text.
constexpr double kLabelSpacing = 5;
constexpr double kPressedOpacity = 0.6;
} // namespace

BorderlessButton::BorderlessButton(const QString& text, const QFont& font, const QString& symbol, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol) {
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setAccessibleName(text);
}

double BorderlessButton::symbolSide() const {
    return symbol_.isEmpty() ? 0 : ui::symbolBoxSide(font().pixelSize() > 0 ? font().pixelSize() : font().pointSizeF());
}

QSize BorderlessButton::sizeHint() const {
    const QFontMetricsF metrics(font());
    double width = metrics.horizontalAdvance(text());
    double height = metrics.height();
    if (!symbol_.isEmpty()) {
        width += symbolSide() + kLabelSpacing;
        height = std::max(height, symbolSide());
    }
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void BorderlessButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    Color tint = isEnabled() ? theme.accent : theme.tertiary;
    if (isDown()) tint = tint.opacity(kPressedOpacity);
    double x = 0;
    if (!symbol_.isEmpty()) {
        const double side = symbolSide();
        const double pointSize = font().pixelSize() > 0 ? font().pixelSize() : font().pointSizeF();
        ui::drawSymbol(p, QRectF(0, (height() - side) / 2, side, side), symbol_, tint, pointSize);
        x = side + kLabelSpacing;
    }
    p.setFont(font());
    p.setPen(tint.toQColor());
    const QRectF textRect(x, 0, width() - x, height());
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textRect.width()));
}

void BorderlessButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange) updateGeometry();
}
