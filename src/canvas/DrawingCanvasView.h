#pragma once

// The drawing surface of one display: the content of that display's overlay
// window. It shows the display's placed strokes (kept as one image, see
// StrokeCache) and, while its display is the one being drawn on, the live
// stroke; it draws the eraser's cursor ring, lays the text tool layer, the
// brush-loading badge and the edit overlays over them, and clips everything
// to the pinned window's area while the drawing is pinned.
//
// It keeps the stroke under edit in one of three edit slots (the stroke is
// out of DrawingState::strokes meanwhile) and the open text box, and reacts
// to changes of the drawing state in one reaction pass over all canvases of
// the state after each change (CanvasPassGroup).
//
// Everything runs on the main thread. The canvas holds the state weakly;
// once the state is gone it does nothing.

#include "canvas/CanvasClock.h"
#include "canvas/CanvasOverlays.h"
#include "canvas/CanvasStrokesLayer.h"
#include "canvas/TextBox.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"
#include "platform/Color.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"

#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class DrawingState;
class LoadingBrushBadge;
class CanvasPassGroup;

// One pointer event of a drag on the canvas, in canvas coordinates: where
// the pointer is, where the drag began, and whether Shift is held.
struct CanvasDragValue {
    QPointF location;
    QPointF startLocation;
    bool shift = false;

    QPointF translation() const { return location - startLocation; }
};

class DrawingCanvasView : public QWidget {
    Q_OBJECT
public:
    using DisplayID = platform::DisplayID;
    using TimePoint = CanvasClock::TimePoint;

    // The canvas of `displayID`, showing the strokes of that display.
    DrawingCanvasView(const std::shared_ptr<DrawingState>& state, DisplayID displayID, QWidget* parent = nullptr);
    ~DrawingCanvasView() override;

    DisplayID displayID() const { return displayID_; }

    // The maker of the overlays (none: no overlays are shown).
    void setOverlayFactory(std::shared_ptr<CanvasOverlayFactory> factory);
    void setClock(std::shared_ptr<CanvasClock> clock);

    // ---- Text box ----
    // The text tool layer edits the box in place.
    TextBox& textBox() { return textBox_; }
    const TextBox& textBox() const { return textBox_; }
    // Turns the open text box into a text stroke of this display; true when
    // a stroke was added (blank text adds none). Closes the box either way.
    bool commitPendingText();
    // Closes the box and ends text editing; the frame is kept.
    void resetTextBox();
    // Opens a text stroke the caller has taken out of the strokes.
    void beginTextEdit(const DrawingStroke& stroke);

    // ---- Edits ----
    // Opens the placed stroke at `index` of DrawingState::strokes in the
    // edit slot its tool belongs to, taking it out of the strokes.
    void openEdit(std::size_t index);
    // Write the slot's stroke back as a new addition in the current colour.
    void endLineEdit();
    void endShapeEdit();
    void endFreehandEdit();
    // Writes back every slot and commits the text box, as Esc would; run
    // before strokes are set aside or the canvas goes away.
    void endOpenEdits();

    // Overlay callbacks.
    void bezierPathFinished(const DrawingStroke& stroke);
    void bezierEditOutsideTap();
    void lineEditUpdated(const DrawingStroke& stroke);
    void shapeEditUpdated(const DrawingStroke& stroke);
    void freehandEditUpdated(const DrawingStroke& stroke);

    const std::optional<DrawingStroke>& editingLineStroke() const { return editingLineStroke_; }
    const std::optional<DrawingStroke>& editingShapeStroke() const { return editingShapeStroke_; }
    const std::optional<DrawingStroke>& editingFreehandStroke() const { return editingFreehandStroke_; }
    bool isEditCooldown() const { return isEditCooldown_; }
    // Starts the 0.35 s pause; callers set the cooldown first.
    void startEditCooldown();

    // Whether a drag may draw with the selected tool now.
    bool isGIMPBrushReady() const;

    // ---- Pointer ----
    // Every pointer event of a left-button drag, from the press on.
    void handleDragChanged(const CanvasDragValue& value);
    // The release that ends the drag.
    void handleDragEnded(const CanvasDragValue& value);
    // Whether the point lies on the stroke, within its hit tolerance.
    static bool hitTest(const DrawingStroke& stroke, QPointF point);
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

    bool isDragging() const { return isDragging_; }
    const std::vector<QPointF>& pathPoints() const { return pathPoints_; }

