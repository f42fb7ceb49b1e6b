#pragma once

// Draws a new bezier path vertex by vertex. A click adds a corner vertex; a
// press dragged 3 pt or more adds one with symmetric arms pulled by the
// drag; a click within 10 pt of the first vertex closes the path; a
// double-click finishes it. A rubber band runs from the last vertex to the
// pointer. While a path is unfinished the drawing state's isBezierEditing is
// on, so that Esc (which turns it off) abandons the path.

#include "canvas/CanvasClock.h"
#include "canvas/CanvasOverlays.h"
#include "platform/Subscription.h"

#include <QPointF>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class DrawingState;

class BezierPenDrawingOverlay : public QWidget, public CanvasOverlay {
public:
    using StrokeHandler = CanvasOverlayFactory::StrokeHandler;

    BezierPenDrawingOverlay(DrawingState& state, StrokeHandler onFinished, QWidget* parent,
                            std::shared_ptr<CanvasClock> clock = CanvasClock::system());
    ~BezierPenDrawingOverlay() override;

    QWidget* widget() override { return this; }

    const std::vector<QPointF>& vertices() const { return vertices_; }
    const std::vector<QPointF>& armsIn() const { return in_; }
    const std::vector<QPointF>& armsOut() const { return out_; }
    std::optional<QPointF> hoverPoint() const { return hover_; }
    // The path so far as a stroke in the current colour and width.
    DrawingStroke pathStroke() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void addVertex(QPointF at, QPointF out);
    void finish();
    void abandon();

    DrawingState& state_;
    StrokeHandler onFinished_;
    std::shared_ptr<CanvasClock> clock_;
    std::vector<platform::Subscription> subscriptions_;

    std::vector<QPointF> vertices_, in_, out_;
    std::optional<QPointF> hover_;
    std::optional<CanvasClock::TimePoint> lastClickTime_;
    QPointF lastClickLocation_;
    // The press in progress and the arm it pulls, if dragged far enough.
    std::optional<QPointF> press_;
    std::optional<QPointF> pulledArm_;
};
