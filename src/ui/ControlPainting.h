#pragma once

// Painting shared by the controls of the toolbar and the panels.

#include "ui/Theme.h"

#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace ControlPainting {

inline constexpr double kHighlightRadius = 5;
inline constexpr double kHighlightStroke = 1.5;
inline constexpr double kHighlightFillOpacity = 0.2;

QPainterPath roundedRect(const QRectF& rect, double radius);

// The selected look of a tool's label: an accent fill at 20 % and an accent
// outline, both within the label's rounded rectangle (the outline is centred
// on its edge and clipped to it, so half of it shows). Nothing when not
// selected.
void paintHighlight(QPainter& painter, const QRectF& frame, bool selected, const ui::Theme& theme);

// A slider: its rounded track, filled with the accent colour over `filled`,
// and its knob of that diameter at `knob`, lifted by a faint shadow.
void paintSlider(QPainter& painter, const ui::Theme& theme, const QRectF& track, const QRectF& filled, QPointF knob,
                 double knobDiameter);

// A colour of the theme at an opacity.
QColor qcolor(const Color& color, double opacity = 1);

} // namespace ControlPainting
