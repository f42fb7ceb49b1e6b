// The overlay's window rule and click rule, sharing the steps they share.
#include "app/PointerRules.h"

#include "model/DrawingState.h"
#include "platform/CanvasRect.h"

PointerModes PointerModes::of(const DrawingState& state) {
    PointerModes m;
    m.captureAll = state.captureAll;
    m.isPickingAttachWindow = state.isPickingAttachWindow;
    m.isImportingBrushes = state.isImportingBrushes;
    m.strokeInProgress = state.currentStroke->has_value();
    m.isTextEditing = state.isTextEditing;
    m.isLineEditing = state.isLineEditing;
    m.isBezierEditing = state.isBezierEditing;
    m.selectedTool = state.selectedTool;
    m.isMoveMode = state.isMoveMode;
    return m;
}

bool PointerModes::takesEverywhere() const {
    return isTextEditing || selectedTool == DrawingTool::text || isLineEditing || isBezierEditing ||
           (selectedTool && !isMoveMode);
}

namespace {

constexpr PointerDecision accept(PointerStep step) { return {true, step}; }
constexpr PointerDecision refuse(PointerStep step) { return {false, step}; }

// The title strip of a pinned window lets clicks through in every mode.
bool inPassthroughRect(std::span<const QRectF> rects, QPointF viewPoint) {
    for (const QRectF& r : rects)
        if (platform::canvasContains(r, viewPoint)) return true;
    return false;
}

// The steps both rules end with, in the same order: an edit or a drawing
// tool takes the pointer everywhere, otherwise only a placed stroke does.
// `drawModeAllowed` is where the rules differ: the click rule's lock turns
// draw mode off, while the window rule has refused under the lock already.
PointerDecision modeSteps(const PointerModes& m, bool drawModeAllowed, QPointF viewPoint,
                          const StrokeUnderPoint& strokeUnderPoint) {
    if (m.isTextEditing) return accept(PointerStep::textEditing);
    if (m.selectedTool == DrawingTool::text) return accept(PointerStep::textTool);
    if (m.isLineEditing) return accept(PointerStep::lineEditing);
    if (m.isBezierEditing) return accept(PointerStep::bezierEditing);
    if (drawModeAllowed && m.selectedTool && !m.isMoveMode) return accept(PointerStep::drawMode);
    // Passthrough: a placed stroke can still be grabbed and moved.
    const bool stroke = strokeUnderPoint && strokeUnderPoint(viewPoint);
    return {stroke, PointerStep::strokeUnderPoint};
}

} // namespace

PointerDecision windowPointerRule(const WindowPointerInput& in) {
    const PointerModes& m = in.modes;
    if (m.captureAll) return refuse(PointerStep::lockOn);
    if (m.isPickingAttachWindow) return refuse(PointerStep::pickingWindow);
    if (m.isImportingBrushes) return refuse(PointerStep::modalFilePanel);
    if (!in.hasContentView) return refuse(PointerStep::noContentView);
    if (!in.windowFrame.containsPointer(in.location)) return refuse(PointerStep::outsideWindow);
    for (const platform::Screen& screen : in.screens) {
        if (!screen.frame.containsPointer(in.location)) continue;
        // Panels along the screen's edges keep their clicks.
        if (!screen.visibleFrame.containsPointer(in.location)) return refuse(PointerStep::outsideVisibleFrame);
        break;
    }
    for (const platform::Rect& frame : in.ourWindows)
        if (frame.containsPointer(in.location)) return refuse(PointerStep::ourWindow);
    if (inPassthroughRect(in.passthroughRects, in.viewPoint)) return refuse(PointerStep::passthroughRect);
    // A live stroke is no reason to take the pointer here: the rule is never
    // applied while a button is held, so one left over is stale.
    return modeSteps(m, true, in.viewPoint, in.strokeUnderPoint);
}

PointerDecision clickPointerRule(const ClickPointerInput& in) {
    const PointerModes& m = in.modes;
    if (inPassthroughRect(in.passthroughRects, in.viewPoint)) return refuse(PointerStep::passthroughRect);
    // A drag under way keeps reaching the canvas wherever it goes.
    if (m.strokeInProgress) return accept(PointerStep::strokeInProgress);
    return modeSteps(m, !m.captureAll, in.viewPoint, in.strokeUnderPoint);
}
