#pragma once

// A drawing state that runs without any window: in-memory preferences, fake
// screens and pointer, a login item and a brush store in a temporary folder.

#include "model/DrawingState.h"
#include "support/FakePlatform.h"

#include <QTemporaryDir>

#include <memory>

namespace testing_support {

struct TestDrawingState {
    // One 1440 × 900 screen, display 1, unless screens are given.
    using OverlayControllerFactory = decltype(DrawingStateEnvironment::overlayControllerFactory);

    explicit TestDrawingState(std::vector<platform::Screen> screenList = {defaultScreen()},
                              std::shared_ptr<platform::UserDefaults> store = platform::UserDefaults::inMemory(),
                              OverlayControllerFactory overlayControllers = {});

    // Everything the state was made with, for a second state over the same
    // store and folders (a restart).
    std::shared_ptr<DrawingState> makeAnother() const;
    DrawingStateEnvironment environment() const;

    static platform::Screen defaultScreen();

    std::unique_ptr<QTemporaryDir> dir;
    std::shared_ptr<platform::UserDefaults> defaults;
    std::shared_ptr<FakeScreenProvider> screens;
    std::shared_ptr<FakeMouse> mouse;
    std::shared_ptr<platform::LoginItem> loginItem;
    QString brushStore;
    // The shipped brush files the install step sees; none: the program's own.
    std::function<QStringList()> bundledBrushFiles;
    // Answers the "preferred text font installed" question; true by default.
    bool fontInstalled = true;
    OverlayControllerFactory overlayControllerFactory;
    std::shared_ptr<DrawingState> state;

    DrawingState* operator->() const { return state.get(); }
};

} // namespace testing_support
