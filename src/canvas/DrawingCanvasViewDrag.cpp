// The canvas's left-button drag: every pointer event from the press on
// decides whether the drag moves the stroke under edit, moves a placed
// stroke or draws, and keeps the live stroke up to date; the release moves,
// commits, erases or treats the gesture as a click, and clicks open edits,
// place text boxes and take back dots.

#include "canvas/DrawingCanvasView.h"

#include "canvas/StrokeRenderer.h"
#include "geometry/TextLayout.h"
#include "model/Algorithms.h"
#include "model/DrawingState.h"
#include "model/StrokeHitIndex.h"
#include "platform/CanvasRect.h"
#include "platform/Dispatch.h"

#include <QMouseEvent>

#include <chrono>
#include <cmath>

namespace {

constexpr double kClickDistance = 8;            // a shorter gesture is a click
constexpr double kDoubleClickSeconds = 0.35;
constexpr double kDoubleClickDistance = 20;
constexpr double kLiveShapeDistance = 3;        // lines and shapes show from here
constexpr double kSmallestShape = 20;           // and are kept from here
constexpr double kTextBoxHeight = 70;
constexpr double kTextBoxLift = 35;
constexpr double kDefaultTextBoxHeight = 54;
constexpr double kTextLineHeightFactor = 1.3;
constexpr double kMinimumTextSize = 6;

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

bool isLineOrShapeTool(DrawingTool t) { return isLineTool(t) || isFrameShape(t) || isPolygonShape(t); }
bool isShapeTool(DrawingTool t) { return isFrameShape(t) || isPolygonShape(t); }

// The tools whose live points are the pointer's own samples, never smoothed.
bool keepsRawPoints(DrawingTool t) {
    switch (t) {
    case DrawingTool::bezierPen:
    case DrawingTool::calligraphyBrush:
    case DrawingTool::brushPen:
    case DrawingTool::watercolorBrush:
    case DrawingTool::chalk:
    case DrawingTool::airbrush:
    case DrawingTool::gimpBrush: return true;
    default: return false;
    }
}

// A copy of the stroke with its geometry moved by `t`; the arms are relative
// to their vertices and stay, as do the offset and the erasures.
DrawingStroke movedBy(const DrawingStroke& s, QPointF t) {
    DrawingStroke moved = s;
    moved.startPoint += t;
    moved.endPoint += t;
    if (moved.controlPoint) *moved.controlPoint += t;
    if (!moved.points.empty())
        for (QPointF& p : moved.points.mutableVector()) p += t;
    if (moved.customVertices)
        for (QPointF& v : *moved.customVertices) v += t;
    return moved;
}

} // namespace

// ---- Helpers ----

bool DrawingCanvasView::hitTest(const DrawingStroke& stroke, QPointF point) { return strokeHitTest(stroke, point); }

double DrawingCanvasView::fontSize(const QString& text, double boxHeight) {
    const auto lines = static_cast<double>(std::max<qsizetype>(text.split(QLatin1Char('\n')).size(), 1));
    return std::max(boxHeight / (lines * kTextLineHeightFactor), kMinimumTextSize);
}

bool DrawingCanvasView::isDoubleClick(std::optional<TimePoint>& time, QPointF& location, QPointF point) const {
    const TimePoint now = clock_->now();
    const bool isDouble = time && std::chrono::duration<double>(now - *time).count() < kDoubleClickSeconds &&
                          distance(point, location) < kDoubleClickDistance;
    location = point;
    // After a double-click the next click starts afresh.
    time = isDouble ? std::nullopt : std::optional<TimePoint>(now);
    return isDouble;
}

std::optional<std::size_t> DrawingCanvasView::draggedStrokeIndex() const {
    if (!draggedStrokeID_) return std::nullopt;
    const auto& list = state_->strokes.get();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].id == *draggedStrokeID_) return i;
    return std::nullopt;
}

