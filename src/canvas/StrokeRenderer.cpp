#include "canvas/StrokeRenderer.h"

#include "brushes/DrawingInstructions.h"
#include "canvas/StrokePainters.h"
#include "model/DrawingStroke.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

struct Dab {
    QPointF center;
    double radius;
};

// The dab geometry of an eraser path; identifiers are added only where
// dabs are kept, since a live eraser is drawn on every pointer event.
template <typename Sink>
void forEachEraserDab(const DrawingStroke& stroke, Sink&& sink) {
    if (stroke.points.empty()) return;
    const double r = stroke.lineWidth * 4;
    const double spacing = std::max(r * 0.25, 2.0);
    QPointF last = stroke.points.front();
    sink(Dab{last, r});
    for (std::size_t i = 1; i < stroke.points.size(); ++i) {
        const QPointF q = stroke.points[i];
        if (std::hypot(q.x() - last.x(), q.y() - last.y()) >= spacing) {
            sink(Dab{q, r});
            last = q;
        }
    }
}

class DabPainter {
public:
    explicit DabPainter(QPainter& painter) : painter_(painter) {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing, true);
        painter_.setPen(Qt::NoPen);
        gradient_.setColorAt(0.0, QColor(255, 255, 255, 255));
        gradient_.setColorAt(0.6, QColor(255, 255, 255, 255));
        gradient_.setColorAt(1.0, QColor(255, 255, 255, 0));
    }
    ~DabPainter() { painter_.restore(); }
    DabPainter(const DabPainter&) = delete;
    DabPainter& operator=(const DabPainter&) = delete;

    void operator()(const Dab& dab) {
        if (!(dab.radius > 0)) return;
        gradient_.setCenter(dab.center);
        gradient_.setFocalPoint(dab.center);
        gradient_.setRadius(dab.radius);
        painter_.setBrush(gradient_);
        painter_.drawEllipse(dab.center, dab.radius, dab.radius);
    }

private:
    QPainter& painter_;
    QRadialGradient gradient_;
};

} // namespace

void drawStroke(const DrawingStroke& stroke, QPainter& painter, const std::vector<QImage>& tintedStamps) {
    if (stroke.offset.width() != 0 || stroke.offset.height() != 0)
        painter.translate(stroke.offset.width(), stroke.offset.height());

    if (!tintedStamps.empty()) {
        drawingInstructions::drawGIMPBrushStroke(stroke, tintedStamps, painter);
        return;
    }

    switch (stroke.tool) {
    case DrawingTool::move: return;
    case DrawingTool::pen: drawPenStroke(stroke, painter); return;
    case DrawingTool::bezierPen: drawBezierPenStroke(stroke, painter); return;
    case DrawingTool::calligraphyBrush: drawCalligraphyStroke(stroke, painter); return;
    case DrawingTool::brushPen:
    case DrawingTool::gimpBrush: drawBrushPenStroke(stroke, painter); return;
    case DrawingTool::watercolorBrush:
        drawingInstructions::drawTexturedStroke(stroke, drawingInstructions::kWatercolorKind, painter);
        return;
    case DrawingTool::chalk:
        drawingInstructions::drawTexturedStroke(stroke, drawingInstructions::kChalkKind, painter);
        return;
    case DrawingTool::airbrush: drawAirbrushStroke(stroke, painter); return;
    case DrawingTool::line: drawLineStroke(stroke, painter); return;
    case DrawingTool::arrow: drawArrowStroke(stroke, painter); return;
    case DrawingTool::rectangle: drawShapeOutline(stroke, rectanglePath, painter); return;
    case DrawingTool::ellipse: drawShapeOutline(stroke, ellipsePath, painter); return;
    case DrawingTool::triangle:
    case DrawingTool::diamond:
    case DrawingTool::pentagon:
    case DrawingTool::hexagon:
    case DrawingTool::octagon:
    case DrawingTool::seal:
    case DrawingTool::star: drawPolygonStroke(stroke, painter); return;
    case DrawingTool::text: drawTextStroke(stroke, painter); return;
    case DrawingTool::eraser: {
        DabPainter dabs(painter);
        forEachEraserDab(stroke, dabs);
        return;
    }
    }
}

std::vector<ErasureStamp> erasureStamps(const DrawingStroke& stroke) {
    std::vector<ErasureStamp> stamps;
    forEachEraserDab(stroke, [&stamps](const Dab& dab) {
        stamps.push_back(ErasureStamp{dab.center, dab.radius, QUuid::createUuid()});
    });
    return stamps;
}

void drawErasures(const std::vector<ErasureStamp>& stamps, QPainter& painter) {
    if (stamps.empty()) return;
    DabPainter dabs(painter);
    for (const ErasureStamp& s : stamps) dabs(Dab{s.center, s.radius});
}
