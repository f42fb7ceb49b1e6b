#pragma once

// The base of the panels that open beside the control that opened them.

#include "platform/Dispatch.h"
#include "platform/Event.h"
#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/AnchorRef.h"
#include "ui/DismissBox.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

// Owns a pop-up panel's window and what every such panel does the same way:
// while shown it is listed in OpenPanelRegistry, Esc closes it (the key goes
// no further), and a click elsewhere in the application closes it and is
// consumed; a click inside the panel or within 6 points of its anchor is left
// alone (the anchor's control toggles the panel itself). Monitor handlers
// never close the panel themselves: they schedule the close, so the event in
// flight is finished first. After closing, and after destruction, no monitor
// and no registry entry is left.
//
// A derived panel builds its window and content (handing the content
// dismissBox()), then calls place(). Main thread only.
class AnchoredPanelController {
public:
    struct Options {
        // Seconds after showing before the click monitors join the panel's
        // recorded monitors. They watch from the start; until then closing
        // leaves them to the end of the hold, which removes them since the
        // panel is no longer visible (meanwhile they let every click pass).
        // 0: recorded at once.
        double clickMonitorHold = 0.2;
        // Clicks bound for other applications close the panel too (they
        // cannot be consumed).
        bool watchesOtherApplications = false;
    };

    // Clicks this close to the anchor belong to the anchor's control.
    static constexpr double kAnchorSlack = 6;

    // `setPanelIsOpen` receives false on a later turn after the panel closed.
    AnchoredPanelController(platform::WindowPtr<> window, std::shared_ptr<AnchorRef> anchorRef,
                            std::function<void(bool)> setPanelIsOpen, Options options);
    virtual ~AnchoredPanelController();

    AnchoredPanelController(const AnchoredPanelController&) = delete;
    AnchoredPanelController& operator=(const AnchoredPanelController&) = delete;

    platform::Window* window() const { return window_.get(); }
    const std::shared_ptr<AnchorRef>& anchorRef() const { return anchorRef_; }
    // For the content: closes this panel while it exists.
    const std::shared_ptr<DismissBox>& dismissBox() const { return dismissBox_; }

    // Sets the panel's frame beside its anchor, or at its fallback place.
    virtual void place() = 0;

    // Shows the panel, lists it as open, then installs its monitors.
    void showWindow();
    // When the panel is shown: leaves the registry, removes the recorded
    // monitors, closes the window and tells the owner on a later turn.
    // Does nothing on a panel that is not shown.
    void closePanel();

protected:
    // Centred on the main screen, its top 60 points below the top of the
    // visible area; without a main screen the frame stays as it is.
    void placeOnMainScreen(const platform::ScreenProvider& screens);

private:
    void installMonitors();
    void recordClickMonitors();
    void removePanelMonitors();
    void scheduleClose();
    bool leavesPanelOpen(const platform::Point& location) const;
    std::optional<platform::Event> handleEscapeKey(const platform::Event& event);
    std::optional<platform::Event> handleOutsideClick(const platform::Event& event);

    platform::WindowPtr<> window_;
    std::shared_ptr<AnchorRef> anchorRef_;
    std::function<void(bool)> setPanelIsOpen_;
    Options options_;
    std::shared_ptr<DismissBox> dismissBox_;
    std::vector<platform::Subscription> monitors;
    // Click monitors installed but not yet recorded.
    std::vector<platform::Subscription> heldClickMonitors_;
    platform::DispatchHandle hold_;
    platform::Lifetime<AnchoredPanelController> lifetime_{this};
};

} // namespace ui
