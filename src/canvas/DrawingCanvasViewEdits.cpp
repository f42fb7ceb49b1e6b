// The canvas's edits of placed strokes: opening a stroke in an edit slot,
// writing it back, deleting it, width steps, restyling the last placed
// stroke, the overlay callbacks, re-opening text and the input pause after
// an edit.

#include "canvas/DrawingCanvasView.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <algorithm>

namespace {

constexpr double kEditCooldownSeconds = 0.35;
constexpr double kMinimumEditWidth = 1;
constexpr double kMaximumEditWidth = 100;

} // namespace

Color DrawingCanvasView::colorCopiedFrom(const Color& strokeColor) const {
    // A stroke's colour carries the opacity it was drawn with; copied back
    // as it is, the next stroke would get that opacity applied twice.
    const double opacity = state_->strokeOpacity.get();
    if (!(opacity > 0)) return strokeColor;
    return strokeColor.withAlpha(std::min(strokeColor.a / opacity, 1.0));
}

void DrawingCanvasView::openEdit(std::size_t index) {
    platform::assertMainThread("DrawingCanvasView::openEdit");
    DrawingState* s = liveState();
    if (!s || index >= s->strokes.get().size()) return;
    const DrawingStroke stroke = s->strokes.get()[index];
    if (stroke.tool == DrawingTool::bezierPen || isLineTool(stroke.tool)) editingLineStroke_ = stroke;
    else if (isFrameShape(stroke.tool) || isPolygonShape(stroke.tool)) editingShapeStroke_ = stroke;
    else editingFreehandStroke_ = stroke;
    s->selectedColor = colorCopiedFrom(stroke.color);
    s->strokes.modify([index](auto& list) {
        if (index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
    });
    s->isLineEditing = true;
    s->currentStroke = std::nullopt;
    pathPoints_.clear();
    scheduleUpdate();
}

void DrawingCanvasView::writeBack(std::optional<DrawingStroke>& slot) {
    DrawingState* s = liveState();
    if (!s || !slot) return;
    DrawingStroke copy = *slot;
    copy.color = s->selectedColor.get().opacity(s->strokeOpacity.get());
    // Written back on the display it was edited on.
    if (copy.displayID == 0) copy.displayID = displayID_;
    slot.reset();
    s->addStroke(copy);
    s->isLineEditing = false;
    scheduleUpdate();
}

void DrawingCanvasView::endLineEdit() { writeBack(editingLineStroke_); }
void DrawingCanvasView::endShapeEdit() { writeBack(editingShapeStroke_); }
void DrawingCanvasView::endFreehandEdit() { writeBack(editingFreehandStroke_); }

void DrawingCanvasView::endOpenEdits() {
    platform::assertMainThread("DrawingCanvasView::endOpenEdits");
    DrawingState* s = liveState();
    if (!s) return;
    // As Esc ends them: the text first, then the stroke under edit.
    if (textBox_.isActive() && commitPendingText()) {
        s->selectedTool = std::nullopt;
        s->isMoveMode = true;
    }
    endLineEdit();
    endShapeEdit();
    endFreehandEdit();
}

void DrawingCanvasView::lineEditingChanged() {
    DrawingState* s = liveState();
    if (!s || s->isLineEditing.get()) return;
    endLineEdit();
    endShapeEdit();
    endFreehandEdit();
    isEditCooldown_ = true;
    startEditCooldown();
}

void DrawingCanvasView::pendingDeleteEditChanged(bool newValue) {
    DrawingState* s = liveState();
    if (!s || !newValue) return;
    s->pendingDeleteEdit = false;
    const std::optional<DrawingStroke>& edited =
        editingLineStroke_ ? editingLineStroke_ : (editingShapeStroke_ ? editingShapeStroke_ : editingFreehandStroke_);
    if (edited) s->purgeHistory(*edited);
    editingLineStroke_.reset();
    editingShapeStroke_.reset();
    editingFreehandStroke_.reset();
    s->isLineEditing = false;
    scheduleUpdate();
}

void DrawingCanvasView::lineWidthStepChanged(std::int64_t oldValue, std::int64_t newValue) {
    DrawingState* s = liveState();
    if (!s) return;
    const double delta = newValue > oldValue ? 1 : -1;
    std::optional<DrawingStroke>& slot =
        editingLineStroke_ ? editingLineStroke_ : (editingShapeStroke_ ? editingShapeStroke_ : editingFreehandStroke_);
    if (!slot) return;
    const double w = std::max(std::min(slot->lineWidth + delta, kMaximumEditWidth), kMinimumEditWidth);
    slot->lineWidth = w;
    s->lineWidth = w;
    scheduleUpdate();
}

void DrawingCanvasView::lineWidthChanged() {
    DrawingState* s = liveState();
    if (!s || s->selectedTool.get() == DrawingTool::eraser) return;
    const double width = s->lineWidth.get();
    if (s->isLineEditing.get()) {
        for (auto* slot : {&editingLineStroke_, &editingShapeStroke_, &editingFreehandStroke_})
            if (*slot) (*slot)->lineWidth = width;
        scheduleUpdate();
        return;
    }
    const auto id = s->lastPlacedStrokeID.get();
    if (!id) return;
    const auto& list = s->strokes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const DrawingStroke& st) { return st.id == *id; });
    if (it == list.end() || it->tool == DrawingTool::text || !it->erasures.empty()) return;
    // Every canvas runs this reaction; the first one restyles.
    if (it->lineWidth == width) return;
    const auto index = it - list.begin();
    s->strokes.modify([index, width](auto& l) { l[static_cast<std::size_t>(index)].lineWidth = width; });
}

