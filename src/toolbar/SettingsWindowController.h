#pragma once

#include "ui/AnchoredPanelController.h"

#include <functional>
#include <memory>

class DrawingState;

// The settings panel, dropped down from the tray icon. For now an empty
// panel: it opens under its anchor (or near the top of the main screen),
// registers as an open panel, and closes on Esc or a click outside it and
// outside its anchor, in this application or another.
class SettingsWindowController : public ui::AnchoredPanelController {
public:
    static constexpr double kWidth = 210;
    static constexpr double kHeight = 120;

    // `setOpen` receives false on a later turn after the panel closed.
    SettingsWindowController(const std::shared_ptr<DrawingState>& state, std::function<void(bool)> setOpen,
                             std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem);

    void place() override;

private:
    std::weak_ptr<DrawingState> state_;
    bool anchoredToStatusItem_;
};