template <typename Accept>
std::optional<std::size_t> DrawingCanvasView::topmostStroke(Accept accept) const {
    // Only this display's strokes take a press on this canvas.
    const auto& list = state_->strokes.get();
    const DisplayID first = state_->firstScreenDisplayID();
    for (std::size_t i = list.size(); i-- > 0;) {
        const DisplayID d = list[i].displayID;
        if (d != displayID_ && !(d == 0 && displayID_ == first)) continue;
        if (accept(i)) return i;
    }
    return std::nullopt;
}

bool DrawingCanvasView::isEditableTextStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = state_->strokes.get().at(index);
    return s.tool == DrawingTool::text && s.erasures.empty() && hitTest(s, point);
}

bool DrawingCanvasView::isEditableShapeStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = state_->strokes.get().at(index);
    return (s.tool == DrawingTool::bezierPen || isLineOrShapeTool(s.tool)) && s.erasures.empty() && hitTest(s, point);
}

bool DrawingCanvasView::isEditableFreehandStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = state_->strokes.get().at(index);
    return isFreehandTool(s.tool) && s.erasures.empty() && hitTest(s, point);
}

// ---- The live stroke ----

std::optional<DrawingStroke> DrawingCanvasView::liveStroke(QPointF end) const {
    DrawingState* s = liveState();
    if (!s) return std::nullopt;
    const auto selected = s->selectedTool.get();
    if (!selected) return std::nullopt;
    const DrawingTool tool = *selected;

    DrawingStroke stroke;
    stroke.displayID = 0;
    if (keepsRawPoints(tool) || !s->smoothingEnabledTools->count(tool)) {
        stroke.points = pathPoints_;
    } else {
        switch (s->smoothingAlgorithm.get()) {
        case SmoothingAlgorithm::chaikin: stroke.points = chaikinSmooth(pathPoints_, 2); break;
        case SmoothingAlgorithm::bSpline: stroke.points = bSplineSmooth(pathPoints_, 6); break;
        case SmoothingAlgorithm::catmullRom: stroke.points = catmullRomSmooth(pathPoints_, 6); break;
        }
    }
    // Shift makes a shape's box square, in the direction of the drag.
    if (isShapeTool(tool) && shiftHeld_) {
        const QPointF d = end - dragStart_;
        const double m = std::min(std::abs(d.x()), std::abs(d.y()));
        end = dragStart_ + QPointF(d.x() >= 0 ? m : -m, d.y() >= 0 ? m : -m);
    }
    stroke.tool = tool;
    stroke.color = tool == DrawingTool::eraser ? Color::clear() : s->selectedColor.get().opacity(s->strokeOpacity.get());
    stroke.lineWidth = s->lineWidth.get();
    stroke.startPoint = dragStart_;
    stroke.endPoint = end;
    stroke.gimpSpacing = 25;
    stroke.gimpCellSelection = GIMPCellSelection::sequential;

    if (tool == DrawingTool::gimpBrush) {
        if (const auto brush = s->activeGIMPBrushID.get()) {
            stroke.gimpBrushID = brush;
            stroke.gimpSpacing = s->gimpBrushSpacing.get();
            for (const ImportedGIMPBrush& b : s->importedGIMPBrushes.get()) {
                if (b.id != *brush) continue;
                if (b.selection) stroke.gimpCellSelection = *b.selection;
                break;
            }
            const double o = s->strokeOpacity.get() * s->gimpBrushOpacity.get();
            if (o < 1) stroke.color = s->selectedColor.get().opacity(o);
        }
    }
    return stroke;
}

// ---- Drag ----

