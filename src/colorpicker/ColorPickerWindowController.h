#pragma once

// The colour picker's panel: 246 points wide against the toolbar window on
// the side its dock position opens to, centred on the swatch beside a
// horizontal toolbar and on the toolbar beside a vertical one. It follows
// its content's height, keeping the edge that touches the toolbar, and
// takes the keyboard only while a saved harmony's name is being typed.

#include "platform/Lifetime.h"
#include "platform/Subscription.h"
#include "ui/AnchoredPanelController.h"
#include "ui/PanelOpenDirection.h"

#include <functional>
#include <memory>
#include <vector>

class ColorPickerPanel;
class ColorPickerRoot;
class DrawingState;

class ColorPickerWindowController final : public ui::AnchoredPanelController {
public:
    static constexpr double kWidth = 246;

    // Edits the state's selected colour, saved harmonies and stroke opacity;
    // every edit is written at once. `isOpen` receives false on a later turn
    // after the panel closed. Built, sized and placed, not shown.
    ColorPickerWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                                std::function<void(bool)> isOpen, PanelOpenDirection direction);
    ~ColorPickerWindowController() override;

    ColorPickerRoot* root() const { return root_; }
    ColorPickerPanel* panel() const;
    PanelOpenDirection direction() const { return direction_; }
    void place() override;

protected:
    // As if it opened now, towards the side the toolbar opens to where it
    // stands now.
    void placeAgain() override;

private:
    void installKeyGateObservers();
    // The harmony-name field asks for the keyboard and gives it up.
    void acceptKeyRequest();
    void resignKeyRequest();

    std::weak_ptr<DrawingState> state_;
    PanelOpenDirection direction_;
    ColorPickerRoot* root_;
    std::vector<platform::Subscription> keyGateObservers_;
    platform::Lifetime<ColorPickerWindowController> lifetime_{this};
};
