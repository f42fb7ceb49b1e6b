// The settings panel's choices and actions.
#include "toolbar/SettingsPanelModel.h"

#include "model/DrawingState.h"
#include "platform/Alert.h"
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "ui/WindowLevels.h"

#include <algorithm>

SettingsPanelServices SettingsPanelServices::standard() {
    // No help or about panel without the delegate that keeps them.
    return {[] { platform::Application::shared().activate(); },
            [] { platform::Application::shared().terminate(); },
            {},
            {}};
}

double SettingsPanelModel::smoothingToolIndent(double pickerWidth) {
    return std::max(0.0, (kSectionsInnerWidth - pickerWidth) * 0.5);
}

SettingsPanelModel::SettingsPanelModel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                                       SettingsPanelServices services)
    : state_(std::move(state)), dismissBox_(std::move(dismissBox)), services_(std::move(services)) {}

void SettingsPanelModel::dismiss() const {
    if (dismissBox_) (*dismissBox_)();
}

bool SettingsPanelModel::isSmoothed(DrawingTool tool) const { return state_->smoothingEnabledTools->contains(tool); }

void SettingsPanelModel::setSmoothed(DrawingTool tool, bool on) {
    platform::assertMainThread("SettingsPanelModel::setSmoothed");
    DrawingToolSet tools = state_->smoothingEnabledTools.get();
    if (on) tools.insert(tool);
    else tools.erase(tool);
    state_->smoothingEnabledTools = std::move(tools);
}

void SettingsPanelModel::selectAlgorithm(SmoothingAlgorithm algorithm) {
    platform::assertMainThread("SettingsPanelModel::selectAlgorithm");
    state_->smoothingAlgorithm = algorithm;
}

void SettingsPanelModel::setShowTooltips(bool on) {
    platform::assertMainThread("SettingsPanelModel::setShowTooltips");
    state_->showTooltips = on;
}

void SettingsPanelModel::setLaunchAtLogin(bool on) {
    platform::assertMainThread("SettingsPanelModel::setLaunchAtLogin");
    state_->launchAtLogin = on;
}

void SettingsPanelModel::openHelp() {
    platform::assertMainThread("SettingsPanelModel::openHelp");
    dismiss();
    if (services_.openHelp) services_.openHelp();
}

void SettingsPanelModel::openAbout() {
    platform::assertMainThread("SettingsPanelModel::openAbout");
    dismiss();
    if (services_.openAbout) services_.openAbout();
}

void SettingsPanelModel::quit() {
    platform::assertMainThread("SettingsPanelModel::quit");
    dismiss();
    // The alert runs its own event loop: started from the click that is
    // still being delivered, the button could be destroyed under it.
    platform::dispatchMain([state = state_, services = services_] { confirmQuit(*state, services); });
}

void SettingsPanelModel::confirmQuit(DrawingState& state, const SettingsPanelServices& services) {
    platform::assertMainThread("SettingsPanelModel::confirmQuit");
    if (services.activate) services.activate();
    platform::Alert alert;
    alert.alertStyle = platform::Alert::Style::warning;
    alert.messageText = kQuitMessage;
    alert.informativeText = kQuitInformation;
    // The first button is the default one: Return cancels.
    alert.addButton(QStringLiteral("Cancel"));
    alert.addButton(QStringLiteral("Close"));
    // The overlays, the toolbar and any panel would cover the alert.
    const auto lowered = lowerHighLevelWindows();
    const int response = alert.runModal();
    restoreWindowLevels(lowered);
    if (response != platform::Alert::kSecondButtonReturn) return;
    state.isQuittingIntentionally = true;
    if (services.terminate) services.terminate();
}