void DrawingCanvasView::handleDragChanged(const CanvasDragValue& value) {
    platform::assertMainThread("DrawingCanvasView::handleDragChanged");
    DrawingState* s = liveState();
    if (!s) return;
    const QPointF location = value.location, start = value.startLocation;
    shiftHeld_ = value.shift;
    const bool editOpen = editingLineStroke_ || editingShapeStroke_ || editingFreehandStroke_;

    // With the bezier pen and nothing open, its drawing overlay owns the
    // pointer: the canvas does nothing.
    if (s->selectedTool.get() == DrawingTool::bezierPen && !editOpen && !isDragging_) return;

    s->currentDrawingDisplayID = displayID_;
    eraserCursorLocation_ = location;
    scheduleUpdate();

    // Moving the stroke under edit.
    if (isEditMoveDragging_) {
        if (!editMoveStart_) return;
        const DrawingStroke moved = movedBy(*editMoveStart_, location - dragStart_);
        if (editingLineStroke_) editingLineStroke_ = moved;
        else if (editingShapeStroke_) editingShapeStroke_ = moved;
        else if (editingFreehandStroke_) editingFreehandStroke_ = moved;
        return;
    }
    // Just after an edit closed, a new press starts nothing.
    if (isEditCooldown_ && !isDragging_) return;
    // While pinned, only presses inside the window's area count.
    if (!isDragging_ && s->canvasConstraintFrame.get() &&
        !platform::canvasContains(*s->canvasConstraintFrame.get(), start))
        return;

    const auto tool = s->selectedTool.get();
    if (editOpen && !isDragging_) {
        if (tool == DrawingTool::bezierPen || (editingLineStroke_ && editingLineStroke_->tool == DrawingTool::bezierPen)) {
            // The bezier edit overlay handles presses on its path.
            if (!editingLineStroke_ || hitTest(*editingLineStroke_, start)) return;
            endLineEdit();
        } else {
            const DrawingStroke& e =
                editingLineStroke_ ? *editingLineStroke_ : (editingShapeStroke_ ? *editingShapeStroke_ : *editingFreehandStroke_);
            if (hitTest(e, start)) {
                isEditMoveDragging_ = true;
                isDragging_ = true;
                dragStart_ = start;
                editMoveStart_ = e;
                return;
            }
            endLineEdit();
            endShapeEdit();
            endFreehandEdit();
        }
        // A press beside the stroke only closes its edit.
        isEditCooldown_ = true;
        startEditCooldown();
        return;
    }

    // The move tool draws nothing.
    const bool draws = tool != DrawingTool::text && tool != DrawingTool::move && isGIMPBrushReady();
    if (!isDragging_) {
        dragStart_ = start;
        if (s->isMoveMode.get() && tool != DrawingTool::eraser) {
            const auto hit = topmostStroke([&](std::size_t i) { return hitTest(s->strokes.get()[i], start); });
            if (hit) {
                isDragging_ = true;
                const std::size_t i = *hit;
                draggedStrokeID_ = s->strokes.get()[i].id;
                // The moved stroke comes to the top.
                s->strokes.modify([i](auto& list) {
                    DrawingStroke moved = std::move(list[i]);
                    list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                    list.push_back(std::move(moved));
                });
            } else {
                draggedStrokeID_.reset();
                if (s->lastPlacedStrokeID.get()) s->lastPlacedStrokeID = std::nullopt;
                if (draws) {
                    isDragging_ = true;
                    pathPoints_ = {location};
                }
            }
        } else {
            draggedStrokeID_.reset();
            if (draws) {
                s->lastPlacedStrokeID = std::nullopt;
                isDragging_ = true;
                pathPoints_ = {location};
            }
        }
    }

    if (draggedStrokeID_) {
        const auto i = draggedStrokeIndex();
        if (!i) {
            // The stroke went away (an undo, a clear): the move ends.
            draggedStrokeID_.reset();
            isDragging_ = false;
            return;
        }
        setCursor(Qt::ClosedHandCursor);
        const QPointF t = location - dragStart_;
        s->strokes.modify([i, t](auto& list) { list[*i].offset = QSizeF(t.x(), t.y()); });
        return;
    }
    if (!draws) return;
    pathPoints_.push_back(location);
    if (tool && isLineOrShapeTool(*tool) && distance(dragStart_, location) < kLiveShapeDistance) return;
    s->currentStroke = liveStroke(location);
}

