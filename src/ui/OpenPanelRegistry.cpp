#include "ui/OpenPanelRegistry.h"

#include "platform/Application.h"
#include "platform/Dispatch.h"

#include <algorithm>
#include <utility>

OpenPanelRegistry& OpenPanelRegistry::shared() {
    static OpenPanelRegistry registry;
    return registry;
}

OpenPanelRegistry::OpenPanelRegistry()
    : application_{[] { return platform::Application::shared().isActive(); },
                   [](platform::Window* shown) { platform::Application::shared().activate(shown); }} {}

OpenPanelRegistry::Application OpenPanelRegistry::replaceApplication(Application application) {
    std::swap(application, application_);
    return application;
}

void OpenPanelRegistry::registerPanel(Identity panel, platform::Window* window) {
    platform::assertMainThread("OpenPanelRegistry::registerPanel");
    if (std::find(open_.begin(), open_.end(), panel) != open_.end()) return;
    open_.push_back(panel);
    if (!application_.isActive()) application_.activate(window);
}

void OpenPanelRegistry::unregisterPanel(Identity panel) {
    platform::assertMainThread("OpenPanelRegistry::unregisterPanel");
    std::erase(open_, panel);
}