    // The pointer is over the canvas at a point, or has left it (none).
    void hoverChanged(std::optional<QPointF> location);
    std::optional<QPointF> eraserCursorLocation() const { return eraserCursorLocation_; }
    void drawEraserCursor(QPainter& painter) const;

    // ---- Reactions, in the order they run ----
    void textEditingChanged();
    void attachedToWindowChanged(bool newValue);
    void lineEditingChanged();
    void pendingDeleteEditChanged(bool newValue);
    void lineWidthStepChanged(std::int64_t oldValue, std::int64_t newValue);
    void lineWidthChanged();
    void colorChanged();
    void toolChanged(std::optional<DrawingTool> oldValue);

    // What the strokes layer shows now, for measurements and tests.
    const StrokeCache& strokeCache() const { return strokes_.cache(); }
    bool isShowingLiveStroke() const { return strokes_.isShowingLiveStroke(); }
    bool isLoadingBadgeVisible() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    friend class CanvasPassGroup;

    // The state while it lives.
    DrawingState* liveState() const;
    // A reaction pass and, after it, a look at what the view shows.
    void scheduleUpdate();
    void refreshView();
    void syncEraserCursor();
    void syncClip();
    void syncOverlays();
    void syncBadge();

    void writeBack(std::optional<DrawingStroke>& slot);
    // Whether a click now at `point` doubles the one remembered in the pair
    // (time, location), which it then replaces.
    bool isDoubleClick(std::optional<TimePoint>& time, QPointF& location, QPointF point) const;
    // The index of the placed stroke being moved, by its id; none once it
    // has left the strokes.
    std::optional<std::size_t> draggedStrokeIndex() const;
    // The topmost stroke of this display that `accept` takes at `point`.
    template <typename Accept>
    std::optional<std::size_t> topmostStroke(Accept accept) const;
    void placeTextBox(QPointF point);
    DrawingStroke recoloured(const DrawingStroke& stroke) const;
    Color colorCopiedFrom(const Color& strokeColor) const;

    std::weak_ptr<DrawingState> weakState_;
    DrawingState* state_;
    DisplayID displayID_;
    std::shared_ptr<CanvasOverlayFactory> factory_;
    std::shared_ptr<CanvasClock> clock_;
    std::shared_ptr<CanvasPassGroup> group_;
    std::vector<platform::Subscription> subscriptions_;

    // ---- Canvas state ----
    QPointF dragStart_;
    std::vector<QPointF> pathPoints_;
    bool isDragging_ = false;
    // The placed stroke being moved, by id: it may leave the strokes mid-drag.
    std::optional<QUuid> draggedStrokeID_;
    TextBox textBox_;
    std::optional<QPointF> eraserCursorLocation_;
    // Remembered clicks for double-click tests; none = long ago.
    std::optional<TimePoint> lastTapTime_;
    QPointF lastTapLocation_;
    std::optional<TimePoint> lastLineTapTime_;
    QPointF lastLineTapLocation_;
    std::optional<TimePoint> lastFreehandTapTime_;
    QPointF lastFreehandTapLocation_;
    std::optional<QUuid> lastSingleClickDotID_;
    std::optional<DrawingStroke> editingLineStroke_;
    std::optional<DrawingStroke> editingShapeStroke_;
    std::optional<DrawingStroke> editingFreehandStroke_;
    bool isEditCooldown_ = false;
    bool isEditMoveDragging_ = false;
    std::optional<DrawingStroke> editMoveStart_;
    // The left-button gesture in progress: where it began and Shift.
    std::optional<QPointF> gestureStart_;
    bool shiftHeld_ = false;

    // ---- What the view shows ----
    CanvasStrokesLayer strokes_;
    std::optional<QRectF> clip_;
    QRect cursorRing_;

    QWidget* overlayHost_ = nullptr;
    LoadingBrushBadge* badge_ = nullptr;
    std::unique_ptr<CanvasOverlay> textLayer_;
    std::unique_ptr<CanvasOverlay> bezierDrawingOverlay_;
    enum class EditKind { none, bezierPen, line, shape, ellipse, polygon, freehand };
    std::unique_ptr<StrokeEditOverlay> lineOverlay_;
    EditKind lineOverlayKind_ = EditKind::none;
    std::unique_ptr<StrokeEditOverlay> shapeOverlay_;
    EditKind shapeOverlayKind_ = EditKind::none;
    std::unique_ptr<StrokeEditOverlay> freehandOverlay_;
    std::optional<DrawingStroke> lineOverlayStroke_, shapeOverlayStroke_, freehandOverlayStroke_;
};
