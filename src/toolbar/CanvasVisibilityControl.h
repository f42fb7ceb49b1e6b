#pragma once

// The show/hide control: a button that hides or shows every overlay, or,
// while drawings lie on two or more displays, a menu of the same look that
// also shows or hides each of those displays.

#include "ui/PanelOpenDirection.h"
#include "ui/SymbolButton.h"

#include <QMenu>
#include <QPointer>

#include <memory>

class DrawingState;

class CanvasVisibilityControl : public SymbolButton {
public:
    explicit CanvasVisibilityControl(const std::shared_ptr<DrawingState>& state, QWidget* parent = nullptr);
    ~CanvasVisibilityControl() override;

    // Re-derives the form and look from the state.
    void refresh(bool showTooltips, PanelOpenDirection direction);
    bool isMenu() const { return isMenu_; }

    // The menu as it would open now (for the menu form), filled afresh.
    QMenu* buildMenu();
    QMenu* menu() const { return menu_; }
    // Where a menu of `size` pops up (screen space): clear of the toolbar
    // window on the side its panels open to, on the control's display.
    platform::Rect menuFrame(QSize size) const;

private:
    void clickedNow();
    void popUpMenu();

    std::weak_ptr<DrawingState> state_;
    bool isMenu_ = false;
    PanelOpenDirection direction_ = PanelOpenDirection::below;
    QPointer<QMenu> menu_;
};
