// An edit slot: its stroke and the overlay that follows it.

#include "canvas/EditSession.h"

#include "model/DrawingState.h"

#include <QWidget>

EditSession::EditSession(EditSlot slot, StrokeHandler onUpdate, Action onOutsideTap)
    : slot_(slot), onUpdate_(std::move(onUpdate)), onOutsideTap_(std::move(onOutsideTap)) {}

EditSlot EditSession::slotFor(DrawingTool tool) {
    if (tool == DrawingTool::bezierPen || isLineTool(tool)) return EditSlot::line;
    if (isFrameShape(tool) || isPolygonShape(tool)) return EditSlot::shape;
    return EditSlot::freehand;
}

void EditSession::setStroke(DrawingStroke stroke) { stroke_ = std::move(stroke); }

void EditSession::setLineWidth(double width) {
    if (stroke_) stroke_->lineWidth = width;
}

std::optional<DrawingStroke> EditSession::close() { return std::exchange(stroke_, std::nullopt); }

EditSession::Kind EditSession::kindFor(DrawingTool tool) const {
    switch (slot_) {
    case EditSlot::line: return tool == DrawingTool::bezierPen ? Kind::bezierPen : Kind::line;
    case EditSlot::shape:
        return tool == DrawingTool::rectangle ? Kind::rectangle
               : tool == DrawingTool::ellipse ? Kind::ellipse
                                              : Kind::polygon;
    case EditSlot::freehand: break;
    }
    return Kind::freehand;
}

std::unique_ptr<StrokeEditOverlay> EditSession::makeOverlay(Kind kind, const DrawingStroke& stroke,
                                                            CanvasOverlayFactory& factory, DrawingState& state,
                                                            QWidget* host) const {
    switch (kind) {
    case Kind::bezierPen: return factory.makeBezierPenEditOverlay(stroke, onUpdate_, onOutsideTap_, host);
    case Kind::line: return factory.makeLineEditOverlay(stroke, onUpdate_, host);
    case Kind::rectangle: return factory.makeShapeEditOverlay(stroke, onUpdate_, host);
    case Kind::ellipse: return factory.makeEllipseEditOverlay(stroke, onUpdate_, host);
    case Kind::polygon: return factory.makePolygonEditOverlay(state, stroke, onUpdate_, host);
    case Kind::freehand: return factory.makeFreehandEditOverlay(state, stroke, onUpdate_, host);
    case Kind::none: break;
    }
    return nullptr;
}

void EditSession::syncOverlay(CanvasOverlayFactory& factory, DrawingState& state, QWidget* host) {
    if (!stroke_) {
        dropOverlay();
        return;
    }
    // Shown in the current colour; the slot keeps the stroke's own.
    DrawingStroke shown = *stroke_;
    shown.color = state.selectedColor.get().opacity(state.strokeOpacity.get());
    const Kind wanted = kindFor(stroke_->tool);
    if (!overlay_ || kind_ != wanted) {
        overlay_ = makeOverlay(wanted, shown, factory, state, host);
        kind_ = wanted;
        shown_ = std::move(shown);
        if (overlay_) presentOverlay(*overlay_);
    } else if (!shown_ || !(*shown_ == shown)) {
        overlay_->setStroke(shown);
        shown_ = std::move(shown);
    }
}

QWidget* EditSession::overlayWidget() const { return overlay_ ? overlay_->widget() : nullptr; }

void EditSession::dropOverlay() {
    overlay_.reset();
    kind_ = Kind::none;
    shown_.reset();
}
