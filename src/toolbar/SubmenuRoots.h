#pragma once

// The pen and shape submenus' content: the family's tools but the one on
// its toolbar slot. Picking one puts it first in the family's saved order
// (so the slot shows it), selects it and closes the submenu.

#include "toolbar/SubmenuContainer.h"
#include "ui/DismissBox.h"

#include <memory>

class SubmenuRoot : public SubmenuContainer {
public:
    enum class Family { pen, shape };

    SubmenuRoot(const std::shared_ptr<DrawingState>& state, std::shared_ptr<DismissBox> dismissBox, Family family,
                QWidget* parent = nullptr);

    Family family() const { return family_; }
    void select(DrawingTool tool);

private:
    platform::Published<std::vector<DrawingTool>>& order() const;
    void rebuild();

    std::shared_ptr<DrawingState> state_;
    std::shared_ptr<DismissBox> dismissBox_;
    Family family_;
    ui::Bindings bindings_;
};

class PenSubmenuRoot final : public SubmenuRoot {
public:
    PenSubmenuRoot(const std::shared_ptr<DrawingState>& state, std::shared_ptr<DismissBox> dismissBox,
                   QWidget* parent = nullptr)
        : SubmenuRoot(state, std::move(dismissBox), Family::pen, parent) {}
};

class ShapeSubmenuRoot final : public SubmenuRoot {
public:
    ShapeSubmenuRoot(const std::shared_ptr<DrawingState>& state, std::shared_ptr<DismissBox> dismissBox,
                     QWidget* parent = nullptr)
        : SubmenuRoot(state, std::move(dismissBox), Family::shape, parent) {}
};
