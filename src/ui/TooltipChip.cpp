#include "ui/TooltipChip.h"

#include "ui/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

TooltipChip::TooltipChip(QWidget* parent) : QWidget(parent) {
    setFont(ui::systemFont(kFontSize));
    setAttribute(Qt::WA_TranslucentBackground);
}

void TooltipChip::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize TooltipChip::sizeHint() const {
    const QFontMetricsF metrics(font());
    const double width = metrics.horizontalAdvance(text_) + 2 * kHorizontalPadding;
    const double height = metrics.height() + 2 * kVerticalPadding;
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void TooltipChip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);

    const ui::Theme theme = ui::Theme::current(this);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    p.fillPath(plate, theme.material.toQColor());
    // The outline is centred on the plate's edge, half of it inside.
    QPen pen(theme.primary.withAlpha(kOutlineOpacity).toQColor(), kOutlineWidth);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::SvgMiterJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.drawPath(plate);

    p.setPen(theme.primary.toQColor());
    p.setFont(font());
    p.drawText(QRectF(rect()).adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding),
               Qt::AlignCenter | Qt::TextSingleLine, text_);
}

void TooltipChip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    if (event->type() == QEvent::PaletteChange) update();
    QWidget::changeEvent(event);
}
