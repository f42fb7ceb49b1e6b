#pragma once

// The displays as RandR monitors.

#include "platform/ScreenProvider.h"

#include <QObject>

#include <memory>

namespace platform {

// The displays as RandR monitors, primary first. Each visible frame is its
// monitor less the edges that desktop panels reserve with struts. Off xcb
// (offscreen unit tests) Qt's own screens stand in. The answer is kept until
// the screens or the panels change.
class X11ScreenProvider : public ScreenProvider {
public:
    X11ScreenProvider();
    ~X11ScreenProvider() override;

    std::vector<Screen> screens() const override;
    std::optional<Screen> mainScreen() const override;
    QRect primaryRootRect() const override;

private:
    std::vector<Screen> readScreens() const;
    void watchQtScreens();
    void scheduleCheck();

    std::unique_ptr<QObject> context_;
    std::vector<Screen> last_;
    bool checkPending_ = false;
    Subscription rootWatch_;
};

} // namespace platform
