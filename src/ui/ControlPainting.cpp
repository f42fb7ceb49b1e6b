#include "ui/ControlPainting.h"

#include <QPainter>

#include <algorithm>

namespace ControlPainting {

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

void paintSlider(QPainter& painter, const ui::Theme& theme, const QRectF& track, const QRectF& filled, QPointF knob,
                 double knobDiameter) {
    // The track's ends are round: its thickness is the smaller side.
    const double half = std::min(track.width(), track.height()) / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(qcolor(theme.tertiary));
    painter.drawRoundedRect(track, half, half);
    painter.setBrush(qcolor(theme.accent));
    painter.drawRoundedRect(filled, half, half);

    const double r = knobDiameter / 2;
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knob + QPointF(0, 0.5), r + 0.5, r + 0.5);
    painter.setBrush(theme.dark ? QColor(204, 204, 204) : QColor(255, 255, 255));
    painter.setPen(QPen(qcolor(theme.tertiary), 0.5));
    painter.drawEllipse(knob, r - 0.25, r - 0.25);
}

QColor qcolor(const Color& color, double opacity) { return color.opacity(opacity).toQColor(); }

} // namespace ControlPainting
