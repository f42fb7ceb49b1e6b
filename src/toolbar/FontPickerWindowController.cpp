// The font picker's panel.
#include "toolbar/FontPickerWindowController.h"

#include "model/DrawingState.h"
#include "toolbar/FontPickerRoot.h"

FontPickerWindowController::FontPickerWindowController(const std::shared_ptr<DrawingState>& state,
                                                       std::shared_ptr<AnchorRef> anchorRef,
                                                       std::function<void(bool)> isOpen)
    : AnchoredPanelController(makePanelWindow(QStringLiteral("Overink Fonts"), kWidth), std::move(anchorRef),
                              std::move(isOpen), Options{}),
      state_(state),
      direction_(toolbarPanelDirection(*state)),
      root_(new FontPickerRoot(state)) {
    platform::assertMainThread("FontPickerWindowController");
    window()->widget()->setAccessibleName(QStringLiteral("Font picker"));
    setContent(root_, kWidth);
    followContentHeight(direction_);
    place();
    followDisplays(state->screenProvider());
}

void FontPickerWindowController::place() {
    const auto state = state_.lock();
    if (!state) return;
    placeBesideAnchor(direction_, ui::PanelAlignment::fromAnchorMinX(kAnchorOffset), state->screenProvider());
}

void FontPickerWindowController::placeAgain() {
    const auto state = state_.lock();
    if (!state) return;
    direction_ = toolbarPanelDirection(*state);
    openTowards(direction_);
    place();
}
