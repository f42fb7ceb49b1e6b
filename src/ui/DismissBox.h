#pragma once

// The way a panel's content closes its own panel.

#include <functional>

// Made empty with the panel; the panel's controller fills `dismiss` with a
// closure that holds the controller weakly, and the content calls it after
// the user's choice. A box that outlives its controller does nothing. Every
// panel hands its content one (ui::PanelController::dismissBox()).
class DismissBox {
public:
    std::function<void()> dismiss;

    void operator()() const {
        if (dismiss) dismiss();
    }
};

// The information panels' name for the same box.
using DismissRef = DismissBox;