void DrawingCanvasView::colorChanged() {
    DrawingState* s = liveState();
    if (!s) return;
    if (!s->isSelectionExplicit.get() && !s->selectedTool.get()) return;
    if (s->isLineEditing.get()) return;
    const auto id = s->lastPlacedStrokeID.get();
    if (!id) return;
    const Color color = s->selectedColor.get().opacity(s->strokeOpacity.get());
    const auto& list = s->strokes.get();
    const auto it = std::find_if(list.begin(), list.end(), [&](const DrawingStroke& st) { return st.id == *id; });
    if (it == list.end() || it->color == color) return;
    const auto index = it - list.begin();
    s->strokes.modify([index, color](auto& l) { l[static_cast<std::size_t>(index)].color = color; });
}

void DrawingCanvasView::toolChanged(std::optional<DrawingTool> oldValue) {
    DrawingState* s = liveState();
    if (!s) return;
    if (textBox_.isActive()) commitPendingText();
    endLineEdit();
    endShapeEdit();
    endFreehandEdit();
    if (oldValue == DrawingTool::gimpBrush) s->gimpBrushOpacity = 1.0;
}

// ---- Overlay callbacks ----

void DrawingCanvasView::bezierPathFinished(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::bezierPathFinished");
    DrawingState* s = liveState();
    if (!s) return;
    editingLineStroke_ = stroke;
    // Placed later by the write-back, on the display it was drawn on.
    if (editingLineStroke_->displayID == 0) editingLineStroke_->displayID = displayID_;
    s->isLineEditing = true;
    scheduleUpdate();
}

void DrawingCanvasView::bezierEditOutsideTap() {
    platform::assertMainThread("DrawingCanvasView::bezierEditOutsideTap");
    endLineEdit();
    isEditCooldown_ = true;
    startEditCooldown();
    scheduleUpdate();
}

void DrawingCanvasView::lineEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::lineEditUpdated");
    editingLineStroke_ = stroke;
    scheduleUpdate();
}

void DrawingCanvasView::shapeEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::shapeEditUpdated");
    editingShapeStroke_ = stroke;
    scheduleUpdate();
}

void DrawingCanvasView::freehandEditUpdated(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::freehandEditUpdated");
    editingFreehandStroke_ = stroke;
    scheduleUpdate();
}

// ---- Text, brush readiness, input pause ----

void DrawingCanvasView::beginTextEdit(const DrawingStroke& stroke) {
    platform::assertMainThread("DrawingCanvasView::beginTextEdit");
    DrawingState* s = liveState();
    if (!s) return;
    s->textFontName = stroke.fontName;
    s->textFontSize = stroke.explicitFontSize;
    s->selectedColor = colorCopiedFrom(stroke.color);
    textBox_.open(QRectF(stroke.startPoint, QSizeF(std::abs(stroke.endPoint.x() - stroke.startPoint.x()),
                                                  std::abs(stroke.endPoint.y() - stroke.startPoint.y()))),
                  stroke.text, stroke.rotationDegrees);
    s->isTextEditing = true;
}

bool DrawingCanvasView::isGIMPBrushReady() const {
    DrawingState* s = liveState();
    if (!s) return false;
    const auto tool = s->selectedTool.get();
    if (!tool) return false;
    if (*tool != DrawingTool::gimpBrush) return true;
    if (!s->activeGIMPBrushID.get()) return true;
    return s->isActiveGIMPBrushLoaded();
}

void DrawingCanvasView::startEditCooldown() {
    // Each pause clears the flag when its own time is up, so of pauses that
    // overlap the earliest ends the cooldown.
    QPointer<DrawingCanvasView> self(this);
    clock_->after(kEditCooldownSeconds, this, [self] {
        if (self) self->isEditCooldown_ = false;
    });
}
