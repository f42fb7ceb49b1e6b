// The pen and shape submenus' items and what a pick does.
#include "toolbar/SubmenuRoots.h"

#include "model/DrawingState.h"
#include "toolbar/ToolFamilies.h"

SubmenuRoot::SubmenuRoot(const std::shared_ptr<DrawingState>& state, std::shared_ptr<DismissBox> dismissBox,
                         Family family, QWidget* parent)
    : SubmenuContainer(state, parent), state_(state), dismissBox_(std::move(dismissBox)), family_(family) {
    platform::assertMainThread("SubmenuRoot");
    bindings_.add(picked.connect([this](DrawingTool tool) { select(tool); }));
    rebuild();
    if (!state_) return;
    // After a pick the items change on a later turn, once the click that
    // made it is over.
    bindings_.onChangeLater(order(), this, [](SubmenuRoot& r) { r.rebuild(); });
}

platform::Published<std::vector<DrawingTool>>& SubmenuRoot::order() const {
    return family_ == Family::pen ? state_->toolbarPenOrder : state_->toolbarShapeOrder;
}

void SubmenuRoot::rebuild() {
    platform::assertMainThread("SubmenuRoot::rebuild");
    setTools(state_ ? submenuTools(order().get()) : std::vector<DrawingTool>{});
}

void SubmenuRoot::select(DrawingTool tool) {
    platform::assertMainThread("SubmenuRoot::select");
    if (!state_) return;
    order() = orderAfterPick(order().get(), tool);
    state_->selectedTool = tool;
    if (dismissBox_) (*dismissBox_)();
}
