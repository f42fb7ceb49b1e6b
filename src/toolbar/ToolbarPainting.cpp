#include "toolbar/ToolbarPainting.h"

#include <QPainter>

namespace ToolbarPainting {

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void paintHighlight(QPainter& painter, const QRectF& frame, bool selected, const ui::Theme& theme) {
    if (!selected) return;
    const QPainterPath shape = roundedRect(frame, kHighlightRadius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.fillPath(shape, qcolor(theme.accent, kHighlightFillOpacity));
    QPen pen(qcolor(theme.accent), kHighlightStroke);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    painter.restore();
}

QColor qcolor(const Color& color, double opacity) { return color.opacity(opacity).toQColor(); }

} // namespace ToolbarPainting
