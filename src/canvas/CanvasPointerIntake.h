#pragma once

// The left-button drag of one canvas as its gesture takes it: the press and
// the release from Qt, the moves straight from the X connection, all that
// came in one read at once (Qt's own mouse moves where the connection
// cannot be tapped). Moves that would wait for a frame to be shown anyway
// are held until that frame, or until other input, which they precede; the
// owner (CanvasDragPacing) says which, and hands the held ones over.

#include "platform/PointerMotionTap.h"

#include <QPointF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CanvasGesture;
class QMouseEvent;
class QWidget;

class CanvasPointerIntake {
public:
    // Asked when the tap brings moves read from the X connection (`anyMoves`
    // false: a read that brought none): true holds them until takeHeld(),
    // false hands them to the gesture at once.
    using HoldsForFrame = std::function<bool(bool anyMoves)>;

    CanvasPointerIntake(QWidget& canvas, CanvasGesture& gesture, HoldsForFrame holdsForFrame);
    ~CanvasPointerIntake();
    CanvasPointerIntake(const CanvasPointerIntake&) = delete;
    CanvasPointerIntake& operator=(const CanvasPointerIntake&) = delete;

    // Each answers whether the event is one of a left-button drag's, which
    // the gesture has then taken.
    bool press(const QMouseEvent& event);
    bool move(const QMouseEvent& event);
    bool release(const QMouseEvent& event);

    // The moves held for the frame being shown now.
    void takeHeld();

private:
    void take(const std::vector<platform::PointerSample>& samples, platform::PointerMotionTap::Delivery delivery);

    QWidget& canvas_;
    CanvasGesture& gesture_;
    HoldsForFrame holdsForFrame_;
    // Where the press in progress was, and the last move taken.
    std::optional<QPointF> start_;
    std::optional<QPointF> last_;
    std::unique_ptr<platform::PointerMotionTap> tap_;
    std::vector<platform::PointerSample> held_;
};