// ---- Release ----

void DrawingCanvasView::placeTextBox(QPointF p) {
    DrawingState& s = *state_;
    const double fs = s.textFontSize.get() > 0 ? s.textFontSize.get() : fontSize(QString(), kDefaultTextBoxHeight);
    const double w = textBoxSize(QStringLiteral("M"), s.textFontName.get(), fs);
    textBoxFrame_ = QRectF(p.x() - w / 2, p.y() - kTextBoxLift, w, kTextBoxHeight);
    pendingText_.clear();
    pendingRotation_ = 0;
    textBoxActive_ = true;
    s.isTextEditing = true;
    if (textLayer_) textLayer_->textBoxChanged();
}

void DrawingCanvasView::handleDragEnded(const CanvasDragValue& value) {
    platform::assertMainThread("DrawingCanvasView::handleDragEnded");
    DrawingState* s = liveState();
    if (!s) return;
    scheduleUpdate();
    const double d = std::hypot(value.translation().x(), value.translation().y());
    const QPointF p = value.startLocation;
    const auto tool = s->selectedTool.get();
    const auto discardPath = [&] {
        s->currentStroke = std::nullopt;
        pathPoints_.clear();
    };

    if (isEditMoveDragging_) {
        isEditMoveDragging_ = false;
        editMoveStart_.reset();
        isDragging_ = false;
        discardPath();
        return;
    }

    if (tool == DrawingTool::text || textBoxActive_) {
        // Nothing is drawn here: a path started beside an open box is not
        // kept, and must not stay on screen as if it were.
        if (s->currentStroke.get() || !pathPoints_.empty()) discardPath();
        if (d < kClickDistance) {
            if (const auto i = draggedStrokeIndex()) {
                // A stroke pressed but not moved springs back.
                s->strokes.modify([i](auto& list) { list[*i].offset = QSizeF(0, 0); });
            }
            isDragging_ = false;
            draggedStrokeID_.reset();
            if (isEditCooldown_) return;
            if (textBoxActive_) {
                if (!platform::canvasContains(textBoxFrame_, p)) commitPendingText();
                return;
            }
            if (isDoubleClick(lastTapTime_, lastTapLocation_, p)) {
                if (const auto i = topmostStroke([&](std::size_t k) { return isEditableTextStroke(k, p); })) {
                    const DrawingStroke text = s->strokes.get()[*i];
                    s->strokes.modify([i](auto& list) { list.erase(list.begin() + static_cast<std::ptrdiff_t>(*i)); });
                    beginTextEdit(text);
                    return;
                }
            }
            // A single click on a text stroke does nothing.
            const bool onText = topmostStroke([&](std::size_t k) {
                                    const DrawingStroke& t = s->strokes.get()[k];
                                    return t.tool == DrawingTool::text && hitTest(t, p);
                                }).has_value();
            if (onText) return;
            placeTextBox(p);
            return;
        }
        isDragging_ = false;
        setCursor(Qt::ArrowCursor);
        if (const auto i = draggedStrokeIndex()) s->strokes.modify([i](auto& list) { list[*i].bakeOffset(); });
        draggedStrokeID_.reset();
        return;
    }

    if (!isDragging_) return;
    isDragging_ = false;

    if (draggedStrokeID_) {
        const auto index = draggedStrokeIndex();
        draggedStrokeID_.reset();
        setCursor(Qt::ArrowCursor);
        if (!index) {
            discardPath();
            return;
        }
        const std::size_t i = *index;
        const DrawingStroke& moved = s->strokes.get()[i];
        if (d < kClickDistance && moved.erasures.empty()) {
            const bool opens = moved.tool == DrawingTool::text || moved.tool == DrawingTool::bezierPen ||
                               isLineOrShapeTool(moved.tool) || isFreehandTool(moved.tool);
            if (opens && isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) {
                if (moved.tool == DrawingTool::text) {
                    const DrawingStroke text = moved;
                    s->strokes.modify([i](auto& list) { list.erase(list.begin() + static_cast<std::ptrdiff_t>(i)); });
                    beginTextEdit(text);
                } else {
                    openEdit(i);
                }
                return;
            }
        }
        const bool stayed = moved.offset.width() == 0 && moved.offset.height() == 0;
        s->strokes.modify([i](auto& list) { list[i].bakeOffset(); });
        const DrawingStroke& placed = s->strokes.get()[i];
        if (stayed) {
            // Pressed without moving: the stroke is selected, and colour and
            // width changes apply to it.
            s->lastPlacedStrokeID = placed.id;
            s->isSelectionExplicit = true;
            s->selectedColor = colorCopiedFrom(placed.color);
        } else {
            // A move is not undoable itself, but it ends the redo history.
            s->redoStack.set({});
        }
        discardPath();
        return;
    }

    if (tool == DrawingTool::eraser) {
        if (const auto& live = s->currentStroke.get()) s->applyEraserStamps(erasureStamps(*live), displayID_);
        discardPath();
        return;
    }

    if (d < kClickDistance) {
        // The dot the last click left lies under a second click close by; it
        // would take the click as a stroke to open, and a double-click would
        // never take the dot back.
        const auto& list = s->strokes.get();
        const bool secondOfTwo = lastSingleClickDotID_ && !list.empty() && list.back().id == *lastSingleClickDotID_ &&
                                 lastFreehandTapTime_ &&
                                 std::chrono::duration<double>(clock_->now() - *lastFreehandTapTime_).count() <
                                     kDoubleClickSeconds &&
                                 distance(p, lastFreehandTapLocation_) < kDoubleClickDistance;
        const auto editable = [&](auto isEditable) {
            return secondOfTwo ? std::nullopt : topmostStroke([&](std::size_t k) { return (this->*isEditable)(k, p); });
        };
        if (const auto i = editable(&DrawingCanvasView::isEditableShapeStroke)) {
            if (isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) openEdit(*i);
            else discardPath();
            return;
        }
        if (const auto i = editable(&DrawingCanvasView::isEditableFreehandStroke)) {
            if (isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) openEdit(*i);
            else discardPath();
            return;
        }
        if (isDoubleClick(lastFreehandTapTime_, lastFreehandTapLocation_, p)) {
            // The second click takes back the dot the first one left.
            if (lastSingleClickDotID_ && !list.empty() && list.back().id == *lastSingleClickDotID_) s->undo();
            lastSingleClickDotID_.reset();
            discardPath();
            return;
        }
        if (tool && isLineOrShapeTool(*tool)) {
            lastSingleClickDotID_.reset();
        } else if (const auto& live = s->currentStroke.get()) {
            const DrawingStroke dot = *live;
            s->addStroke(dot);
            lastSingleClickDotID_ = dot.id;
        } else {
            lastSingleClickDotID_.reset();
        }
        discardPath();
        return;
    }

    // Lines and shapes too small to mean anything are dropped.
    if (!(tool && isLineOrShapeTool(*tool) && d < kSmallestShape)) {
        if (const auto& live = s->currentStroke.get()) s->addStroke(*live);
        lastSingleClickDotID_.reset();
    }
    discardPath();
}

// ---- Pointer events ----

void DrawingCanvasView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    gestureStart_ = event->position();
    handleDragChanged(CanvasDragValue{event->position(), *gestureStart_, (event->modifiers() & Qt::ShiftModifier) != 0});
    event->accept();
}

void DrawingCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !gestureStart_) {
        event->ignore();
        return;
    }
    const CanvasDragValue value{event->position(), *gestureStart_, (event->modifiers() & Qt::ShiftModifier) != 0};
    gestureStart_.reset();
    handleDragEnded(value);
    event->accept();
}
