#pragma once

// The controllers of the toolbar's five pop-up panels.

#include "ui/AnchorRef.h"

#include <functional>
#include <memory>

class ColorPickerWindowController;
class DrawingState;
class FontPickerWindowController;
class GIMPBrushPanelWindowController;
class PenSubmenuWindowController;
class ShapeSubmenuWindowController;

enum class ToolbarPanel { colorPicker, penSubmenu, fontPicker, shapeSubmenu, gimpBrushPanel };

// Owns the panel controllers the toolbar's controls open: none before a
// panel's first opening, a new one for every opening, and a closed one kept
// until the next toggle drops it. Owned by the toolbar's window controller,
// which ends them before the toolbar's controls. Main thread only.
class ToolbarPanels {
public:
    explicit ToolbarPanels(std::shared_ptr<DrawingState> state);
    ~ToolbarPanels();

    ToolbarPanels(const ToolbarPanels&) = delete;
    ToolbarPanels& operator=(const ToolbarPanels&) = delete;

    // While `isOpen`, closes the panel and drops its controller (the close
    // routine clears the flag on a later turn) and answers false; otherwise
    // drops any old controller, opens a new panel beside `anchor` that calls
    // `setOpen(false)` once it has closed, and answers whether it opened.
    bool toggle(ToolbarPanel panel, bool isOpen, std::shared_ptr<AnchorRef> anchor, std::function<void(bool)> setOpen);
    // Closes the panel, if open, and drops its controller.
    void drop(ToolbarPanel panel);

    PenSubmenuWindowController* penSubmenu() const { return penSubmenu_.get(); }
    ShapeSubmenuWindowController* shapeSubmenu() const { return shapeSubmenu_.get(); }
    FontPickerWindowController* fontPicker() const { return fontPicker_.get(); }
    GIMPBrushPanelWindowController* gimpBrushPanel() const { return gimpBrushPanel_.get(); }
    ColorPickerWindowController* colorPicker() const { return colorPicker_.get(); }

private:
    template <typename Controller, typename Make>
    bool toggle(std::unique_ptr<Controller>& controller, bool isOpen, Make make);
    template <typename Controller>
    static void drop(std::unique_ptr<Controller>& controller);

    std::shared_ptr<DrawingState> state_;
    std::unique_ptr<PenSubmenuWindowController> penSubmenu_;
    std::unique_ptr<ShapeSubmenuWindowController> shapeSubmenu_;
    std::unique_ptr<FontPickerWindowController> fontPicker_;
    std::unique_ptr<GIMPBrushPanelWindowController> gimpBrushPanel_;
    std::unique_ptr<ColorPickerWindowController> colorPicker_;
};
