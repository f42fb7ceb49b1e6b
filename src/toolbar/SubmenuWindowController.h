#pragma once

// The pen and shape submenus' panels: as wide as the family's toolbar slot
// (34 points without one), hanging under or standing on the toolbar window
// right at the slot, or beside a vertical toolbar centred on it. A pick in
// the submenu closes it.

#include "toolbar/SubmenuRoots.h"
#include "ui/AnchoredPanelController.h"

#include <functional>
#include <memory>

class DrawingState;

class SubmenuWindowController : public ui::AnchoredPanelController {
public:
    static constexpr double kFallbackWidth = 34;

    SubmenuRoot* root() const { return root_; }
    void place() override;

protected:
    // As if it opened now, towards the side the toolbar opens to where it
    // stands now.
    void placeAgain() override;

    // `isOpen` receives false on a later turn after the panel closed. Not
    // shown on creation.
    SubmenuWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                            std::function<void(bool)> isOpen, SubmenuRoot::Family family);

private:
    std::weak_ptr<DrawingState> state_;
    SubmenuRoot* root_ = nullptr;
};

class PenSubmenuWindowController final : public SubmenuWindowController {
public:
    PenSubmenuWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                               std::function<void(bool)> isOpen)
        : SubmenuWindowController(state, std::move(anchorRef), std::move(isOpen), SubmenuRoot::Family::pen) {}
};

class ShapeSubmenuWindowController final : public SubmenuWindowController {
public:
    ShapeSubmenuWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                                 std::function<void(bool)> isOpen)
        : SubmenuWindowController(state, std::move(anchorRef), std::move(isOpen), SubmenuRoot::Family::shape) {}
};
