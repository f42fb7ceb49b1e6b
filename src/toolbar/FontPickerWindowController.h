#pragma once

// The font picker's panel: 260 points wide, starting 10 points left of the
// text tool's slot under or over a horizontal toolbar, or beside a vertical
// one centred on the slot; it follows its content's height, keeping the
// edge that touches the toolbar.

#include "ui/AnchoredPanelController.h"

#include <functional>
#include <memory>

class DrawingState;
class FontPickerRoot;

class FontPickerWindowController final : public ui::AnchoredPanelController {
public:
    static constexpr double kWidth = 260;
    static constexpr double kAnchorOffset = -10;

    // `isOpen` receives false on a later turn after the panel closed. Not
    // shown on creation.
    FontPickerWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                               std::function<void(bool)> isOpen);

    FontPickerRoot* root() const { return root_; }
    PanelOpenDirection direction() const { return direction_; }
    void place() override;

protected:
    // As if it opened now, towards the side the toolbar opens to where it
    // stands now.
    void placeAgain() override;

private:
    std::weak_ptr<DrawingState> state_;
    PanelOpenDirection direction_;
    FontPickerRoot* root_;
};
