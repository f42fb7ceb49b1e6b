#pragma once

// The plain tool button: the tool's icon in a 24-point square with the
// selected look, whose click runs the toolbar's action, and whose help text
// is the tool's name, placed on the side the toolbar's panels open to.

#include "model/DrawingTool.h"
#include "ui/Bindings.h"
#include "ui/PanelOpenDirection.h"
#include "ui/SymbolButton.h"

#include <functional>
#include <memory>

class DrawingState;

class ToolButton : public SymbolButton {
public:
    // The state supplies the tooltip setting, the dock position and the row
    // the toolbar stands in, and the button follows them.
    ToolButton(DrawingTool tool, bool isSelected, std::function<void()> action,
               const std::shared_ptr<DrawingState>& state, QWidget* parent = nullptr);

    DrawingTool tool() const { return tool_; }
    bool isSelected() const { return isHighlighted(); }
    // Decided by the toolbar on every change of the selected tool.
    void setSelected(bool selected) { setHighlighted(selected); }

private:
    void updateChip(bool showTooltips, PanelOpenDirection direction);

    DrawingTool tool_;
    std::function<void()> action_;
    ui::Bindings bindings_;
};
