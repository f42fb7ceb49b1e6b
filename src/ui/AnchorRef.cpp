#include "ui/AnchorRef.h"

#include "platform/Dispatch.h"

#include <QEvent>

std::optional<platform::Rect> AnchorRef::frameOnScreen() const {
    if (nsView) {
        const QPoint topLeft = nsView->mapToGlobal(QPoint(0, 0));
        return platform::toScreen(QRectF(QPointF(topLeft), QSizeF(nsView->size())));
    }
    if (externalFrame_) return externalFrame_();
    return std::nullopt;
}

SwatchAnchorView::SwatchAnchorView(std::shared_ptr<AnchorRef> ref, QWidget* parent)
    : QWidget(parent), ref_(std::move(ref)) {
    platform::assertMainThread("SwatchAnchorView");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    if (ref_) ref_->nsView = this;
}

bool SwatchAnchorView::event(QEvent* e) {
    // Whenever the control is laid out again, it names this view once more
    // (another anchor view may have taken the reference meanwhile).
    if (ref_ && (e->type() == QEvent::Show || e->type() == QEvent::Resize || e->type() == QEvent::Move))
        ref_->nsView = this;
    return QWidget::event(e);
}
