#include "ui/OpenPanelRegistry.h"

#include "platform/Application.h"
#include "platform/Dispatch.h"

#include <algorithm>

OpenPanelRegistry& OpenPanelRegistry::shared() {
    static OpenPanelRegistry registry;
    return registry;
}

OpenPanelRegistry::OpenPanelRegistry()
    : isApplicationActive([] { return platform::Application::shared().isActive(); }),
      activateApplication([](platform::Window* shown) { platform::Application::shared().activate(shown); }) {}

void OpenPanelRegistry::registerPanel(Identity panel, platform::Window* window) {
    platform::assertMainThread("OpenPanelRegistry::registerPanel");
    if (std::find(open_.begin(), open_.end(), panel) != open_.end()) return;
    open_.push_back(panel);
    if (!isApplicationActive()) activateApplication(window);
}

void OpenPanelRegistry::unregisterPanel(Identity panel) {
    platform::assertMainThread("OpenPanelRegistry::unregisterPanel");
    std::erase(open_, panel);
}
