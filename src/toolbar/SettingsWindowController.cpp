// The settings panel dropped down from the tray icon.
#include "toolbar/SettingsWindowController.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

#include <algorithm>

namespace {

platform::WindowPtr<> makeSettingsWindow() {
    auto window = platform::makeWindow(platform::Rect(0, 0, SettingsWindowController::kWidth,
                                                      SettingsWindowController::kHeight));
    window->setTitle(QStringLiteral("Overink Settings"));
    window->setLevel(platform::WindowLevel::panel);
    window->setBackgroundColor(Color{0.13, 0.13, 0.14, 0.96});
    window->setHasShadow(true);
    window->setNonActivatingPanel(true);
    window->widget()->setAccessibleName(QStringLiteral("Overink settings"));
    return window;
}

ui::AnchoredPanelController::Options settingsPanelOptions() {
    ui::AnchoredPanelController::Options options;
    // Its click monitors are recorded as soon as they are installed, so a
    // panel closed at once leaves none behind even for a moment; clicks in
    // other applications close it too.
    options.clickMonitorHold = 0;
    options.watchesOtherApplications = true;
    return options;
}

} // namespace

SettingsWindowController::SettingsWindowController(const std::shared_ptr<DrawingState>& state,
                                                   std::function<void(bool)> setOpen,
                                                   std::shared_ptr<AnchorRef> anchorRef, bool anchoredToStatusItem)
    : AnchoredPanelController(makeSettingsWindow(), std::move(anchorRef), std::move(setOpen), settingsPanelOptions()),
      state_(state),
      anchoredToStatusItem_(anchoredToStatusItem) {
    platform::assertMainThread("SettingsWindowController");
    place();
}

void SettingsWindowController::place() {
    auto state = state_.lock();
    if (!state) return;
    const auto& screens = state->screenProvider();
    std::optional<platform::Rect> anchor = anchorRef() ? anchorRef()->frameOnScreen() : std::nullopt;
    if (anchoredToStatusItem_ && anchor) {
        // Under the anchor, on its screen, kept inside the visible frame.
        std::optional<platform::Screen> screen;
        for (const auto& s : screens.screens())
            if (s.frame.contains(platform::Point{anchor->midX(), anchor->midY()})) screen = s;
        if (!screen) screen = screens.mainScreen();
        double x = anchor->midX() - kWidth / 2;
        double y = anchor->minY() - kHeight - 4;
        if (screen) {
            const platform::Rect v = screen->visibleFrame;
            x = std::clamp(x, v.minX(), std::max(v.minX(), v.maxX() - kWidth));
            y = std::clamp(y, v.minY(), std::max(v.minY(), v.maxY() - kHeight));
        }
        window()->setFrame(platform::Rect(x, y, kWidth, kHeight));
        return;
    }
    placeOnMainScreen(screens);
}
