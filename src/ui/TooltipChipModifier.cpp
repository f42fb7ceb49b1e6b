#include "ui/TooltipChipModifier.h"

#include "platform/Dispatch.h"
#include "ui/TooltipManager.h"

#include <QCursor>
#include <QEvent>
#include <QWidget>

TooltipChipModifier* TooltipChipModifier::attach(QWidget* control, std::shared_ptr<AnchorRef> anchor,
                                                 TooltipManager* manager) {
    platform::assertMainThread("TooltipChipModifier::attach");
    if (anchor) return new ExplicitAnchorTooltipChipModifier(control, std::move(anchor), manager);
    anchor = std::make_shared<AnchorRef>();
    anchor->nsView = control;
    return new TooltipChipModifier(control, std::move(anchor), manager);
}

TooltipChipModifier* TooltipChipModifier::of(const QWidget* control) {
    if (!control) return nullptr;
    for (QObject* child : control->children())
        if (auto* modifier = dynamic_cast<TooltipChipModifier*>(child)) return modifier;
    return nullptr;
}

TooltipChipModifier::TooltipChipModifier(QWidget* control, std::shared_ptr<AnchorRef> anchor, TooltipManager* manager)
    : QObject(control), control_(control), anchor_(std::move(anchor)), manager_(manager) {
    control->installEventFilter(this);
}

ExplicitAnchorTooltipChipModifier::ExplicitAnchorTooltipChipModifier(QWidget* control,
                                                                     std::shared_ptr<AnchorRef> anchor,
                                                                     TooltipManager* manager)
    : TooltipChipModifier(control, std::move(anchor), manager) {}

TooltipChipModifier::~TooltipChipModifier() {
    // A control going away while its chip is scheduled or shown takes the
    // chip along.
    if (hovered_ || leavePending_) manager().hide(anchor_.get());
}

TooltipManager& TooltipChipModifier::manager() const { return manager_ ? *manager_ : TooltipManager::shared(); }

void TooltipChipModifier::update(const QString& text, std::optional<bool> showTooltips, TooltipPlacement placement) {
    const bool settingChanged = showTooltips != showTooltips_;
    text_ = text;
    showTooltips_ = showTooltips;
    placement_ = placement;
    if (control_) control_->setAccessibleName(text);
    if (text.isEmpty() && (hovered_ || leavePending_)) manager().hide(anchor_.get());
    if (settingChanged && control_ && control_->isVisible()) applySetting();
}

void TooltipChipModifier::withdraw() {
    // Windows coming up around the pointer may report it leaving and
    // entering again without a move: no chip until it really left.
    withdrawn_ = true;
    manager().withdraw(anchor_.get());
}

void TooltipChipModifier::applySetting() {
    if (text_.isEmpty() || !showTooltips_) return;
    manager().applyShowTooltips(*showTooltips_);
}

void TooltipChipModifier::pointerEntered() {
    hovered_ = true;
    if (!text_.isEmpty() && !withdrawn_) manager().request(text_, anchor_, placement_);
}

void TooltipChipModifier::pointerLeft() {
    if (!hovered_) return;
    hovered_ = false;
    if (leavePending_) return;
    leavePending_ = true;
    platform::dispatchMain([self = QPointer<TooltipChipModifier>(this)] {
        if (!self) return;
        self->leavePending_ = false;
        // Back on the control by now: the chip stays.
        if (self->hovered_) return;
        // A pointer grab taken by another of our windows (an overlay taking
        // the pointer) reports a leave although the pointer did not move.
        if (self->pointerRestsOnControl()) {
            self->hovered_ = true;
            return;
        }
        self->withdrawn_ = false;
        self->manager().hide(self->anchor_.get());
    });
}

bool TooltipChipModifier::pointerRestsOnControl() const {
    return control_ && control_->isVisible() && control_->rect().contains(control_->mapFromGlobal(QCursor::pos()));
}

bool TooltipChipModifier::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    switch (event->type()) {
    case QEvent::Enter: pointerEntered(); break;
    case QEvent::Leave:
    case QEvent::Hide: pointerLeft(); break;
    case QEvent::Show: applySetting(); break;
    default: break;
    }
    return false;
}
