// A canvas's left-button drag, from the pointer's events to drag values.

#include "canvas/CanvasPointerIntake.h"

#include "canvas/CanvasGesture.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

bool shiftOf(const QMouseEvent& event) { return (event.modifiers() & Qt::ShiftModifier) != 0; }

} // namespace

CanvasPointerIntake::CanvasPointerIntake(QWidget& canvas, CanvasGesture& gesture, HoldsForFrame holdsForFrame)
    : canvas_(canvas), gesture_(gesture), holdsForFrame_(std::move(holdsForFrame)) {}

CanvasPointerIntake::~CanvasPointerIntake() = default;

bool CanvasPointerIntake::press(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) return false;
    start_ = event.position();
    last_ = event.position();
    tap_.reset();
    held_.clear();
    gesture_.changed(CanvasDragValue{event.position(), *start_, shiftOf(event)});
    // A pen's or a touch's drag comes as Qt's mouse events made from its
    // own; the tap would take the pointer's moves alongside them.
    QWindow* window = canvas_.window()->windowHandle();
    if (window && event.source() == Qt::MouseEventNotSynthesized)
        tap_ = platform::PointerMotionTap::start(
            window, event.timestamp(),
            [this](const std::vector<platform::PointerSample>& samples, platform::PointerMotionTap::Delivery delivery) {
                take(samples, delivery);
            });
    return true;
}

bool CanvasPointerIntake::move(const QMouseEvent& event) {
    if (!start_ || !(event.buttons() & Qt::LeftButton)) return false;
    // Not having seen the moves the tap took, Qt makes one up to where the
    // release is: the last move, already taken.
    if (tap_ && last_ == event.position()) return true;
    last_ = event.position();
    gesture_.changed(CanvasDragValue{event.position(), *start_, shiftOf(event)});
    return true;
}

bool CanvasPointerIntake::release(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton || !start_) return false;
    // Moves still held come before the release.
    if (tap_) tap_->flush();
    tap_.reset();
    takeHeld();
    const CanvasDragValue value{event.position(), *start_, shiftOf(event)};
    start_.reset();
    gesture_.ended(value);
    return true;
}

void CanvasPointerIntake::take(const std::vector<platform::PointerSample>& samples,
                               platform::PointerMotionTap::Delivery delivery) {
    held_.insert(held_.end(), samples.begin(), samples.end());
    if (delivery == platform::PointerMotionTap::Delivery::read && holdsForFrame_(!samples.empty())) return;
    takeHeld();
}

void CanvasPointerIntake::takeHeld() {
    if (held_.empty()) return;
    const std::vector<platform::PointerSample> samples = std::exchange(held_, {});
    if (!start_) return;
    std::vector<CanvasDragValue> values;
    values.reserve(samples.size());
    // The tap gives places in the window; the drag's are the canvas's own.
    for (const platform::PointerSample& sample : samples)
        values.push_back(CanvasDragValue{canvas_.mapFrom(canvas_.window(), sample.position), *start_, sample.shift});
    last_ = values.back().location;
    gesture_.changed(values);
}
