// The canvas's left-button drag: the first event picks the mode, later
// events and the release go to that mode's handler.

#include "canvas/CanvasGesture.h"

#include "canvas/CanvasHitTest.h"
#include "canvas/EditSession.h"
#include "canvas/StrokeRenderer.h"
#include "canvas/TextBox.h"
#include "geometry/TextLayout.h"
#include "model/Algorithms.h"
#include "model/DrawingState.h"
#include "platform/CanvasRect.h"
#include "platform/Dispatch.h"

#include <chrono>
#include <cmath>

namespace {

constexpr double kClickDistance = 8; // a shorter gesture is a click
constexpr double kDoubleClickSeconds = 0.35;
constexpr double kDoubleClickDistance = 20;
constexpr double kLiveShapeDistance = 3; // lines and shapes show from here
constexpr double kSmallestShape = 20;    // and are kept from here
constexpr double kTextBoxHeight = 70;
constexpr double kTextBoxLift = 35;
constexpr double kDefaultTextBoxHeight = 54;
constexpr double kTextLineHeightFactor = 1.3;
constexpr double kMinimumTextSize = 6;
constexpr double kEditCooldownSeconds = 0.35;

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

CanvasGesture::CanvasGesture(CanvasGestureHost& host) : host_(host) {}

// ---- Helpers ----

double CanvasGesture::fontSize(const QString& text, double boxHeight) {
    const auto lines = static_cast<double>(std::max<qsizetype>(text.split(QLatin1Char('\n')).size(), 1));
    return std::max(boxHeight / (lines * kTextLineHeightFactor), kMinimumTextSize);
}

bool CanvasGesture::isDoubleClick(std::optional<TimePoint>& time, QPointF& location, QPointF point) const {
    const TimePoint now = host_.now();
    const bool isDouble = time && std::chrono::duration<double>(now - *time).count() < kDoubleClickSeconds &&
                          distance(point, location) < kDoubleClickDistance;
    location = point;
    // After a double-click the next click starts afresh.
    time = isDouble ? std::nullopt : std::optional<TimePoint>(now);
    return isDouble;
}

std::optional<std::size_t> CanvasGesture::movedStrokeIndex(const DrawingState& s) const {
    if (!movedStrokeID_) return std::nullopt;
    const auto& list = s.strokes.get();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].id == *movedStrokeID_) return i;
    return std::nullopt;
}

template <typename Accept>
std::optional<std::size_t> CanvasGesture::topmostStroke(const DrawingState& s, Accept accept) const {
    // Only this display's strokes take a press on this canvas.
    const auto& list = s.strokes.get();
    const auto display = host_.displayID();
    const auto first = s.firstScreenDisplayID();
    for (std::size_t i = list.size(); i-- > 0;) {
        const auto d = list[i].displayID;
        if (d != display && !(d == 0 && display == first)) continue;
        if (accept(i)) return i;
    }
    return std::nullopt;
}

bool CanvasGesture::isEditableTextStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = host_.liveState()->strokes.get().at(index);
    return s.tool == DrawingTool::text && s.erasures.empty() && canvasHitTest(s, point);
}

bool CanvasGesture::isEditableShapeStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = host_.liveState()->strokes.get().at(index);
    return (s.tool == DrawingTool::bezierPen || isLineOrShapeTool(s.tool)) && s.erasures.empty() &&
           canvasHitTest(s, point);
}

bool CanvasGesture::isEditableFreehandStroke(std::size_t index, QPointF point) const {
    const DrawingStroke& s = host_.liveState()->strokes.get().at(index);
    return isFreehandTool(s.tool) && s.erasures.empty() && canvasHitTest(s, point);
}

bool CanvasGesture::draws(const DrawingState& s) const {
    // The move tool draws nothing, nor does the text tool by dragging.
    const auto tool = s.selectedTool.get();
    return tool != DrawingTool::text && tool != DrawingTool::move && host_.isGIMPBrushReady();
}

void CanvasGesture::discardPath(DrawingState& s) {
    s.currentStroke = std::nullopt;
    pathPoints_.clear();
}

void CanvasGesture::startEditCooldown() {
    isEditCooldown_ = true;
    host_.after(kEditCooldownSeconds, [this] { isEditCooldown_ = false; });
}

void CanvasGesture::abandonDrawing() {
    pathPoints_.clear();
    // A move of the stroke under edit goes on until the release, moving
    // nothing now that the edit is gone; any other drag is over, and its
    // next event starts afresh as a press would.
    if (mode_ != DragMode::editMove) mode_ = DragMode::idle;
}

// ---- The live stroke ----

