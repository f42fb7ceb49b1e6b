#pragma once

// The application's icon in the system tray.

#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"
#include "platform/Signal.h"
#include "platform/Subscription.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QSystemTrayIcon;

namespace platform {

class Window;

// The application's icon in the system tray. Left click and right click are
// reported separately; a quick second left click is a second left click, not
// a double click. Where no tray host runs, a small launcher button floats at
// the top right of the primary screen's visible frame instead, with the same
// clicks; the item moves between the two as tray hosts come and go.
class StatusItem : public QObject {
public:
    StatusItem(const QString& symbolName, const QString& accessibilityDescription, ScreenProvider& screens);
    ~StatusItem() override;

    // The on-screen frame of the icon or launcher button (y-up), when the
    // tray reports one.
    std::optional<Rect> buttonFrame() const;
    bool isInTray() const { return inTray_; }
    Window* launcherWindow() const { return launcher_.get(); }

    Signal<> leftClicked;
    Signal<> rightClicked;

private:
    void place();
    void showLauncher();
    void placeLauncher();

    ScreenProvider& screens_;
    QString symbol_;
    QString description_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    std::unique_ptr<Window> launcher_;
    bool inTray_ = false;
    Subscription trayWatch_;
    Subscription screensWatch_;
};

} // namespace platform
