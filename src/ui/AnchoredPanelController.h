#pragma once

// The base of the panels that open beside the control that opened them.

#include "platform/Dispatch.h"
#include "platform/Event.h"
#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/AnchorRef.h"
#include "ui/AnchoredPanelPlacement.h"
#include "ui/DismissBox.h"
#include "ui/PanelKeyboard.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace ui {

// Owns a pop-up panel's window and what every such panel does the same way:
// while shown it is listed in OpenPanelRegistry, Esc (with any modifiers)
// closes it and goes no further, and a click elsewhere in the application
// closes it and is consumed; a click inside the panel, in one of its
// pop-ups (a menu of its content) or within 6 points of its anchor is left
// alone (the anchor's control toggles the panel itself).
// Clicks in other applications are not watched unless the panel asks.
// Monitor handlers never close the panel themselves: they schedule the
// close, so the event in flight is finished first. After closing, and after
// destruction, no monitor and no registry entry is left. The panel's text
// fields get the keyboard through its PanelKeyboard; while one has it, Esc
// is the field's.
//
// A derived panel makes its window with makePanelWindow(), hosts its root
// view with setContent() (handing the root dismissBox() when it closes
// itself), then places the panel, typically with placeBesideAnchor().
// Main thread only.
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
    // Content heights up to this are taken for a content not laid out yet.
    static constexpr double kMinimumTrackedHeight = 10;

    // A borderless, clear, shadowless panel at the panel level, `width` wide,
    // that takes the keyboard only when asked and, without a compositing
    // manager, takes clicks on its painted pixels only (never holding the
    // pointer). Not shown.
    static platform::WindowPtr<> makePanelWindow(const QString& title, double width, double height = 100);

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
    PanelKeyboard& keyboard() const { return *keyboard_; }
    QWidget* content() const { return content_.data(); }

    // The control's rectangle and the frame of the window holding it (the
    // toolbar window), on screen; none when the anchor has no view or the
    // view is in no window.
    struct AnchorFrames {
        platform::Rect anchor;
        platform::Rect window;
    };
    std::optional<AnchorFrames> anchorFrames() const { return anchorFrames(anchorRef_.get()); }
    static std::optional<AnchorFrames> anchorFrames(const AnchorRef* anchorRef);

    // Sets the panel's frame beside its anchor, or at its fallback place.
    virtual void place() = 0;

    // Shows the panel without making it key, lists it as open, installs its
    // monitors, then starts following its content's height (when it does).
    void showWindow();
    // When the panel is shown: leaves the registry, gives the keyboard back,
    // removes the recorded monitors, closes the window and tells the owner
    // on a later turn. Does nothing on a panel that is not shown.
    void closePanel();

    // The content asks for `height`: a shown panel takes it, keeping the
    // edge that touches the toolbar, and stays on its display. Nothing while
    // the panel is not shown.
    void resizeToContent(double height);

    // The visible frame of the display the panel was placed on; none before
    // it was placed there.
    const std::optional<platform::Rect>& displayFrame() const { return displayFrame_; }

protected:
    // Makes `root` the panel's content and fits the panel to it once: `width`
    // wide, as high as the root asks to be at that width. Returns the height.
    double setContent(QWidget* root, double width);
    // While shown, the panel follows its content's height, growing away from
    // the toolbar on the side it opened to.
    void followContentHeight(PanelOpenDirection direction);

    // Against the toolbar window on `direction`'s side, lined up with the
    // control; without a usable anchor at the top of the main screen; with
    // neither, the frame stays as it is. Where that would leave it partly
    // off the visible frame of the anchor's display, it is moved inside.
    void placeBesideAnchor(PanelOpenDirection direction, PanelAlignment alignment,
                           const platform::ScreenProvider& screens);
    // Centred on the main screen, its top 60 points below the top of the
    // visible area, and inside that area; without a main screen the frame
    // stays as it is.
    void placeOnMainScreen(const platform::ScreenProvider& screens);
    // From now on the panel's frames are kept inside `visibleFrame`.
    void keepOnDisplay(std::optional<platform::Rect> visibleFrame) { displayFrame_ = visibleFrame; }
    // `frame` moved inside the display's visible frame, when there is one.
    platform::Rect keptOnDisplay(const platform::Rect& frame) const;

private:
    class ContentWatcher;

    void installMonitors();
    void recordClickMonitors();
    void removePanelMonitors();
    void scheduleClose();
    void contentLayoutChanged();
    bool leavesPanelOpen(const platform::Event& event) const;
    std::optional<platform::Event> handleEscapeKey(const platform::Event& event);
    std::optional<platform::Event> handleOutsideClick(const platform::Event& event);

    platform::WindowPtr<> window_;
    std::shared_ptr<AnchorRef> anchorRef_;
    std::function<void(bool)> setPanelIsOpen_;
    Options options_;
    std::shared_ptr<DismissBox> dismissBox_;
    std::vector<platform::Subscription> monitors_;
    // Click monitors installed but not yet recorded.
    std::vector<platform::Subscription> heldClickMonitors_;
    platform::DispatchHandle hold_;
    std::unique_ptr<PanelKeyboard> keyboard_;
    QPointer<QWidget> content_;
    double contentWidth_ = 0;
    std::optional<PanelOpenDirection> growth_;
    std::optional<platform::Rect> displayFrame_;
    std::unique_ptr<ContentWatcher> contentWatcher_;
    platform::Lifetime<AnchoredPanelController> lifetime_{this};
};

} // namespace ui
