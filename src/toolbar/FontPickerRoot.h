#pragma once

// The font picker panel's root: the picker's content, editing the drawing
// state's text font name and size, on the panel chrome with corners of
// radius 10, square on the toolbar's side.

#include "ui/Bindings.h"
#include "ui/PanelChrome.h"

#include <memory>

class DrawingState;
class FontPickerPanel;

class FontPickerRoot : public ui::PanelChrome {
public:
    static constexpr double kCornerRadius = 10;

    explicit FontPickerRoot(const std::shared_ptr<DrawingState>& state, QWidget* parent = nullptr);

    FontPickerPanel* panel() const { return panel_; }

private:
    FontPickerPanel* panel_;
    ui::Bindings bindings_;
};