std::optional<DrawingStroke> CanvasGesture::liveStroke(QPointF end) const {
    DrawingState* s = host_.liveState();
    if (!s) return std::nullopt;
    const auto selected = s->selectedTool.get();
    if (!selected) return std::nullopt;
    const DrawingTool tool = *selected;

    DrawingStroke stroke;
    stroke.id = liveStrokeID_;
    stroke.displayID = 0;
    if (keepsRawPoints(tool) || !s->smoothingEnabledTools->count(tool)) {
        stroke.points = pathPoints_;
    } else {
        switch (s->smoothingAlgorithm.get()) {
        case SmoothingAlgorithm::chaikin: stroke.points = chaikin_.update(pathPoints_); break;
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
    stroke.color =
        tool == DrawingTool::eraser ? Color::clear() : s->selectedColor.get().opacity(s->strokeOpacity.get());
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

// ---- Pointer events ----

void CanvasGesture::changed(std::span<const CanvasDragValue> values) {
    platform::assertMainThread("CanvasGesture::changed");
    DrawingState* s = host_.liveState();
    if (!s || values.empty()) return;
    if (mode_ != DragMode::drawing || values.size() == 1 || !draws(*s)) {
        for (const CanvasDragValue& value : values) changed(value);
        return;
    }
    // What each event would do in turn, with the live stroke published for
    // the last event that publishes one.
    const CanvasDragValue& last = values.back();
    shiftHeld_ = last.shift;
    s->currentDrawingDisplayID = host_.displayID();
    host_.dragMovedTo(last.location);
    host_.scheduleUpdate();
    const auto tool = s->selectedTool.get();
    const bool nearStartHidden = tool && isLineOrShapeTool(*tool);
    std::optional<std::size_t> published;
    for (std::size_t i = values.size(); i-- > 0;) {
        if (!nearStartHidden || distance(dragStart_, values[i].location) >= kLiveShapeDistance) {
            published = i;
            break;
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        pathPoints_.push_back(values[i].location);
        if (published == i) {
            // The shape's box squares with the Shift of its own event.
            shiftHeld_ = values[i].shift;
            s->currentStroke = liveStroke(values[i].location);
            shiftHeld_ = last.shift;
        }
    }
}

void CanvasGesture::changed(const CanvasDragValue& value) {
    platform::assertMainThread("CanvasGesture::changed");
    DrawingState* s = host_.liveState();
    if (!s) return;
    shiftHeld_ = value.shift;

    // With the bezier pen and nothing open, its drawing overlay owns the
    // pointer: the canvas does nothing.
    if (s->selectedTool.get() == DrawingTool::bezierPen && !host_.openEditSession() && mode_ == DragMode::idle) return;

    s->currentDrawingDisplayID = host_.displayID();
    host_.dragMovedTo(value.location);
    host_.scheduleUpdate();

    switch (mode_) {
    case DragMode::idle: begin(value, *s); return;
    case DragMode::editMove: moveEditedStroke(value.location); return;
    case DragMode::strokeMove: moveStroke(value.location, *s); return;
    case DragMode::drawing:
        // The tool may have changed, or a brush started loading, since the press.
        if (draws(*s)) draw(value.location, *s);
        return;
    }
}

void CanvasGesture::begin(const CanvasDragValue& value, DrawingState& s) {
    const QPointF start = value.startLocation;
    // Just after an edit closed, a new press starts nothing.
    if (isEditCooldown_) return;
    // While pinned, only presses inside the window's area count.
    if (s.canvasConstraintFrame.get() && !platform::canvasContains(*s.canvasConstraintFrame.get(), start)) return;
    if (host_.openEditSession()) {
        pressWithEditOpen(start);
        return;
    }

    dragStart_ = start;
    const bool drawing = draws(s);
    if (s.isMoveMode.get() && s.selectedTool.get() != DrawingTool::eraser) {
        const auto hit = topmostStroke(s, [&](std::size_t i) { return canvasHitTest(s.strokes.get()[i], start); });
        if (hit) {
            mode_ = DragMode::strokeMove;
            const std::size_t i = *hit;
            movedStrokeID_ = s.strokes.get()[i].id;
            // The moved stroke comes to the top.
            s.strokes.modify([i](auto& list) {
                DrawingStroke moved = std::move(list[i]);
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                list.push_back(std::move(moved));
            });
            moveStroke(value.location, s);
            return;
        }
        movedStrokeID_.reset();
        if (s.lastPlacedStrokeID.get()) s.lastPlacedStrokeID = std::nullopt;
    } else {
        movedStrokeID_.reset();
        if (drawing) s.lastPlacedStrokeID = std::nullopt;
    }
    if (!drawing) return;
    mode_ = DragMode::drawing;
    liveStrokeID_ = QUuid::createUuid();
    // The first point goes in twice: here and as the event's own sample.
    pathPoints_ = {value.location};
    draw(value.location, s);
}

void CanvasGesture::pressWithEditOpen(QPointF start) {
    DrawingState& s = *host_.liveState();
    const std::optional<DrawingStroke>& line = host_.editingLineStroke();
    const bool bezierPath = line && line->tool == DrawingTool::bezierPen;
    if (s.selectedTool.get() == DrawingTool::bezierPen || bezierPath) {
        // The bezier edit overlay handles presses on its path.
        if (!line || canvasHitTest(*line, start)) return;
        host_.endLineEdit();
    } else {
        const DrawingStroke& e = *host_.openEditSession()->stroke();
        if (canvasHitTest(e, start)) {
            mode_ = DragMode::editMove;
            dragStart_ = start;
            editMoveStart_ = e;
            return;
        }
        host_.closeEdits();
    }
    // A press beside the stroke only closes its edit.
    startEditCooldown();
}

void CanvasGesture::moveEditedStroke(QPointF location) {
    if (!editMoveStart_) return;
    // Into the slot that holds the stroke under edit; none once it is gone.
    if (EditSession* edit = host_.openEditSession()) edit->setStroke(movedBy(*editMoveStart_, location - dragStart_));
}

void CanvasGesture::moveStroke(QPointF location, DrawingState& s) {
    const auto i = movedStrokeIndex(s);
    if (!i) {
        // The stroke went away (an undo, a clear): the move ends.
        movedStrokeID_.reset();
        mode_ = DragMode::idle;
        return;
    }
    host_.showMoveCursor(true);
    const QPointF t = location - dragStart_;
    s.strokes.modify([i, t](auto& list) { list[*i].offset = QSizeF(t.x(), t.y()); });
}

void CanvasGesture::draw(QPointF location, DrawingState& s) {
    pathPoints_.push_back(location);
    const auto tool = s.selectedTool.get();
    if (tool && isLineOrShapeTool(*tool) && distance(dragStart_, location) < kLiveShapeDistance) return;
    s.currentStroke = liveStroke(location);
}

// ---- Release ----

void CanvasGesture::ended(const CanvasDragValue& value) {
    platform::assertMainThread("CanvasGesture::ended");
    DrawingState* s = host_.liveState();
    if (!s) return;
    host_.scheduleUpdate();
    const double d = std::hypot(value.translation().x(), value.translation().y());
    const QPointF p = value.startLocation;
    const auto tool = s->selectedTool.get();

    if (mode_ == DragMode::editMove) return endEditMove(*s);
    // The tool and the box as they are now: Esc may have changed them.
    if (tool == DrawingTool::text || host_.textBox().isActive()) return endWithTextTool(d, p, *s);
    const DragMode mode = std::exchange(mode_, DragMode::idle);
    if (mode == DragMode::idle) return;
    if (mode == DragMode::strokeMove) return endStrokeMove(d, p, *s);
    if (tool == DrawingTool::eraser) return endEraserPass(*s);
    if (d < kClickDistance) return endClick(p, tool, *s);
    endStroke(d, tool, *s);
}

void CanvasGesture::endEditMove(DrawingState& s) {
    // The moved stroke stays in its edit slot.
    mode_ = DragMode::idle;
    editMoveStart_.reset();
    discardPath(s);
}

void CanvasGesture::placeTextBox(QPointF p, DrawingState& s) {
    const double fs = s.textFontSize.get() > 0 ? s.textFontSize.get() : fontSize(QString(), kDefaultTextBoxHeight);
    const double w = textBoxSize(QStringLiteral("M"), s.textFontName.get(), fs);
    // It follows its text within its display's visible part.
    host_.textBox().setBounds(host_.visibleCanvasArea());
    host_.textBox().open(QRectF(p.x() - w / 2, p.y() - kTextBoxLift, w, kTextBoxHeight), QString(), 0);
    s.isTextEditing = true;
}

void CanvasGesture::reopenText(std::size_t index, DrawingState& s) {
    const DrawingStroke text = s.strokes.get()[index];
    s.strokes.modify([index](auto& list) { list.erase(list.begin() + static_cast<std::ptrdiff_t>(index)); });
    host_.beginTextEdit(text);
}

void CanvasGesture::endWithTextTool(double d, QPointF p, DrawingState& s) {
    // Nothing is drawn here: a path started beside an open box is not kept,
    // and must not stay on screen as if it were.
    if (s.currentStroke.get() || !pathPoints_.empty()) discardPath(s);
    const auto moved = movedStrokeIndex(s);
    mode_ = DragMode::idle;
    movedStrokeID_.reset();
    if (d >= kClickDistance) {
        host_.showMoveCursor(false);
        if (moved) s.strokes.modify([moved](auto& list) { list[*moved].bakeOffset(); });
        return;
    }
    // A stroke pressed but not moved springs back.
    if (moved) s.strokes.modify([moved](auto& list) { list[*moved].offset = QSizeF(0, 0); });
    if (isEditCooldown_) return;
    const TextBox& box = host_.textBox();
    if (box.isActive()) {
        if (!platform::canvasContains(box.frame(), p)) host_.commitPendingText();
        return;
    }
    if (isDoubleClick(lastTapTime_, lastTapLocation_, p)) {
        if (const auto i = topmostStroke(s, [&](std::size_t k) { return isEditableTextStroke(k, p); })) {
            reopenText(*i, s);
            return;
        }
    }
    // A single click on a text stroke does nothing.
    const bool onText = topmostStroke(s, [&](std::size_t k) {
                            const DrawingStroke& t = s.strokes.get()[k];
                            return t.tool == DrawingTool::text && canvasHitTest(t, p);
                        }).has_value();
    if (!onText) placeTextBox(p, s);
}

void CanvasGesture::endStrokeMove(double d, QPointF p, DrawingState& s) {
    const auto index = movedStrokeIndex(s);
    movedStrokeID_.reset();
    host_.showMoveCursor(false);
    if (!index) {
        discardPath(s);
        return;
    }
    const std::size_t i = *index;
    const DrawingStroke& moved = s.strokes.get()[i];
    if (d < kClickDistance && moved.erasures.empty()) {
        const bool opens = moved.tool == DrawingTool::text || moved.tool == DrawingTool::bezierPen ||
                           isLineOrShapeTool(moved.tool) || isFreehandTool(moved.tool);
        if (opens && isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) {
            if (moved.tool == DrawingTool::text) reopenText(i, s);
            else host_.openEdit(i);
            return;
        }
    }
    const bool stayed = moved.offset.width() == 0 && moved.offset.height() == 0;
    s.strokes.modify([i](auto& list) { list[i].bakeOffset(); });
    const DrawingStroke& placed = s.strokes.get()[i];
    if (stayed) {
        // Pressed without moving: the stroke is selected, and colour and
        // width changes apply to it.
        s.lastPlacedStrokeID = placed.id;
        s.isSelectionExplicit = true;
        s.selectedColor = host_.colorCopiedFrom(placed.color);
    } else {
        // A move is not undoable itself, but it ends the redo history.
        s.redoStack.set({});
    }
    discardPath(s);
}

void CanvasGesture::endEraserPass(DrawingState& s) {
    // The pass itself is never kept as a stroke.
    if (const auto& live = s.currentStroke.get()) s.applyEraserStamps(erasureStamps(*live), host_.displayID());
    discardPath(s);
}

void CanvasGesture::endClick(QPointF p, std::optional<DrawingTool> tool, DrawingState& s) {
    // The dot the last click left lies under a second click close by; it
    // would take the click as a stroke to open, and a double-click would
    // never take the dot back.
    const auto& list = s.strokes.get();
    const bool secondOfTwo =
        lastSingleClickDotID_ && !list.empty() && list.back().id == *lastSingleClickDotID_ && lastFreehandTapTime_ &&
        std::chrono::duration<double>(host_.now() - *lastFreehandTapTime_).count() < kDoubleClickSeconds &&
        distance(p, lastFreehandTapLocation_) < kDoubleClickDistance;
    const auto editable = [&](auto isEditable) {
        return secondOfTwo ? std::nullopt : topmostStroke(s, [&](std::size_t k) { return (this->*isEditable)(k, p); });
    };
    if (const auto i = editable(&CanvasGesture::isEditableShapeStroke)) {
        if (isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) host_.openEdit(*i);
        else discardPath(s);
        return;
    }
    if (const auto i = editable(&CanvasGesture::isEditableFreehandStroke)) {
        if (isDoubleClick(lastLineTapTime_, lastLineTapLocation_, p)) host_.openEdit(*i);
        else discardPath(s);
        return;
    }
    if (isDoubleClick(lastFreehandTapTime_, lastFreehandTapLocation_, p)) {
        // The second click takes back the dot the first one left.
        if (lastSingleClickDotID_ && !list.empty() && list.back().id == *lastSingleClickDotID_) s.undo();
        lastSingleClickDotID_.reset();
        discardPath(s);
        return;
    }
    if (tool && isLineOrShapeTool(*tool)) {
        lastSingleClickDotID_.reset();
    } else if (const auto& live = s.currentStroke.get()) {
        const DrawingStroke dot = *live;
        s.addStroke(dot);
        lastSingleClickDotID_ = dot.id;
    } else {
        lastSingleClickDotID_.reset();
    }
    discardPath(s);
}

void CanvasGesture::endStroke(double d, std::optional<DrawingTool> tool, DrawingState& s) {
    // Lines and shapes too small to mean anything are dropped.
    if (!(tool && isLineOrShapeTool(*tool) && d < kSmallestShape)) {
        if (const auto& live = s.currentStroke.get()) s.addStroke(*live);
        lastSingleClickDotID_.reset();
    }
    discardPath(s);
}
