#pragma once

// The left-button drag of one canvas. Its first event decides what the drag
// is (a move of the stroke under edit, a move of a placed stroke, a stroke
// being drawn, or nothing); every later event goes to the handler of that
// mode. The release is judged by the mode and by the tool and text box of
// that moment: it ends a move, treats a text-tool gesture, applies an eraser
// pass, takes a short gesture as a click, or commits the drawn stroke.
// Clicks open edits, place text boxes and take back dots.

#include "canvas/CanvasClock.h"
#include "canvas/CanvasGestureHost.h"
#include "model/Algorithms.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"

#include <QPointF>
#include <QString>
#include <QUuid>

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

class DrawingState;

// One pointer event of a drag on the canvas, in canvas coordinates: where
// the pointer is, where the drag began, and whether Shift is held.
struct CanvasDragValue {
    QPointF location;
    QPointF startLocation;
    bool shift = false;

    QPointF translation() const { return location - startLocation; }
};

class CanvasGesture {
public:
    using TimePoint = CanvasClock::TimePoint;

    enum class DragMode {
        idle,       // no drag, or a press that started nothing
        editMove,   // moves the stroke under edit as a whole
        strokeMove, // moves a placed stroke (move mode)
        drawing,    // collects the live stroke of the selected tool
    };

    // The gesture of `host`, which owns it.
    explicit CanvasGesture(CanvasGestureHost& host);
    CanvasGesture(const CanvasGesture&) = delete;
    CanvasGesture& operator=(const CanvasGesture&) = delete;

    // Every pointer event of a left-button drag, from the press on.
    void changed(const CanvasDragValue& value);
    // Several events of a drag that came together, oldest first: as many
    // calls of changed() would, but a stroke being drawn takes them all in
    // before its live stroke is published, once.
    void changed(std::span<const CanvasDragValue> values);
    // The release that ends the drag.
    void ended(const CanvasDragValue& value);
    // The window the drawing was pinned to is gone, and with it the stroke
    // being drawn or moved.
    void abandonDrawing();

    DragMode mode() const { return mode_; }
    bool isDragging() const { return mode_ != DragMode::idle; }
    const std::vector<QPointF>& pathPoints() const { return pathPoints_; }
    void clearPath() { pathPoints_.clear(); }

    // The pause after an edit closed: a press then starts nothing. Each
    // pause ends 0.35 s after it started; of pauses that overlap, the
    // earliest ends it.
    bool isEditCooldown() const { return isEditCooldown_; }
    void startEditCooldown();

    // The live stroke of the drag so far, ending at `end`; none without a tool.
    std::optional<DrawingStroke> liveStroke(QPointF end) const;
    // Whether the stroke at `index` of DrawingState::strokes, which must
    // exist, can be opened in the text, shape or freehand edit from a click
    // at `point`: its tool is of that kind, it has no erasures, and the
    // point is on it.
    bool isEditableTextStroke(std::size_t index, QPointF point) const;
    bool isEditableShapeStroke(std::size_t index, QPointF point) const;
    bool isEditableFreehandStroke(std::size_t index, QPointF point) const;
    // The font size of a new text box: the box height over the lines at
    // 1.3 line heights each, at least 6.
    static double fontSize(const QString& text, double boxHeight);

private:
    // ---- Pointer events, by mode ----
    // The first event of a drag: it may close the open edit, or start a
    // move or a stroke.
    void begin(const CanvasDragValue& value, DrawingState& s);
    // A press while an edit is open: on the stroke it starts moving it,
    // beside it it closes the edit.
    void pressWithEditOpen(QPointF start);
    void moveEditedStroke(QPointF location);
    void moveStroke(QPointF location, DrawingState& s);
    void draw(QPointF location, DrawingState& s);

    // ---- Releases ----
    void endEditMove(DrawingState& s);
    void endWithTextTool(double distance, QPointF start, DrawingState& s);
    void endStrokeMove(double distance, QPointF start, DrawingState& s);
    void endEraserPass(DrawingState& s);
    void endClick(QPointF start, std::optional<DrawingTool> tool, DrawingState& s);
    void endStroke(double distance, std::optional<DrawingTool> tool, DrawingState& s);

    bool draws(const DrawingState& s) const;
    void discardPath(DrawingState& s);
    // Whether a click now at `point` doubles the one remembered in the pair
    // (time, location), which it then replaces.
    bool isDoubleClick(std::optional<TimePoint>& time, QPointF& location, QPointF point) const;
    // The index of the placed stroke being moved, by its id; none once it
    // has left the strokes.
    std::optional<std::size_t> movedStrokeIndex(const DrawingState& s) const;
    // The topmost stroke of this display that `accept` takes at `point`.
    template <typename Accept>
    std::optional<std::size_t> topmostStroke(const DrawingState& s, Accept accept) const;
    void placeTextBox(QPointF point, DrawingState& s);
    void reopenText(std::size_t index, DrawingState& s);

    CanvasGestureHost& host_;

    DragMode mode_ = DragMode::idle;
    QPointF dragStart_;
    std::vector<QPointF> pathPoints_;
    // One stroke grows through a drag: every live version of it keeps this.
    QUuid liveStrokeID_;
    // The smoothed path of the drag so far, extended sample by sample.
    mutable GrowingChaikinSmooth chaikin_;
    bool shiftHeld_ = false;
    // The placed stroke being moved, by id: it may leave the strokes mid-drag.
    std::optional<QUuid> movedStrokeID_;
    // The stroke under edit as it was when its move began.
    std::optional<DrawingStroke> editMoveStart_;
    bool isEditCooldown_ = false;

    // Remembered clicks for double-click tests; none = long ago.
    std::optional<TimePoint> lastTapTime_;
    QPointF lastTapLocation_;
    std::optional<TimePoint> lastLineTapTime_;
    QPointF lastLineTapLocation_;
    std::optional<TimePoint> lastFreehandTapTime_;
    QPointF lastFreehandTapLocation_;
    std::optional<QUuid> lastSingleClickDotID_;
};
