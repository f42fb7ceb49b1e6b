// The update manager: the updater's state for the settings rows, and the
// floating windows lowered around the updater's window and alerts.
#include "panels/UpdateManager.h"

#include "platform/Application.h"
#include "platform/Dispatch.h"

std::shared_ptr<UpdateManager> UpdateManager::shared() {
    platform::assertMainThread("UpdateManager::shared");
    // Never destroyed: its network access and timers must not outlive the
    // application object, as a static destroyed after main() would.
    static const auto* manager =
        new std::shared_ptr<UpdateManager>(create(platform::Updater::makeStandard(), standardFloatingWindows()));
    return *manager;
}

UpdateManager::FloatingWindows UpdateManager::standardFloatingWindows() {
    return {lowerHighLevelWindows, restoreWindowLevels, [] { platform::Application::shared().activate(); }};
}

std::shared_ptr<UpdateManager> UpdateManager::create(std::shared_ptr<platform::Updater> updater,
                                                     FloatingWindows floatingWindows) {
    platform::assertMainThread("UpdateManager::create");
    std::shared_ptr<UpdateManager> manager(new UpdateManager(std::move(updater), std::move(floatingWindows)));
    manager->controller_->startUpdater(manager);
    // The handler hears the value before the updater stores it, so it reads
    // the updater again on the next turn rather than trusting its argument.
    manager->observation_.onChangeLater(
        manager->controller_->canCheckForUpdates, std::weak_ptr<UpdateManager>(manager),
        [](UpdateManager& m) { m.canCheck = m.controller_->canCheckForUpdates.get(); }, platform::Initial::Include);
    return manager;
}

UpdateManager::UpdateManager(std::shared_ptr<platform::Updater> updater, FloatingWindows floatingWindows)
    : controller_(std::move(updater)), floatingWindows_(std::move(floatingWindows)) {}

UpdateManager::~UpdateManager() = default;

void UpdateManager::checkForUpdates() {
    platform::assertMainThread("UpdateManager::checkForUpdates");
    controller_->checkForUpdates();
}

bool UpdateManager::automaticallyChecksForUpdates() const { return controller_->automaticallyChecksForUpdates(); }

void UpdateManager::setAutomaticallyChecksForUpdates(bool on) {
    platform::assertMainThread("UpdateManager::setAutomaticallyChecksForUpdates");
    willChange.emit();
    controller_->setAutomaticallyChecksForUpdates(on);
}

void UpdateManager::lowerFloatingWindows() {
    platform::assertMainThread("UpdateManager::lowerFloatingWindows");
    // A second lowering before a restore adds to the list: the windows the
    // first one took down are already at the ordinary level and would not be
    // in the new list, so replacing it would strand them there.
    LoweredWindows lowered = floatingWindows_.lower ? floatingWindows_.lower() : LoweredWindows{};
    loweredWindows_.insert(loweredWindows_.end(), lowered.begin(), lowered.end());
    if (floatingWindows_.activateApplication) floatingWindows_.activateApplication();
}

void UpdateManager::restoreFloatingWindows() {
    platform::assertMainThread("UpdateManager::restoreFloatingWindows");
    const LoweredWindows lowered = std::exchange(loweredWindows_, {});
    if (!lowered.empty() && floatingWindows_.restore) floatingWindows_.restore(lowered);
}

void UpdateManager::standardUserDriverWillHandleShowingUpdate(bool, const platform::AppcastItem&,
                                                              const platform::UserUpdateState&) {
    lowerFloatingWindows();
}

void UpdateManager::standardUserDriverWillShowModalAlert() { lowerFloatingWindows(); }

void UpdateManager::standardUserDriverDidShowModalAlert() { restoreFloatingWindows(); }

void UpdateManager::standardUserDriverWillFinishUpdateSession() { restoreFloatingWindows(); }
