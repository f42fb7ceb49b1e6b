// The open-panel registry, anchors and the lowering of our floating windows
// around alerts.
#include "support/TestUtil.h"
#include "ui/AnchorRef.h"
#include "ui/OpenPanelRegistry.h"
#include "ui/WindowLevels.h"

#include <gtest/gtest.h>

using platform::Rect;
using platform::Window;
namespace Level = platform::WindowLevel;

TEST(OpenPanelRegistry, RegisteringActivatesOnlyTheFirstTime) {
    auto& registry = OpenPanelRegistry::shared();
    bool active = false;
    int activations = 0;
    platform::Window* handed = nullptr;
    const auto activate = [&](platform::Window* shown) {
        ++activations;
        handed = shown;
    };
    const auto saved = registry.replaceApplication({[&] { return active; }, activate});

    int a = 0, b = 0;
    Window panel(Rect(0, 0, 100, 40));
    registry.registerPanel(&a, &panel);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(handed, &panel) << "the panel being shown takes the keyboard";
    // The application lost focus meanwhile; the same panel again changes nothing.
    registry.registerPanel(&a, &panel);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(registry.openPanels(), std::vector<OpenPanelRegistry::Identity>{&a});
    // Already active: listed, not activated again.
    active = true;
    registry.registerPanel(&b);
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(registry.openPanels(), (std::vector<OpenPanelRegistry::Identity>{&a, &b}));

    registry.unregisterPanel(&a);
    registry.unregisterPanel(&a);
    registry.unregisterPanel(&registry);
    EXPECT_EQ(registry.openPanels(), std::vector<OpenPanelRegistry::Identity>{&b});
    registry.unregisterPanel(&b);
    EXPECT_TRUE(registry.openPanels().empty());

    registry.replaceApplication(saved);
}

TEST(WindowLevels, AlertsLowerEverythingFromTheOverlaysUpAndRestoreIt) {
    Window toolbar(Rect(0, 0, 100, 40));
    Window overlayA(Rect(0, 0, 100, 100));
    Window overlayB(Rect(0, 0, 100, 100));
    Window below(Rect(0, 0, 50, 50));
    toolbar.stacking().setLevel(Level::panel);
    overlayA.stacking().setLevel(Level::overlay);
    overlayB.stacking().setLevel(Level::overlay);
    below.stacking().setLevel(998);
    toolbar.orderFront();
    overlayA.orderFront();

    const auto all = lowerHighLevelWindows();
    // Only this test's windows (others may linger, closed, from earlier tests).
    std::vector<RememberedWindowLevel> remembered;
    for (const auto& r : all)
        if (r.window == &toolbar || r.window == &overlayA || r.window == &overlayB || r.window == &below)
            remembered.push_back(r);
    ASSERT_EQ(remembered.size(), 3u);
    EXPECT_EQ(remembered[0].window, &toolbar);
    EXPECT_EQ(remembered[0].level, Level::panel);
    EXPECT_EQ(remembered[2].window, &overlayB);
    for (Window* w : {&toolbar, &overlayA, &overlayB}) EXPECT_EQ(w->stacking().level(), Level::normal);
    EXPECT_EQ(below.stacking().level(), 998);

    restoreWindowLevels(all);
    EXPECT_EQ(toolbar.stacking().level(), Level::panel);
    EXPECT_EQ(overlayA.stacking().level(), Level::overlay);
    EXPECT_EQ(overlayB.stacking().level(), Level::overlay);
    EXPECT_TRUE(toolbar.isVisible());
    EXPECT_FALSE(overlayB.isVisible()) << "hidden windows stay hidden";
    EXPECT_FALSE(toolbar.keyboard().isKeyWindow());
}

TEST(WindowLevels, AWindowGoneBeforeTheRestoreIsSkipped) {
    auto doomed = std::make_unique<Window>(Rect(0, 0, 10, 10));
    Window kept(Rect(0, 0, 10, 10));
    doomed->stacking().setLevel(Level::popUp);
    kept.stacking().setLevel(Level::popUp);
    auto remembered = lowerHighLevelWindows();
    doomed.reset();
    restoreWindowLevels(remembered);
    EXPECT_EQ(kept.stacking().level(), Level::popUp);
}

TEST(AnchorRef, FollowsItsViewAndEmptiesWhenTheViewGoes) {
    auto ref = std::make_shared<AnchorRef>();
    EXPECT_TRUE(ref->isEmpty());
    EXPECT_FALSE(ref->frameOnScreen());
    Window host(Rect(100, 100, 200, 50));
    auto* control = new QWidget;
    host.setContentView(control);
    auto* anchor = new SwatchAnchorView(ref, control);
    anchor->setGeometry(10, 5, 24, 24);
    host.orderFront();
    testing_support::drainEvents();
    EXPECT_EQ(ref->nsView, anchor);
    ASSERT_TRUE(ref->frameOnScreen());
    const Rect f = *ref->frameOnScreen();
    EXPECT_EQ(f.width(), 24);
    EXPECT_EQ(f.minX(), 110);
    EXPECT_EQ(f.maxY(), 150 - 5) << "y grows upward from the window's top";

    delete anchor;
    EXPECT_TRUE(ref->isEmpty());
    EXPECT_FALSE(ref->frameOnScreen());
}
