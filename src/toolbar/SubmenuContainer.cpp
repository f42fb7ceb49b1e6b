// The submenus' column of tool buttons on the panel chrome.
#include "toolbar/SubmenuContainer.h"

#include "model/DrawingState.h"
#include "toolbar/ToolFamilies.h"
#include "ui/TooltipChipModifier.h"

namespace {
constexpr double kItemPointSize = 13;
} // namespace

SubmenuItem::SubmenuItem(QWidget* parent) : SymbolButton(parent) {
    setPointSize(kItemPointSize);
    setSymbol(toolbarIconName(tool_));
}

void SubmenuItem::setTool(DrawingTool tool) {
    tool_ = tool;
    setSymbol(toolbarIconName(tool));
}

SubmenuContainer::SubmenuContainer(const std::shared_ptr<DrawingState>& state, QWidget* parent)
    : PanelChrome(kCornerRadius, state ? toolbarPanelDirection(*state) : PanelOpenDirection::below, parent),
      state_(state),
      stack_(new QVBoxLayout(this)) {
    stack_->setSpacing(int(kSpacing));
    stack_->setContentsMargins(0, int(kVerticalPadding), 0, int(kVerticalPadding));
    if (!state_) return;
    DrawingState* s = state_.get();
    bindings_.bind(s->toolbarDockPosition, this, [s](SubmenuContainer& c, ToolbarDockPosition position) {
        c.setDirection(panelOpenDirection(position, s->isToolbarMovedToTopRow));
    });
    bindings_.bind(s->isToolbarMovedToTopRow, this, [s](SubmenuContainer& c, bool moved) {
        c.setDirection(panelOpenDirection(s->toolbarDockPosition, moved));
    });
    bindings_.onChangeLater(state_->selectedTool, this, [](SubmenuContainer& c) { c.refreshItems(); });
    bindings_.onChangeLater(state_->showTooltips, this, [](SubmenuContainer& c) { c.refreshItems(); });
}

void SubmenuContainer::setTools(const std::vector<DrawingTool>& tools) {
    platform::assertMainThread("SubmenuContainer::setTools");
    while (items_.size() > tools.size()) {
        // Possibly the item being clicked: it goes once its click is over.
        SubmenuItem* item = items_.back();
        items_.pop_back();
        stack_->removeWidget(item);
        item->hide();
        item->deleteLater();
    }
    while (items_.size() < tools.size()) {
        auto* item = new SubmenuItem(this);
        QObject::connect(item, &QAbstractButton::clicked, this, [this, item] {
            platform::assertMainThread("SubmenuItem");
            picked.emit(item->tool());
        });
        stack_->addWidget(item, 0, Qt::AlignHCenter);
        items_.push_back(item);
    }
    for (std::size_t i = 0; i < tools.size(); ++i) items_[i]->setTool(tools[i]);
    refreshItems();
}

void SubmenuContainer::refreshItems() {
    if (!state_) return;
    const std::optional<DrawingTool>& selected = state_->selectedTool.get();
    const bool tips = state_->showTooltips;
    for (SubmenuItem* item : items_) {
        // No selected tool lights none.
        item->setHighlighted(selected == item->tool());
        item->chip()->update(displayName(item->tool()), tips, TooltipPlacement::side());
    }
}
