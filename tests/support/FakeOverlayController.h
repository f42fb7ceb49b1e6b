#pragma once

// An overlay controller without a window, for drawing states whose overlay
// operations need controllers that can be shown and hidden.

#include "model/DrawingState.h"
#include "model/OverlayController.h"

#include <memory>

namespace testing_support {

class FakeOverlayController : public OverlayController {
public:
    bool hasWindow() const override { return true; }
    bool isWindowVisible() const override { return visible; }
    platform::Rect windowFrame() const override { return frame; }
    void setWindowFrame(const platform::Rect& f, bool) override { frame = f; }
    void showWindow() override { visible = true; }
    void orderFront() override { visible = true; }
    void raiseAboveOtherOverlays() override {}
    void makeKey() override {}
    void setIgnoresMouseEvents(bool) override {}
    void setWindowLevel(int) override {}
    void removeMouseMoveMonitors() override {}
    void close() override { visible = false; }

    bool visible = false;
    platform::Rect frame;
};

// A factory for TestDrawingState that makes fake controllers.
inline auto fakeOverlayControllers() {
    return [](DrawingState&, const platform::Screen& screen) -> std::shared_ptr<OverlayController> {
        auto c = std::make_shared<FakeOverlayController>();
        c->frame = screen.frame;
        return c;
    };
}

} // namespace testing_support
