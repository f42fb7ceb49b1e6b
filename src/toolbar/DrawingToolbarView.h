#pragma once

// The toolbar: show/hide, lock and pin | the tool slots | the colour swatch |
// the width icon, slider and value | redo, undo, clear all | capture, laid
// out across or down by the dock position, on a rounded panel of the
// theme's material; a toolbar longer than its screen allows breaks into
// lines side by side. Every control follows the drawing state; the
// toolbar's own state is which of its panels are open and the anchors they
// open from.

#include "model/DrawingTool.h"
#include "platform/Published.h"
#include "toolbar/ToolbarPanels.h"
#include "ui/AnchorRef.h"
#include "ui/AnchoredPanelController.h"
#include "ui/Bindings.h"
#include "ui/DeferredRefresh.h"
#include "ui/PanelOpenDirection.h"

#include <QBoxLayout>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class CanvasVisibilityControl;
class ColorSwatchView;
class DrawingState;
class SymbolButton;
class TextToolSlot;
class ThicknessValue;
class ToolButton;
class ToolSlotView;
class ToolbarPanels;
class WidthIcon;
class WidthSlider;

// A divider between groups: an 18-point line across the stacking axis with a
// point of room on each side along it.
class GroupDivider : public QWidget {
public:
    explicit GroupDivider(QWidget* parent = nullptr);
    // Vertical toolbar: a horizontal line.
    void setVerticalToolbar(bool vertical);
    bool isVerticalToolbar() const { return vertical_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool vertical_ = false;
};

class DrawingToolbarView : public QWidget {
public:
    // Its controls open their panels through `panels`, which outlives it.
    DrawingToolbarView(std::shared_ptr<DrawingState> state, ToolbarPanels& panels, QWidget* parent = nullptr);
    ~DrawingToolbarView() override;

    // ---- The toolbar's own state ----
    // Which panel is open; each panel clears its flag when it closes.
    platform::Published<bool> colorPickerIsOpen{false};
    platform::Published<bool> penSubmenuIsOpen{false};
    platform::Published<bool> fontPickerIsOpen{false};
    platform::Published<bool> shapeSubmenuIsOpen{false};
    platform::Published<bool> gimpBrushPanelIsOpen{false};
    // Where each panel opens from; one per control.
    const std::shared_ptr<AnchorRef> swatchRef = std::make_shared<AnchorRef>();
    const std::shared_ptr<AnchorRef> penRef = std::make_shared<AnchorRef>();
    const std::shared_ptr<AnchorRef> fontRef = std::make_shared<AnchorRef>();
    const std::shared_ptr<AnchorRef> shapeRef = std::make_shared<AnchorRef>();
    const std::shared_ptr<AnchorRef> gimpBrushRef = std::make_shared<AnchorRef>();

    // ---- Actions ----
    void selectTool(DrawingTool tool);
    void selectPenFamilyTool(DrawingTool tool);
    void selectShapeFamilyTool(DrawingTool tool);
    void selectGIMPBrushTool();
    // Each toggles its panel: closes it while its open flag is set,
    // otherwise opens a new one beside its control.
    void openPenSubmenu();
    void openShapeSubmenu();
    void openGIMPBrushPanel();
    void openFontPicker();
    void toggleColorPicker();
    enum class StateAction { redo, undo, clearAll };
    void performStateAction(StateAction action);
    void requestScreenCapture();
    // A tool chosen (from here or elsewhere) while the overlays are hidden
    // brings them back.
    void selectedToolChanged(std::optional<DrawingTool> tool);

    // The panels' controllers.
    ToolbarPanels& panels() const { return panels_; }

    // Derives every control's form from the state now (otherwise done on the
    // turn after each change).
    void refresh();

    bool isVerticalLayout() const { return vertical_; }
    PanelOpenDirection direction() const { return direction_; }
    // The laid-out items, first to last (the width control as its three
    // parts); a divider where the toolbar breaks into lines is hidden.
    std::vector<QWidget*> itemWidgets() const { return items_; }

    // The longest the toolbar may be along its stacking axis, paddings
    // included (its screen's visible length less the margins); none:
    // unlimited. A longer toolbar breaks into lines.
    void setMaxLength(std::optional<double> length);
    std::optional<double> maxLength() const { return maxLength_; }
    // The index of each line's first item; {0}: one line.
    const std::vector<std::size_t>& lineStarts() const { return lineStarts_; }

    // ---- Controls ----
    CanvasVisibilityControl* canvasControl() const { return canvas_; }
    SymbolButton* lockButton() const { return lock_; }
    SymbolButton* pinButton() const { return pin_; }
    ToolSlotView* penSlot() const { return penSlot_; }
    ToolSlotView* gimpBrushSlot() const { return gimpSlot_; }
    ToolSlotView* shapeSlot() const { return shapeSlot_; }
    TextToolSlot* textSlot() const { return textSlot_; }
    // line, arrow, eraser.
    const std::vector<ToolButton*>& toolButtons() const { return toolButtons_; }
    ColorSwatchView* swatch() const { return swatch_; }
    WidthSlider* widthSlider() const { return slider_; }
    ThicknessValue* thicknessValue() const { return value_; }
    SymbolButton* redoButton() const { return redo_; }
    SymbolButton* undoButton() const { return undo_; }
    SymbolButton* clearButton() const { return clear_; }
    SymbolButton* captureButton() const { return capture_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build();
    void addItem(QWidget* item);
    // Breaks the items into lines for the orientation and the longest
    // length, and lays them out.
    void arrangeLines();
    QWidget* makeToolSlot(DrawingTool tool);
    SymbolButton* makeActionButton(const QString& symbol, std::function<void()> action);
    void applyDockPosition();
    void follow();
    // `control`: the control the panel opens from, whose chip would cover it.
    void togglePanel(ToolbarPanel panel, platform::Published<bool>& isOpen, const std::shared_ptr<AnchorRef>& anchor,
                     QWidget* control);
    // Sets `isOpen` while this view exists.
    std::function<void(bool)> openFlagSetter(platform::Published<bool>& isOpen);

    std::shared_ptr<DrawingState> state_;
    ToolbarPanels& panels_;
    // Across the stacking axis: the lines, each a box of items along it.
    QBoxLayout* layout_;
    std::vector<QWidget*> items_;
    std::optional<double> maxLength_;
    std::vector<std::size_t> lineStarts_{0};
    bool vertical_ = false;
    bool layoutApplied_ = false;
    PanelOpenDirection direction_ = PanelOpenDirection::below;

    CanvasVisibilityControl* canvas_ = nullptr;
    SymbolButton* lock_ = nullptr;
    SymbolButton* pin_ = nullptr;
    std::vector<GroupDivider*> dividers_;
    ToolSlotView* penSlot_ = nullptr;
    ToolSlotView* gimpSlot_ = nullptr;
    ToolSlotView* shapeSlot_ = nullptr;
    TextToolSlot* textSlot_ = nullptr;
    std::vector<ToolButton*> toolButtons_;
    ColorSwatchView* swatch_ = nullptr;
    WidthIcon* widthIcon_ = nullptr;
    WidthSlider* slider_ = nullptr;
    ThicknessValue* value_ = nullptr;
    SymbolButton* redo_ = nullptr;
    SymbolButton* undo_ = nullptr;
    SymbolButton* clear_ = nullptr;
    SymbolButton* capture_ = nullptr;

    std::optional<DrawingTool> lastSelectedTool_;
    ui::DeferredRefresh refreshLater_{this, [this] { refresh(); }};
    ui::Bindings bindings_;
};
