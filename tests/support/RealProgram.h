#pragma once

// The real program in the test process, on the session's X server: the
// application delegate with the program's own services, preferences in
// memory and its files in a temporary folder.

#include "app/AppDelegate.h"
#include "app/OverlayWindow.h"
#include "app/OverlayWindowController.h"
#include "support/TestUtil.h"
#include "toolbar/ToolbarWindowController.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace testing_support {

struct RealProgram {
    // `withTrayIcon`: the program's tray icon too (a tray host embeds it).
    // `adjust` may swap a service for a test's own.
    explicit RealProgram(bool withTrayIcon = true, const std::function<void(AppServices&)>& adjust = {}) {
        AppServices s = AppServices::standard();
        s.environment.defaults = platform::UserDefaults::inMemory();
        s.environment.loginItem = std::make_shared<platform::LoginItem>(dir.path() + "/autostart", "overink");
        s.environment.brushStoreDirectory = dir.path() + "/brushes";
        s.claimSingleInstance = [] { return true; };
        s.terminate = [] {};
        if (!withTrayIcon) s.makeStatusItem = nullptr;
        if (adjust) adjust(s);
        delegate = std::make_unique<AppDelegate>(std::move(s));
        delegate->applicationDidFinishLaunching();
        drainEvents();
    }
    ~RealProgram() {
        delegate.reset();
        drainEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    DrawingState& state() const { return *delegate->drawingState(); }
    // The first screen's overlay, once the overlays are shown.
    OverlayWindow* overlay() const {
        const auto& table = state().overlayControllers;
        return table.empty() ? nullptr : static_cast<OverlayWindowController*>(table.begin()->second.get())->window();
    }
    platform::Window* toolbarWindow() const { return delegate->toolbarController()->window(); }
    DrawingToolbarView* toolbarView() const { return delegate->toolbarController()->toolbarView(); }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace testing_support
