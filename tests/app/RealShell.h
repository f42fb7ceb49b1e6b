#pragma once

// The real shell (the application delegate with the program's own services)
// in the test process, on the session's X server.

#include "app/AppDelegate.h"
#include "app/OverlayWindow.h"
#include "app/OverlayWindowController.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <memory>

namespace testing_support {

// A click where the pointer already is (moving it there again would wait
// for a movement that never comes), at a person's pace.
inline void clickHere(int button = 1) {
    QThread::msleep(100);
    drainEvents();
    xdotool({"click", QString::number(button)});
    drainEvents();
}

struct RealShell {
    RealShell() {
        AppServices s = AppServices::standard();
        s.environment.defaults = platform::UserDefaults::inMemory();
        s.environment.loginItem = std::make_shared<platform::LoginItem>(dir.path() + "/autostart", "overink");
        s.environment.brushStoreDirectory = dir.path() + "/brushes";
        s.claimSingleInstance = [] { return true; };
        s.terminate = [] {};
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~RealShell() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    DrawingState& state() const { return *delegate->drawingState(); }
    OverlayWindow* overlay() const {
        const auto& table = state().overlayControllers;
        return table.empty() ? nullptr : static_cast<OverlayWindowController*>(table.begin()->second.get())->window();
    }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace testing_support
