#pragma once

// The pen and shape submenus' shared frame and their items: a column of
// tool buttons, 6 points apart with 4 points above and below, on the panel
// chrome with corners of radius 4, square on the toolbar's side.

#include "model/DrawingTool.h"
#include "platform/Signal.h"
#include "ui/Bindings.h"
#include "ui/PanelChrome.h"
#include "ui/SymbolButton.h"

#include <QVBoxLayout>

#include <memory>
#include <vector>

class DrawingState;

// One tool of a submenu: its toolbar icon in a 24-point square, with the
// selected look while it is the selected tool, its name as help text beside
// it, centred across the submenu's width.
class SubmenuItem : public SymbolButton {
public:
    explicit SubmenuItem(QWidget* parent = nullptr);

    void setTool(DrawingTool tool);
    DrawingTool tool() const { return tool_; }

private:
    DrawingTool tool_ = DrawingTool::pen;
};

class SubmenuContainer : public ui::PanelChrome {
public:
    static constexpr double kCornerRadius = 4;
    static constexpr double kSpacing = 6;
    static constexpr double kVerticalPadding = 4;

    // Follows the dock position for its square corners.
    SubmenuContainer(const std::shared_ptr<DrawingState>& state, QWidget* parent = nullptr);

    // The items, top to bottom; they show `tools`, with the state's selected
    // tool lit and its tooltip setting. Items are reused; surplus ones go.
    void setTools(const std::vector<DrawingTool>& tools);
    const std::vector<SubmenuItem*>& items() const { return items_; }

    // An item was clicked, with its tool.
    platform::Signal<DrawingTool> picked;

private:
    void refreshItems();

    std::shared_ptr<DrawingState> state_;
    QVBoxLayout* stack_;
    std::vector<SubmenuItem*> items_;
    ui::Bindings bindings_;
};
