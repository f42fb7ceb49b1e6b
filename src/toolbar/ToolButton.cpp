#include "toolbar/ToolButton.h"

#include "model/DrawingState.h"
#include "toolbar/ToolFamilies.h"

ToolButton::ToolButton(DrawingTool tool, bool isSelected, std::function<void()> action,
                       const std::shared_ptr<DrawingState>& state, QWidget* parent)
    : SymbolButton(parent), tool_(tool), action_(std::move(action)) {
    setSymbol(toolbarIconName(tool));
    setPointSize(13);
    setHighlighted(isSelected);
    QObject::connect(this, &QAbstractButton::clicked, this, [this] {
        platform::assertMainThread("ToolButton");
        if (action_) action_();
    });
    if (!state) return;
    DrawingState* s = state.get();
    bindings_.bind(state->showTooltips, this,
                   [s](ToolButton& b, bool show) { b.updateChip(show, toolbarPanelDirection(*s)); });
    bindings_.bind(state->toolbarDockPosition, this, [s](ToolButton& b, ToolbarDockPosition p) {
        b.updateChip(s->showTooltips, panelOpenDirection(p, s->isToolbarMovedToTopRow));
    });
    bindings_.bind(state->isToolbarMovedToTopRow, this, [s](ToolButton& b, bool moved) {
        b.updateChip(s->showTooltips, panelOpenDirection(s->toolbarDockPosition, moved));
    });
}

void ToolButton::updateChip(bool showTooltips, PanelOpenDirection direction) {
    chip()->update(displayName(tool_), showTooltips, TooltipPlacement::toolbar(direction));
}
