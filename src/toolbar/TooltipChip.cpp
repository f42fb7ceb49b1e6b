#include "toolbar/TooltipChip.h"

#include "platform/Dispatch.h"

#include <QEvent>
#include <QWidget>

namespace {
TooltipChip::Presenter* gPresenter = nullptr;
} // namespace

void TooltipChip::setPresenter(Presenter* presenter) { gPresenter = presenter; }
TooltipChip::Presenter* TooltipChip::presenter() { return gPresenter; }

TooltipChip* TooltipChip::attach(QWidget* control, std::shared_ptr<AnchorRef> anchor) {
    platform::assertMainThread("TooltipChip::attach");
    if (!anchor) {
        anchor = std::make_shared<AnchorRef>();
        anchor->nsView = control;
    }
    return new TooltipChip(control, std::move(anchor));
}

TooltipChip* TooltipChip::of(const QWidget* control) {
    if (!control) return nullptr;
    for (QObject* child : control->children())
        if (auto* chip = dynamic_cast<TooltipChip*>(child)) return chip;
    return nullptr;
}

TooltipChip::TooltipChip(QWidget* control, std::shared_ptr<AnchorRef> anchor)
    : QObject(control), control_(control), anchor_(std::move(anchor)) {
    control->installEventFilter(this);
}

TooltipChip::~TooltipChip() {
    // A chip showing for a control that goes away is taken down with it.
    if (hovered_ && gPresenter) gPresenter->pointerLeft(*this);
}

void TooltipChip::update(const QString& text, bool showTooltips, TooltipPlacement placement) {
    text_ = text;
    showTooltips_ = showTooltips;
    placement_ = placement;
    if (control_) control_->setAccessibleName(text);
}

bool TooltipChip::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    switch (event->type()) {
    case QEvent::Enter:
        hovered_ = true;
        if (gPresenter) gPresenter->pointerEntered(*this);
        break;
    case QEvent::Leave:
    case QEvent::Hide:
        if (hovered_) {
            hovered_ = false;
            if (gPresenter) gPresenter->pointerLeft(*this);
        }
        break;
    default:
        break;
    }
    return false;
}
