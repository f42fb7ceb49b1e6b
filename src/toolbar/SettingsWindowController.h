#pragma once

#include "platform/Lifetime.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/AnchorRef.h"

#include <functional>
#include <memory>
#include <vector>

class DrawingState;

// The settings panel, dropped down from the tray icon. For now an empty
// panel: it opens under its anchor (or near the top of the main screen),
// registers as an open panel, and closes on Esc or a click outside it and
// outside its anchor.
class SettingsWindowController {
public:
    static constexpr double kWidth = 210;
    static constexpr double kHeight = 120;

    // `setOpen` receives false on a later turn after the panel closed.
    SettingsWindowController(const std::shared_ptr<DrawingState>& state, std::function<void(bool)> setOpen,
                             std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem);
    ~SettingsWindowController();

    platform::Window* window() const { return window_.get(); }

    void showWindow();
    // Closes the panel when it is shown.
    void closePanel();

private:
    void place();
    void removePanelMonitors();
    bool isOutside(const platform::Point& location) const;

    std::weak_ptr<DrawingState> state_;
    std::function<void(bool)> setOpen_;
    std::shared_ptr<AnchorRef> anchorRef_;
    bool anchoredToStatusItem_;
    platform::WindowPtr<> window_;
    std::vector<platform::Subscription> monitors;
    platform::Lifetime<SettingsWindowController> lifetime_{this};
};
