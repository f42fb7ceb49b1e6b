#pragma once

// The drawing surface of one display: the content of that display's overlay
// window. It shows the display's placed strokes (kept as one image, see
// StrokeCache) and, while its display is the one being drawn on, the live
// stroke; it draws the eraser's cursor ring, lays the text tool layer, the
// brush-loading badge and the edit overlays over them, and clips everything
// to the pinned window's area while the drawing is pinned.
//
// The view composes and wires its parts: the strokes layer
// (CanvasStrokesLayer), the left-button drag (CanvasGesture), the hand-off
// between the drag's pointer events and the frames it is drawn in
// (CanvasDragPacing, which owns the pointer intake and the frame pacer), the
// three edit slots (EditSession), the text box (TextBox), and the reactions
// to changes of the drawing state, which run in one reaction pass over all
// canvases of the state after each change (CanvasPassGroup).
//
// Everything runs on the main thread. The canvas holds the state weakly;
// once the state is gone it does nothing.

#include "canvas/CanvasClock.h"
#include "canvas/CanvasDragPacing.h"
#include "canvas/CanvasGesture.h"
#include "canvas/CanvasOverlays.h"
#include "canvas/CanvasStrokesLayer.h"
#include "canvas/EditSession.h"
#include "canvas/FramePacer.h"
#include "canvas/TextBox.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"
#include "platform/Color.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class CanvasPassGroup;
class DrawingState;
class LoadingBrushBadge;

class DrawingCanvasView : public QWidget, private CanvasGestureHost {
    Q_OBJECT
public:
    using DisplayID = platform::DisplayID;

    // The canvas of `displayID`, showing the strokes of that display. Its
    // reactions run in the passes of `passGroup`, shared with the state's
    // other canvases; without one the canvas has a group of its own.
    DrawingCanvasView(const std::shared_ptr<DrawingState>& state, DisplayID displayID, QWidget* parent = nullptr,
                      std::shared_ptr<CanvasPassGroup> passGroup = nullptr);
    ~DrawingCanvasView() override;

    DisplayID displayID() const override { return displayID_; }

    // The maker of the overlays (none: no overlays are shown).
    void setOverlayFactory(std::shared_ptr<CanvasOverlayFactory> factory);
    void setClock(std::shared_ptr<CanvasClock> clock);
    // Paces the drawing of a drag by the display's refreshes, through links
    // from `factory`, on the links' `clock` (none: the system's); without a
    // factory every step is drawn as it comes.
    void setDisplayLinkFactory(const platform::DisplayLinkFactory& factory,
                               std::unique_ptr<FramePacer::Clock> clock = nullptr);
    const FramePacer& framePacer() const { return dragPacing_.pacer(); }

    // ---- Pointer ----
    // Every pointer event of a left-button drag, from the press on.
    void handleDragChanged(const CanvasDragValue& value) { gesture_.changed(value); }
    // Several of them that came together, oldest first.
    void handleDragChanged(std::span<const CanvasDragValue> values) { gesture_.changed(values); }
    // The release that ends the drag.
    void handleDragEnded(const CanvasDragValue& value) { gesture_.ended(value); }
    const CanvasGesture& gesture() const { return gesture_; }

    // The pointer is over the canvas at a point, or has left it (none).
    void hoverChanged(std::optional<QPointF> location);
    std::optional<QPointF> eraserCursorLocation() const { return eraserCursorLocation_; }
    void drawEraserCursor(QPainter& painter) const;

    // ---- Text box ----
    // The text tool layer edits the box in place.
    TextBox& textBox() override { return textBox_; }
    const TextBox& textBox() const { return textBox_; }
    // Turns the open text box into a text stroke of this display; true when
    // a stroke was added (blank text adds none). Closes the box either way.
    bool commitPendingText() override;
    // Closes the box and ends text editing; the frame is kept.
    void resetTextBox();
    // Opens a text stroke the caller has taken out of the strokes.
    void beginTextEdit(const DrawingStroke& stroke) override;
    // The part of the canvas on its display's visible frame (the screen less
    // the desktop's panels), canvas coordinates: where a new text box may
    // reach. The whole canvas when the display is not found.
    QRectF visibleCanvasArea() const override;

    // ---- Edits ----
    // Opens the placed stroke at `index` of DrawingState::strokes in the
    // edit slot its tool belongs to, taking it out of the strokes.
    void openEdit(std::size_t index) override;
    // Write the slot's stroke back as a new addition in the current colour.
    void endLineEdit() override;
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

    const std::optional<DrawingStroke>& editingLineStroke() const override { return lineEdit_.stroke(); }
    const std::optional<DrawingStroke>& editingShapeStroke() const { return shapeEdit_.stroke(); }
    const std::optional<DrawingStroke>& editingFreehandStroke() const { return freehandEdit_.stroke(); }
    // The first slot that holds a stroke: line, shape, then freehand.
    EditSession* openEditSession() override;

    // Whether a drag may draw with the selected tool now.
    bool isGIMPBrushReady() const override;

    // ---- Reactions, in the order they run ----
    void textEditingChanged();
    void attachedToWindowChanged(bool newValue);
    void lineEditingChanged();
    void pendingDeleteEditChanged(bool newValue);
    void lineWidthStepChanged(std::int64_t oldValue, std::int64_t newValue);
    void lineWidthChanged();
    void colorChanged();
    void toolChanged(std::optional<DrawingTool> oldValue);
    // After the reactions of a pass: what the view shows catches up.
    void refreshView();

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
    // ---- For the gesture ----
    DrawingState* liveState() const override;
    CanvasClock::TimePoint now() const override;
    void after(double seconds, std::function<void()> work) override;
    Color colorCopiedFrom(const Color& strokeColor) const override;
    void closeEdits() override;
    void dragMovedTo(QPointF location) override;
    // A reaction pass and, after it, a look at what the view shows.
    void scheduleUpdate() override;
    void showMoveCursor(bool grabbing) override;

    void syncEraserCursor();
    void syncClip();
    void syncOverlays();
    void syncBadge();

    void writeBack(EditSession& edit);
    // A stroke handler that reaches a member while the canvas lives.
    EditSession::StrokeHandler toMember(void (DrawingCanvasView::*member)(const DrawingStroke&));

    std::weak_ptr<DrawingState> weakState_;
    DrawingState* state_;
    DisplayID displayID_;
    std::shared_ptr<CanvasOverlayFactory> factory_;
    std::shared_ptr<CanvasClock> clock_;
    std::shared_ptr<CanvasPassGroup> group_;
    std::vector<platform::Subscription> subscriptions_;

    // ---- Parts ----
    CanvasStrokesLayer strokes_;
    CanvasGesture gesture_{*this};
    TextBox textBox_;
    EditSession lineEdit_;
    EditSession shapeEdit_;
    EditSession freehandEdit_;
    std::optional<QPointF> eraserCursorLocation_;
    CanvasDragPacing dragPacing_;

    // ---- What the view shows ----
    std::optional<QRectF> clip_;
    QRect cursorRing_;

    QWidget* overlayHost_ = nullptr;
    LoadingBrushBadge* badge_ = nullptr;
    std::unique_ptr<CanvasOverlay> textLayer_;
    std::unique_ptr<CanvasOverlay> bezierDrawingOverlay_;
};
