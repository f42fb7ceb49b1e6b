#include "support/FakePlatform.h"

namespace testing_support {

std::optional<platform::Screen> FakeScreenProvider::mainScreen() const {
    if (main_) {
        for (const auto& s : screens_)
            if (s.displayID == *main_) return s;
    }
    if (screens_.empty()) return std::nullopt;
    return screens_.front();
}

QRect FakeScreenProvider::primaryRootRect() const {
    if (screens_.empty()) return QRect();
    const auto& f = screens_.front().frame;
    return QRect(0, 0, static_cast<int>(f.width()), static_cast<int>(f.height()));
}

void FakeScreenProvider::setScreens(std::vector<platform::Screen> screens) {
    screens_ = std::move(screens);
    screensChanged.emit();
}

platform::Screen FakeScreenProvider::makeScreen(platform::DisplayID id, platform::Rect frame, QString name) {
    platform::Screen s;
    s.displayID = id;
    s.frame = frame;
    s.visibleFrame = frame;
    s.localizedName = name.isEmpty() ? QStringLiteral("Display %1").arg(id) : name;
    return s;
}

} // namespace testing_support
