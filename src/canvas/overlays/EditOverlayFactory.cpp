// Makes the program's canvas overlays.

#include "canvas/overlays/EditOverlayFactory.h"

#include "canvas/overlays/BezierPenDrawingOverlay.h"
#include "canvas/overlays/BezierPenEditOverlay.h"
#include "canvas/overlays/EllipseEditOverlay.h"
#include "canvas/overlays/FreehandEditOverlay.h"
#include "canvas/overlays/LineEditOverlay.h"
#include "canvas/overlays/PolygonEditOverlay.h"
#include "canvas/overlays/ShapeEditOverlay.h"
#include "canvas/overlays/TextToolLayer.h"

// Each overlay is its own widget, a child of `parent`; the canvas drops it
// by destroying the overlay, before its own children go.

std::unique_ptr<CanvasOverlay>
EditOverlayFactory::makeBezierPenDrawingOverlay(DrawingState& state, StrokeHandler onFinished, QWidget* parent) {
    return std::make_unique<BezierPenDrawingOverlay>(state, std::move(onFinished), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makeBezierPenEditOverlay(const DrawingStroke& stroke,
                                                                                StrokeHandler onUpdate,
                                                                                Action onOutsideTap, QWidget* parent) {
    return std::make_unique<BezierPenEditOverlay>(stroke, std::move(onUpdate), std::move(onOutsideTap), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makeLineEditOverlay(const DrawingStroke& stroke,
                                                                           StrokeHandler onUpdate, QWidget* parent) {
    return std::make_unique<LineEditOverlay>(stroke, std::move(onUpdate), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makeShapeEditOverlay(const DrawingStroke& stroke,
                                                                            StrokeHandler onUpdate, QWidget* parent) {
    return std::make_unique<ShapeEditOverlay>(stroke, std::move(onUpdate), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makeEllipseEditOverlay(const DrawingStroke& stroke,
                                                                              StrokeHandler onUpdate, QWidget* parent) {
    return std::make_unique<EllipseEditOverlay>(stroke, std::move(onUpdate), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makePolygonEditOverlay(DrawingState& state,
                                                                              const DrawingStroke& stroke,
                                                                              StrokeHandler onUpdate, QWidget* parent) {
    return std::make_unique<PolygonEditOverlay>(state, stroke, std::move(onUpdate), parent);
}

std::unique_ptr<StrokeEditOverlay> EditOverlayFactory::makeFreehandEditOverlay(DrawingState& state,
                                                                               const DrawingStroke& stroke,
                                                                               StrokeHandler onUpdate,
                                                                               QWidget* parent) {
    return std::make_unique<FreehandEditOverlay>(state, stroke, std::move(onUpdate), parent);
}

std::unique_ptr<CanvasOverlay> EditOverlayFactory::makeTextToolLayer(DrawingState& state, TextBox& textBox,
                                                                     Action onCommit, QWidget* parent) {
    return ::makeTextToolLayer(state, textBox, std::move(onCommit), parent);
}
