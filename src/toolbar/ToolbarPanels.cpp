// Opening, closing and dropping the toolbar's pop-up panels.

#include "toolbar/ToolbarPanels.h"

#include "colorpicker/ColorPickerWindowController.h"
#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/GIMPBrushPanelWindowController.h"
#include "toolbar/SubmenuWindowController.h"
#include "ui/PanelOpenDirection.h"

ToolbarPanels::ToolbarPanels(std::shared_ptr<DrawingState> state) : state_(std::move(state)) {}

ToolbarPanels::~ToolbarPanels() = default;

template <typename Controller, typename Make>
bool ToolbarPanels::toggle(std::unique_ptr<Controller>& controller, bool isOpen, Make make) {
    if (isOpen) {
        drop(controller);
        return false;
    }
    // A closed controller left from the last opening ends here.
    controller.reset();
    if (!state_) return false;
    std::unique_ptr<Controller> opened = make();
    opened->showWindow();
    controller = std::move(opened);
    return true;
}

template <typename Controller>
void ToolbarPanels::drop(std::unique_ptr<Controller>& controller) {
    // The open flag is left to the close routine.
    if (controller) controller->closePanel();
    controller.reset();
}

bool ToolbarPanels::toggle(ToolbarPanel panel, bool isOpen, std::shared_ptr<AnchorRef> anchor,
                           std::function<void(bool)> setOpen) {
    platform::assertMainThread("ToolbarPanels::toggle");
    switch (panel) {
    case ToolbarPanel::penSubmenu:
        return toggle(penSubmenu_, isOpen, [&] {
            return std::make_unique<PenSubmenuWindowController>(state_, std::move(anchor), std::move(setOpen));
        });
    case ToolbarPanel::shapeSubmenu:
        return toggle(shapeSubmenu_, isOpen, [&] {
            return std::make_unique<ShapeSubmenuWindowController>(state_, std::move(anchor), std::move(setOpen));
        });
    case ToolbarPanel::fontPicker:
        return toggle(fontPicker_, isOpen, [&] {
            return std::make_unique<FontPickerWindowController>(state_, std::move(anchor), std::move(setOpen));
        });
    case ToolbarPanel::gimpBrushPanel:
        return toggle(gimpBrushPanel_, isOpen, [&] {
            return std::make_unique<GIMPBrushPanelWindowController>(state_, std::move(anchor), std::move(setOpen));
        });
    case ToolbarPanel::colorPicker:
        return toggle(colorPicker_, isOpen, [&] {
            return std::make_unique<ColorPickerWindowController>(state_, std::move(anchor), std::move(setOpen),
                                                                 toolbarPanelDirection(*state_));
        });
    }
    return false;
}

void ToolbarPanels::drop(ToolbarPanel panel) {
    platform::assertMainThread("ToolbarPanels::drop");
    switch (panel) {
    case ToolbarPanel::penSubmenu: return drop(penSubmenu_);
    case ToolbarPanel::shapeSubmenu: return drop(shapeSubmenu_);
    case ToolbarPanel::fontPicker: return drop(fontPicker_);
    case ToolbarPanel::gimpBrushPanel: return drop(gimpBrushPanel_);
    case ToolbarPanel::colorPicker: return drop(colorPicker_);
    }
}
