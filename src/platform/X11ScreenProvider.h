#pragma once

// The displays as RandR monitors.

#include "platform/ScreenProvider.h"

#include <QObject>
#include <QRect>

#include <memory>
#include <optional>

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
    // The screens, and the primary monitor's rectangle in root coordinates
    // that their frames are measured from (none when Qt's screens stand in).
    struct Reading {
        std::vector<Screen> screens;
        std::optional<QRect> primaryInRoot;
    };
    static Reading read();
    void adopt(Reading reading);
    void watchQtScreens();
    void scheduleCheck();

    std::unique_ptr<QObject> context_;
    Reading last_;
    bool checkPending_ = false;
    Subscription rootWatch_;
    Subscription layoutWatch_;
    Subscription strutWatch_;
};

} // namespace platform
