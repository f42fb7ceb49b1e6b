// The colour picker's panel.
#include "colorpicker/ColorPickerWindowController.h"

#include "colorpicker/ColorPickerPanel.h"
#include "colorpicker/ColorPickerRoot.h"
#include "model/DrawingState.h"
#include "platform/NotificationCenter.h"
#include "ui/NotificationNames.h"

ColorPickerWindowController::ColorPickerWindowController(const std::shared_ptr<DrawingState>& state,
                                                         std::shared_ptr<AnchorRef> anchorRef,
                                                         std::function<void(bool)> isOpen, PanelOpenDirection direction)
    : AnchoredPanelController(makePanelWindow(QStringLiteral("Overink Colors"), kWidth), std::move(anchorRef),
                              std::move(isOpen), Options{}),
      state_(state),
      direction_(direction),
      root_(new ColorPickerRoot(state, direction, dismissBox())) {
    platform::assertMainThread("ColorPickerWindowController");
    window()->widget()->setAccessibleName(QStringLiteral("Color picker"));
    setContent(root_, kWidth);
    followContentHeight(direction_);
    place();
    followDisplays(state->screenProvider());
    installKeyGateObservers();
}

ColorPickerWindowController::~ColorPickerWindowController() {
    platform::assertMainThread("~ColorPickerWindowController");
    lifetime_.end();
    keyGateObservers_.clear();
}

ColorPickerPanel* ColorPickerWindowController::panel() const { return root_->panel(); }

void ColorPickerWindowController::place() {
    const auto state = state_.lock();
    if (!state) return;
    // Centred on the swatch along a horizontal toolbar, on the toolbar's
    // middle beside a vertical one.
    placeBesideAnchor(direction_, ui::PanelAlignment{std::nullopt, true}, state->screenProvider());
}

void ColorPickerWindowController::placeAgain() {
    const auto state = state_.lock();
    if (!state) return;
    direction_ = toolbarPanelDirection(*state);
    openTowards(direction_);
    place();
}

// Kept for the controller's life: the keyboard is only ever taken while the
// panel is shown, and given back when it closes.
void ColorPickerWindowController::installKeyGateObservers() {
    if (!keyGateObservers_.empty()) return;
    auto& center = platform::NotificationCenter::defaultCenter();
    const auto weak = lifetime_.ref();
    keyGateObservers_.push_back(center.addObserver(Notifications::colorPickerRequestKey, [weak](const auto&) {
        platform::assertMainThread("colour picker key request");
        if (ColorPickerWindowController* self = weak.get()) self->acceptKeyRequest();
    }));
    keyGateObservers_.push_back(center.addObserver(Notifications::colorPickerResignKey, [weak](const auto&) {
        platform::assertMainThread("colour picker key resign");
        if (ColorPickerWindowController* self = weak.get()) self->resignKeyRequest();
    }));
}

void ColorPickerWindowController::acceptKeyRequest() {
    // Nothing while the panel is hidden.
    keyboard().takeKeyboard();
}

void ColorPickerWindowController::resignKeyRequest() { keyboard().giveKeyboardBack(); }
