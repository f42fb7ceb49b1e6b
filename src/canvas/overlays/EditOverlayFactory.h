#pragma once

// The overlays the program shows over its canvases: the bezier pen and the
// edit overlays of every stroke kind that opens for editing.

#include "canvas/CanvasOverlays.h"

class EditOverlayFactory : public CanvasOverlayFactory {
public:
    std::unique_ptr<CanvasOverlay> makeBezierPenDrawingOverlay(DrawingState& state, StrokeHandler onFinished,
                                                               QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makeBezierPenEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                                Action onOutsideTap, QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makeLineEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                           QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makeShapeEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                            QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makeEllipseEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                              QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makePolygonEditOverlay(DrawingState& state, const DrawingStroke& stroke,
                                                              StrokeHandler onUpdate, QWidget* parent) override;
    std::unique_ptr<StrokeEditOverlay> makeFreehandEditOverlay(DrawingState& state, const DrawingStroke& stroke,
                                                               StrokeHandler onUpdate, QWidget* parent) override;
    std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& textBox, Action onCommit,
                                                     QWidget* parent) override;
};
