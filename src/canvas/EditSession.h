#pragma once

// One edit slot of a canvas: the placed stroke open for editing in it (out
// of DrawingState::strokes meanwhile) and the edit overlay that shows it, of
// the kind the stroke's tool asks for.

#include "canvas/CanvasOverlays.h"
#include "model/DrawingStroke.h"

#include <memory>
#include <optional>

class DrawingState;
class QWidget;

// The edits a stroke opens in, in the order a canvas consults them.
enum class EditSlot { line, shape, freehand };

class EditSession {
public:
    using StrokeHandler = CanvasOverlayFactory::StrokeHandler;
    using Action = CanvasOverlayFactory::Action;

    // The overlay reports its edited copies to onUpdate, and a click beside
    // a bezier path under edit to onOutsideTap.
    EditSession(EditSlot slot, StrokeHandler onUpdate, Action onOutsideTap = {});
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    // Bezier paths, lines and arrows open in the line edit, rectangles,
    // ellipses and polygons in the shape edit, every other tool in the
    // freehand edit.
    static EditSlot slotFor(DrawingTool tool);

    EditSlot slot() const { return slot_; }
    bool isOpen() const { return stroke_.has_value(); }
    const std::optional<DrawingStroke>& stroke() const { return stroke_; }
    // Opens the slot on `stroke`, or replaces the stroke under edit.
    void setStroke(DrawingStroke stroke);
    // Does nothing while the slot is empty.
    void setLineWidth(double width);
    // Empties the slot; the stroke that was in it, if any.
    std::optional<DrawingStroke> close();

    // Makes, updates or drops the overlay so that it shows the stroke under
    // edit in the toolbar's current colour and opacity.
    void syncOverlay(CanvasOverlayFactory& factory, DrawingState& state, QWidget* host);
    // The overlay's widget; none without an overlay.
    QWidget* overlayWidget() const;
    void dropOverlay();

private:
    enum class Kind { none, bezierPen, line, rectangle, ellipse, polygon, freehand };

    Kind kindFor(DrawingTool tool) const;
    std::unique_ptr<StrokeEditOverlay> makeOverlay(Kind kind, const DrawingStroke& stroke,
                                                   CanvasOverlayFactory& factory, DrawingState& state,
                                                   QWidget* host) const;

    EditSlot slot_;
    StrokeHandler onUpdate_;
    Action onOutsideTap_;
    std::optional<DrawingStroke> stroke_;
    std::unique_ptr<StrokeEditOverlay> overlay_;
    Kind kind_ = Kind::none;
    // The stroke as the overlay was last given it.
    std::optional<DrawingStroke> shown_;
};
