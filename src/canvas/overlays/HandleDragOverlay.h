#pragma once

// The common ground of the edit overlays: a transparent widget over the
// canvas that shows the stroke under edit with its handles and lets the user
// drag one handle at a time. A drag works on a copy of the stroke, shows it
// as it goes and reports it once, at the release, if it changed anything.
// Presses that take nothing are left to the canvas underneath, which moves
// the stroke when the press is on it and ends the edit when it is not.

#include "canvas/CanvasOverlays.h"
#include "model/DrawingStroke.h"

#include <QPointF>
#include <QWidget>

#include <optional>
#include <vector>

class HandleDragOverlay : public QWidget, public StrokeEditOverlay {
public:
    using StrokeHandler = CanvasOverlayFactory::StrokeHandler;

    HandleDragOverlay(const DrawingStroke& stroke, StrokeHandler onUpdate, QWidget* parent);

    QWidget* widget() override { return this; }
    void setStroke(const DrawingStroke& stroke) override;

    // The stroke as shown now, a drag in progress included.
    const DrawingStroke& stroke() const { return stroke_; }
    // The handle centres, in canvas coordinates.
    std::vector<QPointF> handlePoints() const;

protected:
    // What a press took.
    enum class Grab { none, handle, body, elsewhere };

    // The handles of `stroke`, in the stroke's own coordinates (before its
    // pending offset).
    virtual std::vector<QPointF> handles(const DrawingStroke& stroke) const = 0;
    // `start` with handle `handle` dragged to `to` (stroke coordinates);
    // the handle follows the pointer's travel from where it was pressed.
    virtual DrawingStroke dragged(const DrawingStroke& start, std::size_t handle, QPointF to) const = 0;
    // Which presses off the handles this overlay keeps: none by default.
    virtual Grab grabOffHandles(QPointF /*point*/) const { return Grab::none; }
    // `start` moved by `by` as a whole (a body drag).
    virtual DrawingStroke moved(const DrawingStroke& start, QPointF /*by*/) const { return start; }
    // A release under `clickTravel` of the press; `point` is where it was
    // pressed, `grab` what the press took. Runs after any report, and may
    // be the last thing the overlay does (a callback can end the edit).
    virtual void clicked(QPointF /*point*/, Grab /*grab*/) {}
    virtual double clickTravel() const { return 0; }
    // Lines from vertices to their arm handles, drawn under the handles.
    virtual std::vector<std::pair<QPointF, QPointF>> arms(const DrawingStroke& /*stroke*/) const { return {}; }
    // Paints the stroke itself; the painter is already moved by its offset.
    virtual void paintStroke(QPainter& painter) const;

    void report(const DrawingStroke& stroke);
    QPointF toStroke(QPointF canvasPoint) const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    StrokeHandler onUpdate_;

private:
    void follow(QPointF canvasPoint);

    DrawingStroke stroke_;
    // The stroke as the press found it, while a drag runs.
    std::optional<DrawingStroke> atPress_;
    Grab grab_ = Grab::none;
    std::size_t handle_ = 0;
    // The dragged handle where the press found it, in stroke coordinates.
    QPointF handleStart_;
    QPointF pressPoint_;
    QPointF lastPoint_;
};
