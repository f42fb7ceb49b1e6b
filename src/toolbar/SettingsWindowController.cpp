// The settings panel dropped down from the tray icon.
#include "toolbar/SettingsWindowController.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "toolbar/SettingsPanelRoot.h"

#include <algorithm>

namespace {

ui::AnchoredPanelController::Options settingsPanelOptions() {
    ui::AnchoredPanelController::Options options;
    // The tray icon belongs to the tray host: clicks elsewhere on the
    // desktop close the panel too.
    options.watchesOtherApplications = true;
    return options;
}

} // namespace

SettingsWindowController::SettingsWindowController(const std::shared_ptr<DrawingState>& state,
                                                   std::function<void(bool)> isOpen,
                                                   std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem,
                                                   SettingsPanelServices services)
    : AnchoredPanelController(makePanelWindow(QStringLiteral("Overink Settings"), kWidth), std::move(anchorRef),
                              std::move(isOpen), settingsPanelOptions()),
      state_(state),
      anchoredToStatusItem_(anchoredToStatusItem) {
    platform::assertMainThread("SettingsWindowController");
    window()->widget()->setAccessibleName(QStringLiteral("Overink settings"));
    root_ = new SettingsPanelRoot(state, dismissBox(), std::move(services));
    fittedHeight_ = setContent(root_, kWidth, [] {
        const double r = SettingsPanelRoot::kCornerRadius;
        return ui::PanelChrome::Corners{r, r, r, r};
    });
    // The smoothing section grows the content; the panel hangs from the
    // icon and grows downwards.
    followContentHeight(PanelOpenDirection::below);
    place();
    // Under the icon, on its display, whatever becomes of the displays.
    followDisplays(state->screenProvider());
}

platform::Point SettingsWindowController::originUnderStatusItem(const platform::Rect& anchor, double height,
                                                                const std::vector<platform::Screen>& screens) {
    double x = anchor.midX() - kWidth / 2;
    double y = anchor.minY() - height - kGap;
    const auto screen = std::find_if(screens.begin(), screens.end(),
                                     [&](const platform::Screen& s) { return s.frame.contains(anchor); });
    if (screen == screens.end()) return {x, y};
    // Wider or taller than the visible frame (never in practice: a taller
    // panel scrolls), it keeps its origin corner, the left and bottom edges,
    // on the frame, as a tooltip chip does.
    return platform::keptInside(platform::Rect(x, y, kWidth, height), screen->visibleFrame,
                                {platform::KeptEdge::minEdge, platform::KeptEdge::minEdge})
        .origin;
}

void SettingsWindowController::place() {
    const auto state = state_.lock();
    if (!state) return;
    const auto& screens = state->screenProvider();
    const auto anchor = anchorRef() ? anchorRef()->frameOnScreen() : std::nullopt;
    if (anchoredToStatusItem_ && anchor) {
        // As its content grows it stays on the icon's display.
        placeBy([icon = *anchor, list = screens.screens()](
                    platform::Size size) { return std::optional(originUnderStatusItem(icon, size.height, list)); },
                ui::visibleFrameHolding(screens, *anchor));
        return;
    }
    placeOnMainScreen(screens);
}
