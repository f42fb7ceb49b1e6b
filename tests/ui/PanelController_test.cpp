// The panel base on its own: a panel left open by clicks elsewhere, Esc left
// to a field, the dismiss handle before and after the panel.
#include "ui/PanelController.h"

#include "platform/EventMonitor.h"
#include "support/FakeEventMonitor.h"
#include "support/FakePlatform.h"
#include "support/TestUtil.h"
#include "ui/OpenPanelRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;
using platform::Point;
using platform::Rect;
namespace Key = platform::KeyCode;

namespace {

// A 200×100 panel at (500, 400), with no anchor; Esc is left alone while
// `typing`.
class PlainPanel : public ui::PanelController {
public:
    PlainPanel(std::function<void(bool)> setOpen, Options options)
        : PanelController(makePanelWindow(QStringLiteral("Plain"), 200), std::move(setOpen), options) {
        window()->setFrame(Rect(500, 400, 200, 100));
    }
    bool typing = false;

protected:
    bool leavesEscape() const override { return typing; }
};

ui::PanelController::Options staysOpen() {
    ui::PanelController::Options options;
    options.clickMonitorHold = 0;
    options.closesOnOutsideClick = false;
    return options;
}

bool listed(const void* panel) {
    const auto& open = OpenPanelRegistry::shared().openPanels();
    return std::find(open.begin(), open.end(), panel) != open.end();
}

} // namespace

TEST(PanelController, APanelLeftOpenByClicksElsewhereStillClosesOnEscUnlessAFieldTypes) {
    const std::size_t localBefore = platform::EventMonitor::shared().localMonitorCount();
    std::vector<bool> reported;
    PlainPanel panel([&](bool open) { reported.push_back(open); }, staysOpen());
    panel.showWindow();
    EXPECT_TRUE(listed(&panel));
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), localBefore + 1) << "Esc only";

    EXPECT_TRUE(injectLocal(mouseEvent(platform::EventType::leftMouseDown, Point(20, 20))).has_value());
    drainEvents();
    EXPECT_TRUE(panel.window()->isVisible()) << "a click elsewhere passes and leaves it open";

    panel.typing = true;
    EXPECT_TRUE(injectLocal(keyEvent(Key::escape)).has_value()) << "the field's Esc";
    drainEvents();
    EXPECT_TRUE(panel.window()->isVisible());

    panel.typing = false;
    EXPECT_FALSE(injectLocal(keyEvent(Key::escape)).has_value());
    drainEvents();
    EXPECT_FALSE(panel.window()->isVisible());
    EXPECT_FALSE(listed(&panel));
    EXPECT_EQ(platform::EventMonitor::shared().localMonitorCount(), localBefore);
    EXPECT_EQ(reported, std::vector<bool>{false});
}

TEST(PanelController, TheDismissHandleClosesItsPanelAndOutlivesItHarmlessly) {
    std::vector<bool> reported;
    std::shared_ptr<DismissBox> dismiss;
    {
        PlainPanel panel([&](bool open) { reported.push_back(open); }, staysOpen());
        dismiss = panel.dismissBox();
        panel.showWindow();
        (*dismiss)();
        EXPECT_FALSE(panel.window()->isVisible());
        drainEvents();
        EXPECT_EQ(reported, std::vector<bool>{false});

        // Shown again, then let go while open.
        panel.showWindow();
    }
    (*dismiss)();
    drainEvents();
    EXPECT_EQ(reported, std::vector<bool>{false}) << "gone: no close, no report";
}
