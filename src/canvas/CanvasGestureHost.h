#pragma once

// What the left-button drag of a canvas asks of the canvas that owns it.

#include "canvas/CanvasClock.h"
#include "model/DrawingStroke.h"
#include "platform/Color.h"
#include "platform/ScreenProvider.h"

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <functional>
#include <optional>

class DrawingState;
class EditSession;
class TextBox;

// The canvas as its gesture sees it: the state it draws into, its display,
// its clock, its edit slots and text box, and what it shows of the drag.
// DrawingCanvasView is the one host of the program; tests bring a small one.
class CanvasGestureHost {
public:
    virtual ~CanvasGestureHost() = default;

    // The drawing state while it lives.
    virtual DrawingState* liveState() const = 0;
    virtual platform::DisplayID displayID() const = 0;
    virtual CanvasClock::TimePoint now() const = 0;
    // Runs `work` after `seconds` unless the host has gone by then.
    virtual void after(double seconds, std::function<void()> work) = 0;

    // Whether a drag may draw with the selected tool now.
    virtual bool isGIMPBrushReady() const = 0;
    // The eraser's colour copy of a placed stroke's colour.
    virtual Color colorCopiedFrom(const Color& strokeColor) const = 0;

    // ---- Edits ----
    // The first edit slot that holds a stroke (line, shape, freehand).
    virtual EditSession* openEditSession() = 0;
    virtual const std::optional<DrawingStroke>& editingLineStroke() const = 0;
    // Opens the placed stroke at `index` of DrawingState::strokes.
    virtual void openEdit(std::size_t index) = 0;
    virtual void endLineEdit() = 0;
    // Writes back whichever slot is open.
    virtual void closeEdits() = 0;

    // ---- Text box ----
    virtual TextBox& textBox() = 0;
    virtual bool commitPendingText() = 0;
    virtual void beginTextEdit(const DrawingStroke& stroke) = 0;
    // Where a new text box may reach, canvas coordinates.
    virtual QRectF visibleCanvasArea() const = 0;

    // ---- What the canvas shows of the drag ----
    // The pointer moved in a drag: the eraser ring follows.
    virtual void dragMovedTo(QPointF location) = 0;
    // The canvas looks again at what it shows, on a later turn.
    virtual void scheduleUpdate() = 0;
    // A closed hand while a placed stroke is dragged, else the arrow.
    virtual void showMoveCursor(bool grabbing) = 0;
};
