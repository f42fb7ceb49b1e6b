#pragma once

// The two pointer rules of an overlay, side by side: the window rule (does
// the window take the pointer at all, or let clicks through to the
// applications below) and the click rule (does a click inside a window that
// takes the pointer reach the canvas). Pure functions of what they are
// given, so each can be evaluated anywhere, for any point.

#include "model/DrawingTool.h"
#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"

#include <QPointF>
#include <QRectF>

#include <functional>
#include <optional>
#include <span>

class DrawingState;

// What both rules read from the drawing state; none of it depends on where
// the pointer is.
struct PointerModes {
    bool captureAll = false;            // the toolbar's lock
    bool isPickingAttachWindow = false; // a window to pin to is being picked
    bool isImportingBrushes = false;    // a modal file panel is up
    bool strokeInProgress = false;      // a live stroke is being drawn or dragged
    bool isTextEditing = false;
    bool isLineEditing = false;
    bool isBezierEditing = false;
    std::optional<DrawingTool> selectedTool;
    bool isMoveMode = false;

    static PointerModes of(const DrawingState& state);
    // Draw mode, an edit or the text tool: the overlay takes the pointer all
    // over its visible area.
    bool takesEverywhere() const;
};

// Whether a placed stroke of the overlay's display lies under a point of
// the content view. The one costly question: asked only when every earlier
// step left the decision open.
using StrokeUnderPoint = std::function<bool(QPointF viewPoint)>;

// The step that decided, in the order the rules ask them. The first seven are
// the window rule's alone, the stroke in progress the click rule's alone.
enum class PointerStep {
    lockOn,
    pickingWindow,
    modalFilePanel,
    noContentView,
    outsideWindow,
    outsideVisibleFrame,
    ourWindow,
    passthroughRect,
    strokeInProgress,
    textEditing,
    textTool,
    lineEditing,
    bezierEditing,
    drawMode,
    strokeUnderPoint,
};

struct PointerDecision {
    bool accepts = false;
    PointerStep step = PointerStep::strokeUnderPoint;
    friend bool operator==(const PointerDecision&, const PointerDecision&) = default;
};

// The window rule, for the pointer at `location` (y-up screen space), which
// is `viewPoint` in the content view.
struct WindowPointerInput {
    PointerModes modes;
    bool hasContentView = true;
    platform::Rect windowFrame;
    // In the provider's order: the first screen holding the pointer says
    // whether it is inside the visible area.
    std::span<const platform::Screen> screens;
    // The frames of our windows above the overlays that take the pointer
    // (the toolbar, panels): their clicks are theirs, however the window
    // manager stacks them.
    std::span<const platform::Rect> ourWindows;
    std::span<const QRectF> passthroughRects; // content coordinates
    platform::Point location;
    QPointF viewPoint;
    StrokeUnderPoint strokeUnderPoint;
};
PointerDecision windowPointerRule(const WindowPointerInput& input);

// The click rule, for a click at `viewPoint` in the content view. Where the
// window rule refuses outright (lock, picking, outside the window or the
// visible area) the window already lets the click through, so the click
// rule does not ask; the lock only turns draw mode off.
struct ClickPointerInput {
    PointerModes modes;
    std::span<const QRectF> passthroughRects;
    QPointF viewPoint;
    StrokeUnderPoint strokeUnderPoint;
};
PointerDecision clickPointerRule(const ClickPointerInput& input);
