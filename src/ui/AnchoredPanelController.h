#pragma once

// The base of the panels that open beside the control that opened them.

#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "ui/AnchorRef.h"
#include "ui/AnchoredPanelPlacement.h"
#include "ui/PanelController.h"
#include "ui/PanelKeyboard.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace ui {

// A pop-up panel (PanelController) placed beside the control that opened
// it, its anchor: a click within 6 points of the anchor is also left alone
// (the anchor's control toggles the panel itself). The panel's text fields
// get the keyboard through its PanelKeyboard; while one has it, Esc is the
// field's. It may follow its content's height and keeps on its display,
// never taller than the display's visible frame: a taller content scrolls
// inside the panel.
//
// A derived panel makes its window with makePanelWindow(), hosts its root
// view with setContent() (handing the root dismissBox() when it closes
// itself), then places the panel, typically with placeBesideAnchor().
// Main thread only.
class AnchoredPanelController : public PanelController {
public:
    // Clicks this close to the anchor belong to the anchor's control.
    static constexpr double kAnchorSlack = 6;
    // Content heights up to this are taken for a content not laid out yet.
    static constexpr double kMinimumTrackedHeight = 10;

    // `setPanelIsOpen` receives false on a later turn after the panel closed.
    AnchoredPanelController(platform::WindowPtr<> window, std::shared_ptr<AnchorRef> anchorRef,
                            std::function<void(bool)> setPanelIsOpen, Options options);
    ~AnchoredPanelController() override;

    AnchoredPanelController(const AnchoredPanelController&) = delete;
    AnchoredPanelController& operator=(const AnchoredPanelController&) = delete;

    const std::shared_ptr<AnchorRef>& anchorRef() const { return anchorRef_; }
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

    // The content asks for `height`: a shown panel takes it, up to its
    // display's height, keeping the edge that touches the toolbar, and stays
    // on its display. Nothing while the panel is not shown.
    void resizeToContent(double height);

    // The height the content asks for (the panel's own may be less: the
    // content then scrolls).
    double contentHeight() const { return contentHeight_; }

    // The visible frame of the display the panel was placed on; none before
    // it was placed there.
    const std::optional<platform::Rect>& displayFrame() const { return displayFrame_; }

    // Whether the panel stands away from its own rule's place, moved there to
    // stay on its display.
    bool isDisplaced() const { return displaced_; }
    // Whether it goes back to that place as soon as the pointer leaves it.
    bool returnsOncePointerLeaves() const { return returnPending_; }

protected:
    // Shown: the fields may take the keyboard, and the panel starts
    // following its content's height (when it does).
    void didShow() override;
    // The keyboard goes back.
    void willClose() override;
    bool leavesEscape() const override;
    bool leavesPanelOpen(const platform::Event& event) const override;

    // Makes `root` the panel's content (in the kit's scroller) and fits the
    // panel to it once: `width` wide, as high as the root asks to be at that
    // width. Returns that height. `corners`: the chrome's corners, where the
    // root is not a PanelChrome.
    double setContent(QWidget* root, double width, std::function<PanelChrome::Corners()> corners = {});
    // While shown, the panel follows its content's height, growing away from
    // the toolbar on the side it opened to.
    void followContentHeight(PanelOpenDirection direction);
    // The content now asks for `height`: the panel takes it, up to its
    // display's height, keeping its top edge (its bottom edge when it opens
    // `above`) and staying on its display. A panel moved away from its
    // rule's place to stay on its display goes back there once it fits there
    // (when the pointer is not in it).
    void fitContentHeight(double height, PanelOpenDirection direction);

    // A panel's own rule: the origin of a panel of a size; none when it has
    // no place (the panel then stays where it is).
    using Formula = std::function<std::optional<platform::Point>(platform::Size)>;
    // Puts the panel where `formula` says, as tall as its content asks up to
    // the height of `display` (the visible frame of the display it goes on),
    // and inside that frame. The formula is kept: the panel goes back to it
    // once it fits there again after its height changed.
    void placeBy(Formula formula, std::optional<platform::Rect> display);
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
    // `frame` moved inside the display's visible frame, when there is one.
    platform::Rect keptOnDisplay(const platform::Rect& frame) const;

    // Placed again after its display changed, as if it opened now: by
    // default by place().
    void placeAgain() override { place(); }
    // The panel now opens to `direction` of its anchor: its chrome's square
    // side and the way it follows its content turn with it.
    void openTowards(PanelOpenDirection direction);
    // A return waiting for the pointer happens now.
    void pointerLeft() override;

private:
    class ContentWatcher;

    void contentLayoutChanged();
    // Back to the formula's place, now or once the pointer has left, when
    // the panel fits there and stands elsewhere.
    void considerReturn();

    std::shared_ptr<AnchorRef> anchorRef_;
    std::unique_ptr<PanelKeyboard> keyboard_;
    QPointer<QWidget> content_;
    double contentWidth_ = 0;
    double contentHeight_ = 0;
    std::optional<PanelOpenDirection> growth_;
    std::optional<platform::Rect> displayFrame_;
    Formula formula_;
    bool displaced_ = false;
    bool returnPending_ = false;
    std::unique_ptr<ContentWatcher> contentWatcher_;
    platform::Lifetime<AnchoredPanelController> lifetime_{this};
};

} // namespace ui
