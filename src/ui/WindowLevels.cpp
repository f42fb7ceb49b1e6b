#include "ui/WindowLevels.h"

#include "platform/Dispatch.h"

std::vector<RememberedWindowLevel> lowerHighLevelWindows() {
    platform::assertMainThread("lowerHighLevelWindows");
    std::vector<RememberedWindowLevel> remembered;
    for (platform::Window* w : platform::Window::all()) {
        if (w->stacking().level() >= platform::WindowLevel::overlay) remembered.push_back({w, w->stacking().level()});
    }
    for (const auto& r : remembered) r.window->stacking().setLevel(platform::WindowLevel::normal);
    return remembered;
}

void restoreWindowLevels(const std::vector<RememberedWindowLevel>& remembered) {
    platform::assertMainThread("restoreWindowLevels");
    for (const auto& r : remembered) {
        if (!r.window) continue;
        r.window->stacking().setLevel(r.level);
        if (r.window->isVisible()) r.window->orderFront();
    }
}
