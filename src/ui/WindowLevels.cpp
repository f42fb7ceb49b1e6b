#include "ui/WindowLevels.h"

#include "platform/Dispatch.h"

std::vector<RememberedWindowLevel> lowerHighLevelWindows() {
    platform::assertMainThread("lowerHighLevelWindows");
    std::vector<RememberedWindowLevel> remembered;
    for (platform::Window* w : platform::Window::all()) {
        if (w->level() >= platform::WindowLevel::overlay) remembered.push_back({w, w->level()});
    }
    for (const auto& r : remembered) r.window->setLevel(platform::WindowLevel::normal);
    return remembered;
}

void restoreWindowLevels(const std::vector<RememberedWindowLevel>& remembered) {
    platform::assertMainThread("restoreWindowLevels");
    for (const auto& r : remembered) {
        if (!r.window) continue;
        r.window->setLevel(r.level);
        if (r.window->isVisible()) r.window->orderFront();
    }
}
