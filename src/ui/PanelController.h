#pragma once

// The base of every pop-up panel: its window, its place among the open
// panels, its Esc, its outside clicks and its closing.

#include "platform/Dispatch.h"
#include "platform/Event.h"
#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/DismissBox.h"
#include "ui/PanelChrome.h"

#include <QPoint>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace ui {

// Owns a pop-up panel's window and what every panel does the same way:
// while shown it is listed in OpenPanelRegistry and Esc (with any modifiers)
// closes it and goes no further; unless the panel opts out, a click
// elsewhere in the application closes it and is consumed, while a click
// inside the panel or in one of its pop-ups (a menu of its content) is left
// alone. Clicks in other applications are not watched unless the panel
// asks. Monitor handlers never close the panel themselves: they schedule
// the close, so the event in flight is finished first. After closing, and
// after destruction, no monitor and no registry entry is left. The content
// closes its panel through dismissBox(). A panel that follows its displays
// is placed again when the display it stands on changes, as if it opened
// then, but never from under the pointer. Main thread only.
class PanelScroller;

class PanelController {
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
        // Clicks elsewhere close the panel; without, it stays until Esc, its
        // content or its owner closes it.
        bool closesOnOutsideClick = true;
    };

    // A borderless, clear, shadowless panel at the panel level, `width` wide,
    // that takes the keyboard only when asked and, without a compositing
    // manager, takes clicks on its painted pixels only (never holding the
    // pointer). Not shown.
    static platform::WindowPtr<> makePanelWindow(const QString& title, double width, double height = 100);

    // `setPanelIsOpen` receives false on a later turn after the panel closed.
    PanelController(platform::WindowPtr<> window, std::function<void(bool)> setPanelIsOpen, Options options);
    virtual ~PanelController();

    PanelController(const PanelController&) = delete;
    PanelController& operator=(const PanelController&) = delete;

    platform::Window* window() const { return window_.get(); }
    // For the content: closes this panel while it exists.
    const std::shared_ptr<DismissBox>& dismissBox() const { return dismissBox_; }

    // Brings the panel forward, lists it as open and installs its monitors.
    void showWindow();
    // When the panel is shown: leaves the registry, removes the recorded
    // monitors, closes the window and tells the owner on a later turn. Does
    // nothing on a panel that is not shown.
    void closePanel();

    // The scroller the panel's root stands in; none before hostContent().
    PanelScroller* scroller() const;

    // Whether the displays changed while the pointer was in the panel, which
    // is then placed again as soon as the pointer leaves.
    bool placesAgainOncePointerLeaves() const { return placeAgainPending_; }

protected:
    // Makes `root` the window's content inside the kit's scroller, so that
    // the panel may be shorter than its root asks: the root then scrolls
    // inside the chrome, whose corners `corners` gives. Returns the scroller.
    PanelScroller* hostContent(QWidget* root, std::function<PanelChrome::Corners()> corners);

    // Shows the window; by default without making it key.
    virtual void bringForward();
    // Once shown and watched.
    virtual void didShow() {}
    // While shown, as the panel closes, before its monitors go.
    virtual void willClose() {}
    // Whether Esc is left to something of the panel's (a field typing).
    virtual bool leavesEscape() const { return false; }
    // Whether a click leaves the panel open: by default one in the panel or
    // in one of its pop-ups.
    virtual bool leavesPanelOpen(const platform::Event& event) const;

    // While the panel is shown, a change of `screens` (a desktop panel took
    // or gave back an edge, a screen was resized, split or merged) places it
    // again through placeAgain() on a later turn, once what else follows the
    // displays (the toolbar it hangs from) has moved; while the pointer is in
    // the panel, once it has left, so that no control moves under it.
    void followDisplays(platform::ScreenProvider& screens);
    // Places the panel as if it opened now; by default it stays.
    virtual void placeAgain() {}

    // Whether the pointer is over the panel now. A pointer that the panel's
    // frame left behind (holdPointer()) counts as inside until it moves.
    virtual bool pointerInside() const;
    // The panel's frame is about to change: a pointer in it now still counts
    // as inside once the panel has shrunk from under it, until it moves.
    void holdPointer();
    // pointerLeft() runs once the pointer has left the panel and no pop-up
    // of its content is open.
    void waitForPointerToLeave();
    virtual void pointerLeft() {}

private:
    class PointerWatch;

    void installMonitors();
    void recordClickMonitors();
    void removePanelMonitors();
    void scheduleClose();
    void displaysChanged();
    void pointerMayHaveLeft();
    // Hears the pointer move while it is held outside the frame: nothing
    // else tells when it goes, since it left the window without moving.
    void watchHeldPointer();
    void stopWaitingForPointer();
    std::optional<platform::Event> handleEscapeKey(const platform::Event& event);
    std::optional<platform::Event> handleOutsideClick(const platform::Event& event);

    platform::WindowPtr<> window_;
    QPointer<QWidget> scroller_;
    std::function<void(bool)> setPanelIsOpen_;
    Options options_;
    std::shared_ptr<DismissBox> dismissBox_;
    std::vector<platform::Subscription> monitors_;
    // Click monitors installed but not yet recorded.
    std::vector<platform::Subscription> heldClickMonitors_;
    platform::DispatchHandle hold_;
    platform::Subscription displaysWatch_;
    bool placeAgainPending_ = false;
    bool awaitsPointer_ = false;
    mutable std::optional<QPoint> heldPointer_;
    std::unique_ptr<PointerWatch> pointerWatch_;
    std::vector<platform::Subscription> heldPointerMonitors_;
    platform::Lifetime<PanelController> lifetime_{this};
};

} // namespace ui
