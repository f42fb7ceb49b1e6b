#pragma once

// The colour picker panel's root: the picker's content on the panel chrome,
// corners of radius 10 away from the toolbar and square towards it.

#include "ui/DismissBox.h"
#include "ui/PanelChrome.h"

#include <memory>

class ColorPickerPanel;
class DrawingState;

class ColorPickerRoot : public ui::PanelChrome {
public:
    static constexpr double kCornerRadius = 10;

    // `dismissBox` closes the hosting panel. The side the panel opened to stays
    // for the panel's life: a new dock position means a new toolbar and a
    // new picker.
    ColorPickerRoot(std::shared_ptr<DrawingState> state, PanelOpenDirection direction,
                    std::shared_ptr<DismissBox> dismissBox, QWidget* parent = nullptr);

    ColorPickerPanel* panel() const { return panel_; }

private:
    ColorPickerPanel* panel_;
};
