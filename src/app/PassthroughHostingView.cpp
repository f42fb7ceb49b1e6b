#include "app/PassthroughHostingView.h"

#include "app/PointerRules.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/Window.h"

#include <QChildEvent>
#include <QMouseEvent>

PassthroughHostingView::PassthroughHostingView(QWidget* rootView, std::weak_ptr<DrawingState> drawingState,
                                               platform::DisplayID displayID, QWidget* parent)
    : QWidget(parent), root_(rootView), drawingState_(std::move(drawingState)), displayID_(displayID) {
    platform::assertMainThread("PassthroughHostingView");
    setAttribute(Qt::WA_NoSystemBackground);
    if (root_) {
        root_->setParent(this);
        root_->setGeometry(rect());
        watch(root_);
    }
    watch(this);
}

PassthroughHostingView::~PassthroughHostingView() = default;

void PassthroughHostingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (root_) root_->setGeometry(rect());
}

void PassthroughHostingView::watch(QWidget* w) {
    w->installEventFilter(this);
    for (QObject* child : w->children())
        if (child->isWidgetType()) watch(static_cast<QWidget*>(child));
}

QWidget* PassthroughHostingView::ownHitTest(const QPointF& viewPoint) const {
    if (!QRectF(rect()).contains(viewPoint)) return nullptr;
    QWidget* child = childAt(viewPoint.toPoint());
    return child ? child : const_cast<PassthroughHostingView*>(this);
}

std::optional<PointerDecision> PassthroughHostingView::decide(const QPointF& viewPoint) const {
    const auto state = drawingState_.lock();
    if (!state) return std::nullopt;
    ClickPointerInput input;
    input.modes = PointerModes::of(*state);
    input.passthroughRects = state->overlayPassthroughRects;
    input.viewPoint = viewPoint;
    const platform::DisplayID display = displayID_;
    input.strokeUnderPoint = [&state, display](QPointF p) { return state->hasStroke(p, display); };
    return clickPointerRule(input);
}

QWidget* PassthroughHostingView::hitTest(const QPointF& point) const {
    platform::assertMainThread("PassthroughHostingView::hitTest");
    const QPointF viewPoint = parentWidget() ? mapFromParent(point) : point;
    const auto decision = decide(viewPoint);
    return decision && decision->accepts ? ownHitTest(viewPoint) : nullptr;
}

void PassthroughHostingView::mouseDown(const PointerDecision& decision) {
    // A press in draw mode (or an edit) both gives the overlay the keyboard
    // and reaches the canvas. Grabbing a placed stroke in passthrough leaves
    // the keyboard where the user has it.
    if (decision.step == PointerStep::strokeUnderPoint || decision.step == PointerStep::strokeInProgress) return;
    if (platform::Window* w = platform::Window::fromWidget(this); w && !w->keyboard().holdsKeyboardFocus())
        w->keyboard().makeKey(platform::WindowActivation::Cause::press);
}

bool PassthroughHostingView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (auto* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
            watch(static_cast<QWidget*>(child));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* w = static_cast<QWidget*>(watched);
        const auto* m = static_cast<QMouseEvent*>(event);
        const QPointF inView = w == this ? m->position() : w->mapTo(this, m->position());
        const auto decision = decide(inView);
        if (!decision || !decision->accepts || !ownHitTest(inView)) {
            turningAwayPress_ = true;
            return true;
        }
        turningAwayPress_ = false;
        if (event->type() == QEvent::MouseButtonPress) mouseDown(*decision);
        return false;
    }
    case QEvent::MouseMove: return turningAwayPress_ && static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
    case QEvent::MouseButtonRelease: {
        if (!turningAwayPress_) return false;
        if (static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton) turningAwayPress_ = false;
        return true;
    }
    default: return false;
    }
}
