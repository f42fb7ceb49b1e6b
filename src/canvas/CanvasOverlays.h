#pragma once

// The views a canvas lays over its strokes: the bezier pen's drawing
// overlay, the edit overlays of a stroke under edit, and the text tool
// layer with the canvas's text box. The canvas decides when each is present
// and makes it through a CanvasOverlayFactory; without a factory none is
// shown.
//
// Every overlay is a child widget covering the whole canvas, in canvas
// coordinates. It should take only the presses it handles (its handles, its
// stroke) and ignore the others, so that they reach the canvas's own drag.
// An edit overlay reports every committed change as a whole edited copy of
// its stroke (same id) and never adds or removes strokes itself.

#include "model/DrawingStroke.h"

#include <functional>
#include <memory>

class DrawingState;
class QWidget;
class TextBox;

class CanvasOverlay {
public:
    virtual ~CanvasOverlay() = default;
    // The overlay's widget; deleted with the overlay.
    virtual QWidget* widget() = 0;
};

// An overlay that shows one stroke under edit.
class StrokeEditOverlay : public CanvasOverlay {
public:
    // The stroke to show, already in the toolbar's current colour; given
    // again whenever the stroke or that colour changes.
    virtual void setStroke(const DrawingStroke& stroke) = 0;
};

class CanvasOverlayFactory {
public:
    using StrokeHandler = std::function<void(const DrawingStroke&)>;
    using Action = std::function<void()>;

    virtual ~CanvasOverlayFactory() = default;

    // Draws a new bezier path node by node; calls onFinished once with the
    // finished path, which it does not add to the strokes itself.
    virtual std::unique_ptr<CanvasOverlay> makeBezierPenDrawingOverlay(DrawingState& state, StrokeHandler onFinished,
                                                                       QWidget* parent) = 0;
    // onOutsideTap: a click that misses the path.
    virtual std::unique_ptr<StrokeEditOverlay> makeBezierPenEditOverlay(const DrawingStroke& stroke,
                                                                        StrokeHandler onUpdate, Action onOutsideTap,
                                                                        QWidget* parent) = 0;
    virtual std::unique_ptr<StrokeEditOverlay> makeLineEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                                   QWidget* parent) = 0;
    virtual std::unique_ptr<StrokeEditOverlay> makeShapeEditOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate,
                                                                    QWidget* parent) = 0;
    virtual std::unique_ptr<StrokeEditOverlay> makeEllipseEditOverlay(const DrawingStroke& stroke,
                                                                      StrokeHandler onUpdate, QWidget* parent) = 0;
    virtual std::unique_ptr<StrokeEditOverlay> makePolygonEditOverlay(DrawingState& state, const DrawingStroke& stroke,
                                                                      StrokeHandler onUpdate, QWidget* parent) = 0;
    virtual std::unique_ptr<StrokeEditOverlay> makeFreehandEditOverlay(DrawingState& state, const DrawingStroke& stroke,
                                                                       StrokeHandler onUpdate, QWidget* parent) = 0;
    // Takes right-button drags and shows the open text box, editing the
    // canvas's `textBox` in place; onCommit: the user committed its text.
    virtual std::unique_ptr<CanvasOverlay> makeTextToolLayer(DrawingState& state, TextBox& textBox, Action onCommit,
                                                             QWidget* parent) = 0;
};

// Shows an overlay over the whole of the widget it was made in.
void presentOverlay(CanvasOverlay& overlay);

// The overlays every new canvas uses.
std::shared_ptr<CanvasOverlayFactory> defaultCanvasOverlayFactory();
