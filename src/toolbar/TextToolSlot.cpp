#include "toolbar/TextToolSlot.h"

#include "platform/Dispatch.h"
#include "platform/Event.h"
#include "toolbar/ToolFamilies.h"

#include <QMouseEvent>

#include <cmath>

TextToolSlot::TextToolSlot(std::shared_ptr<AnchorRef> fontAnchor, QWidget* parent)
    : SymbolButton(parent, fontAnchor), anchorView_(new SwatchAnchorView(fontAnchor, this)) {
    setSymbol(toolbarIconName(DrawingTool::text));
    setPointSize(13);
    anchorView_->setGeometry(rect());
    anchorView_->lower();
    holdTimer_.setSingleShot(true);
    holdTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&holdTimer_, &QTimer::timeout, this, [this] {
        if (longPress_.check(platform::eventClock())) recognised();
        else if (longPress_.isTracking()) holdTimer_.start(10); // woken early: look again shortly
    });
}

void TextToolSlot::mousePressEvent(QMouseEvent* event) {
    SymbolButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    longPress_.press(platform::eventClock(), event->position());
    // A few milliseconds past the minimum, so the check does not land short.
    holdTimer_.start(int(std::ceil(LongPress::kMinimumDuration * 1000)) + 5);
}

void TextToolSlot::mouseMoveEvent(QMouseEvent* event) {
    SymbolButton::mouseMoveEvent(event);
    if (longPress_.move(platform::eventClock(), event->position())) recognised();
    if (!longPress_.isTracking()) holdTimer_.stop();
}

void TextToolSlot::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        holdTimer_.stop();
        if (longPress_.release(platform::eventClock())) recognised();
    }
    // The button's own click comes after the hold, as with a simultaneous
    // gesture.
    SymbolButton::mouseReleaseEvent(event);
}

void TextToolSlot::recognised() {
    platform::assertMainThread("TextToolSlot hold");
    longPressed.emit();
}
