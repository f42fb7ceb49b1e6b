#pragma once

// The brush panel: 240 points wide, under or over a horizontal toolbar
// centred on the brush slot, or beside a vertical one centred on the slot's
// height. While it is open it watches the brush list and, 80 milliseconds
// after the number of brushes changed, fits its height to the content again,
// keeping the edge that touches the toolbar.

#include "platform/Dispatch.h"
#include "platform/Lifetime.h"
#include "platform/Subscription.h"
#include "ui/AnchoredPanelController.h"
#include "ui/Bindings.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

class DrawingState;
class GIMPBrushPanelRoot;

class GIMPBrushPanelWindowController final : public ui::AnchoredPanelController {
public:
    static constexpr double kWidth = 240;
    // Lets the list lay out its new rows before the panel is fitted.
    static constexpr double kRefitDelay = 0.08;

    // `isOpen` receives false on a later turn after the panel closed. Not
    // shown on creation.
    GIMPBrushPanelWindowController(const std::shared_ptr<DrawingState>& state, std::shared_ptr<AnchorRef> anchorRef,
                                   std::function<void(bool)> isOpen);
    ~GIMPBrushPanelWindowController() override;

    GIMPBrushPanelRoot* root() const { return root_; }
    PanelOpenDirection direction() const { return direction_; }
    void place() override;

    // Shows the panel as every anchored panel is shown, then starts watching
    // the brush list. Closing the panel, however it happens, ends the watch.
    void showWindow();

    // (Re)starts the watch.
    void startObservingState();
    bool isObservingState() const { return observation_.size() > 0; }
    // A re-fit is waiting for the content to settle.
    bool isRefitPending() const { return pendingRefit_.isPending(); }
    // Fits the panel's height to the content at the panel's width, when it
    // differs by more than a point; the edge on the toolbar stays put.
    void repositionToContent();

protected:
    // As if it opened now, towards the side the toolbar opens to where it
    // stands now.
    void placeAgain() override;

private:
    void stopObservingState();
    // Something that may change the content's height changed.
    void contentMayHaveChanged();

    std::weak_ptr<DrawingState> observedState_;
    PanelOpenDirection direction_;
    GIMPBrushPanelRoot* root_;
    ui::Bindings observation_;
    std::size_t lastCount_ = 0;
    platform::DispatchHandle pendingRefit_;
    platform::Subscription closeSubscription_;
    platform::Lifetime<GIMPBrushPanelWindowController> lifetime_{this};
};
