#pragma once

// The displays and their frames.

#include "platform/Geometry.h"
#include "platform/Signal.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

using DisplayID = std::uint32_t; // 0 = no display

struct Screen {
    DisplayID displayID = 0;
    Rect frame;        // y-up screen space
    Rect visibleFrame; // the frame less the panels reserving its edges
    QString localizedName;
    double scale = 1;
    friend bool operator==(const Screen&, const Screen&) = default;
};

// The displays, primary first. The program uses the X11 provider; tests
// inject a fake.
class ScreenProvider {
public:
    virtual ~ScreenProvider() = default;
    virtual std::vector<Screen> screens() const = 0;
    // The screen of our key window, else the primary; none without screens.
    virtual std::optional<Screen> mainScreen() const = 0;
    // The primary monitor's rectangle in X root coordinates (y-down), for
    // conversions to and from Qt's global coordinates.
    virtual QRect primaryRootRect() const = 0;

    std::optional<Screen> screen(DisplayID id) const {
        for (const auto& s : screens())
            if (s.displayID == id) return s;
        return std::nullopt;
    }

    // Fires after the set of screens or their frames changed.
    Signal<> screensChanged;
};

} // namespace platform
