#pragma once

// In-memory stand-ins for the window server, injected by tests.

#include "platform/Mouse.h"
#include "platform/ScreenProvider.h"

#include <optional>
#include <vector>

namespace testing_support {

class FakeScreenProvider : public platform::ScreenProvider {
public:
    FakeScreenProvider() = default;
    explicit FakeScreenProvider(std::vector<platform::Screen> screens) : screens_(std::move(screens)) {}

    std::vector<platform::Screen> screens() const override { return screens_; }
    std::optional<platform::Screen> mainScreen() const override;
    QRect primaryRootRect() const override;

    // Replaces the screens and fires screensChanged.
    void setScreens(std::vector<platform::Screen> screens);
    // Main screen override; none = the primary (first).
    void setMainDisplay(std::optional<platform::DisplayID> id) { main_ = id; }

    // A screen of the given frame whose visible frame is the frame itself.
    static platform::Screen makeScreen(platform::DisplayID id, platform::Rect frame, QString name = {});

private:
    std::vector<platform::Screen> screens_;
    std::optional<platform::DisplayID> main_;
};

class FakeMouse : public platform::Mouse {
public:
    platform::Point location() const override { return location_; }
    std::uint32_t pressedButtons() const override { return buttons_; }

    void setLocation(platform::Point p) { location_ = p; }
    void setPressedButtons(std::uint32_t b) { buttons_ = b; }

private:
    platform::Point location_;
    std::uint32_t buttons_ = 0;
};

} // namespace testing_support
