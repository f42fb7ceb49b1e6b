#pragma once

// The hand-off between a canvas's left-button drag and the frames that show it.

#include "canvas/CanvasPointerIntake.h"
#include "canvas/FramePacer.h"
#include "platform/DisplayLink.h"

#include <functional>
#include <memory>

class CanvasGesture;
class QMouseEvent;
class QWidget;

// The loop of a drag, in one place. The pointer intake hands the drag's
// events to the gesture, whose changes reach the drawing state at once; the
// canvas, having reacted to them, tells here that its live stroke is behind,
// and the frame pacer says whether to draw it now or when its frame comes.
// When a paced frame comes, the moves held for it go to the gesture first,
// then the canvas draws. Moves read from the X connection while a frame
// would wait anyway are held for that frame (the pacer learns it owes one).
// The intake and the pacer know nothing of each other: each reaches the
// other through this object only.
class CanvasDragPacing {
public:
    // The drag on `canvas`, taken by `gesture`; `showLiveStroke` draws the
    // live stroke as the drawing state has it now.
    CanvasDragPacing(QWidget& canvas, CanvasGesture& gesture, std::function<void()> showLiveStroke);
    CanvasDragPacing(const CanvasDragPacing&) = delete;
    CanvasDragPacing& operator=(const CanvasDragPacing&) = delete;

    // The canvas's mouse events; each answers whether the event is one of a
    // left-button drag's, which the gesture has then taken.
    bool press(const QMouseEvent& event) { return intake_.press(event); }
    bool move(const QMouseEvent& event) { return intake_.move(event); }
    bool release(const QMouseEvent& event) { return intake_.release(event); }

    // The live stroke is behind the drawing state. One that is not growing
    // (a stroke's start or end) is drawn at once and no frame is owed for
    // it; a growing one is drawn now or when its frame comes.
    void liveStrokeBehind(bool growing);

    // Paces by the refreshes of `display` (see FramePacer::useDisplayLink).
    void useDisplayLink(const platform::DisplayLinkFactory& factory, platform::DisplayID display,
                        std::unique_ptr<FramePacer::Clock> clock);
    const FramePacer& pacer() const { return pacer_; }

private:
    // The pacer's frame: the moves held for it first, then the drawing.
    void frameCame();
    // The intake's question for moves read from the connection.
    bool holdsForFrame(bool anyMoves);

    std::function<void()> showLiveStroke_;
    FramePacer pacer_;
    CanvasPointerIntake intake_;
};
