#include "canvas/LivePiecePainter.h"

#include "canvas/StrokeRenderer.h"
#include "canvas/StrokeView.h"
#include "model/StrokeExtent.h"

#include <QPainter>

namespace {

// The fields that decide how every piece of a stroke looks.
bool sameStyle(const DrawingStroke& a, const DrawingStroke& b) {
    return a.tool == b.tool && a.color == b.color && a.lineWidth == b.lineWidth && a.gimpBrushID == b.gimpBrushID &&
           a.gimpSpacing == b.gimpSpacing && a.gimpCellSelection == b.gimpCellSelection;
}

// Small strokes (lines, arrows, shapes): the whole stroke is the tail.
class WholeStrokePainter : public LivePiecePainter {
public:
    WholeStrokePainter(const DrawingStroke& stroke, const std::vector<QImage>& stamps)
        : style_(stroke), stamps_(stamps), opaque_(paintsOneOutline(stroke, stamps)) {
        style_.points.clear();
    }

    bool continues(const DrawingStroke& stroke, const std::vector<QImage>& stamps) const override {
        return sameStyle(stroke, style_) && sameStampImages(stamps, stamps_);
    }

    QRectF drawFinal(const DrawingStroke&, const std::vector<QImage>&, QPainter&) override { return QRectF(); }

    QRectF tailExtent(const DrawingStroke& stroke, const std::vector<QImage>&) override {
        return shownDrawnExtent(stroke);
    }

    void drawTail(const DrawingStroke& stroke, const std::vector<QImage>& stamps, QPainter& painter) override {
        painter.save();
        if (opaque_) {
            DrawingStroke copy = stroke;
            copy.color.a = 1;
            drawStroke(copy, painter, stamps);
        } else {
            drawStroke(stroke, painter, stamps);
        }
        painter.restore();
    }

private:
    DrawingStroke style_;
    std::vector<QImage> stamps_;
    bool opaque_;
};

} // namespace

bool paintsOneOutline(const DrawingStroke& stroke, const std::vector<QImage>& stamps) {
    if (!stamps.empty()) return false;
    switch (stroke.tool) {
    case DrawingTool::airbrush:
    case DrawingTool::watercolorBrush:
    case DrawingTool::chalk:
    case DrawingTool::eraser: return false;
    default: return true;
    }
}

std::unique_ptr<LivePiecePainter> makeLivePiecePainter(const DrawingStroke& stroke,
                                                       const std::vector<QImage>& stamps) {
    return std::make_unique<WholeStrokePainter>(stroke, stamps);
}
