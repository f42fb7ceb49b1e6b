#include "support/TestDrawingState.h"

namespace testing_support {

TestDrawingState::TestDrawingState(std::vector<platform::Screen> screenList,
                                   std::shared_ptr<platform::UserDefaults> store,
                                   OverlayControllerFactory overlayControllers)
    : dir(std::make_unique<QTemporaryDir>()),
      defaults(std::move(store)),
      screens(std::make_shared<FakeScreenProvider>(std::move(screenList))),
      mouse(std::make_shared<FakeMouse>()),
      loginItem(std::make_shared<platform::LoginItem>(dir->path() + "/autostart", "overink")),
      brushStore(dir->path() + "/gimp-brushes"),
      overlayControllerFactory(std::move(overlayControllers)) {
    state = DrawingState::create(environment());
}

DrawingStateEnvironment TestDrawingState::environment() const {
    DrawingStateEnvironment env;
    env.defaults = defaults;
    env.screens = screens;
    env.mouse = mouse;
    env.loginItem = loginItem;
    env.brushStoreDirectory = brushStore;
    env.bundledBrushFiles = bundledBrushFiles;
    const bool installed = fontInstalled;
    env.fontExists = [installed](const QString&) { return installed; };
    env.overlayControllerFactory = overlayControllerFactory;
    return env;
}

std::shared_ptr<DrawingState> TestDrawingState::makeAnother() const { return DrawingState::create(environment()); }

platform::Screen TestDrawingState::defaultScreen() {
    return FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900));
}

} // namespace testing_support
