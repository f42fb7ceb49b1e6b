// The one entry point for X events: the stages see an event of Qt's
// connection in their order, and one that takes it ends its way; and the
// window manager's and the compositing manager's coming and going, followed
// without asking each time.
#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "support/TestUtil.h"

#include <QProcess>
#include <QWindow>

#include <gtest/gtest.h>

#include <signal.h>

#include <string>
#include <utility>
#include <vector>

using namespace platform;
using testing_support::waitUntil;

namespace {

// Sends a client message of `type` to `window`, which this process made:
// with no event mask the server hands it to the window's maker, on Qt's
// connection.
void sendToOurselves(std::uint32_t window, xcb_atom_t type) {
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = window;
    m.type = type;
    xcb_send_event(x11::connection(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
    x11::flush();
}

bool isMessage(const XEvent& e, xcb_atom_t type) {
    return e.type == XCB_CLIENT_MESSAGE && e.sent &&
           reinterpret_cast<const xcb_client_message_event_t*>(e.event)->type == type;
}

} // namespace

TEST(XEvents, TheStagesSeeAnEventInTheirOrderAndOneThatTakesItEndsItsWay) {
    QWindow window;
    window.create();
    auto& source = X11EventSource::instance();
    const xcb_atom_t seen = x11::atom("OVERINK_TEST_SEEN"), taken = x11::atom("OVERINK_TEST_TAKEN");

    // Registered against the order of the stages: the stage decides, and
    // within one stage the earlier registration.
    std::vector<std::string> order;
    auto handler = [&](const char* name, bool takes) {
        return [&order, name, takes, seen, taken](const XEvent& e) {
            if (!isMessage(e, seen) && !isMessage(e, taken)) return false;
            order.push_back(name);
            return takes && isMessage(e, taken);
        };
    };
    const Subscription tap = source.handle(XEventStage::motionTap, handler("tap", false));
    const Subscription activation = source.handle(XEventStage::activation, handler("activation", true));
    const Subscription routing = source.handle(XEventStage::pointerRouting, handler("routing", false));
    const Subscription placement = source.handle(XEventStage::placement, handler("placement", false));
    const Subscription placementLater = source.handle(XEventStage::placement, handler("placement 2", false));

    sendToOurselves(window.winId(), seen);
    ASSERT_TRUE(waitUntil([&] { return order.size() == 5; }));
    EXPECT_EQ(order, (std::vector<std::string>{"placement", "placement 2", "routing", "activation", "tap"}));

    // The activation stage takes this one: the tap never sees it. The
    // message that follows shows it had its chance.
    order.clear();
    sendToOurselves(window.winId(), taken);
    sendToOurselves(window.winId(), seen);
    ASSERT_TRUE(waitUntil([&] { return order.size() >= 9; }));
    EXPECT_EQ(order, (std::vector<std::string>{"placement", "placement 2", "routing", "activation", "placement",
                                               "placement 2", "routing", "activation", "tap"}));
}

TEST(XEvents, AHandlerMayLeaveWhileAnEventPassesAndTheRestStillSeeIt) {
    QWindow window;
    window.create();
    auto& source = X11EventSource::instance();
    const xcb_atom_t seen = x11::atom("OVERINK_TEST_SEEN");
    int firstSaw = 0, secondSaw = 0;
    Subscription first, second;
    first = source.handle(XEventStage::placement, [&](const XEvent& e) {
        if (!isMessage(e, seen)) return false;
        ++firstSaw;
        // Both leave, the one running included.
        first.cancel();
        second.cancel();
        return false;
    });
    second = source.handle(XEventStage::placement, [&](const XEvent& e) {
        if (isMessage(e, seen)) ++secondSaw;
        return false;
    });
    int lastSaw = 0;
    const Subscription last = source.handle(XEventStage::motionTap, [&](const XEvent& e) {
        if (isMessage(e, seen)) ++lastSaw;
        return false;
    });

    sendToOurselves(window.winId(), seen);
    sendToOurselves(window.winId(), seen);
    ASSERT_TRUE(waitUntil([&] { return lastSaw == 2; }));
    EXPECT_EQ(firstSaw, 1);
    EXPECT_EQ(secondSaw, 0);
}

// In a session without a window manager, whose stand-in the test starts
// and kills.
TEST(NoWindowManager, AWindowManagerThatStartsOrDiesMeanwhileIsNoticed) {
    const QString standIn = qEnvironmentVariable("OVERINK_STANDIN_WM");
    if (standIn.isEmpty()) GTEST_SKIP() << "OVERINK_STANDIN_WM names no stand-in window manager";
    auto& source = X11EventSource::instance();
    ASSERT_FALSE(source.windowManagerRunning());

    for (int round = 0; round < 2; ++round) {
        QProcess manager;
        manager.start(standIn, {});
        ASSERT_TRUE(manager.waitForStarted());
        EXPECT_TRUE(waitUntil([&] { return source.windowManagerRunning(); })) << "round " << round;
        // Killed, it leaves its check on the root behind, naming a window
        // gone with it.
        ::kill(static_cast<pid_t>(manager.processId()), SIGKILL);
        manager.waitForFinished();
        EXPECT_TRUE(waitUntil([&] { return !source.windowManagerRunning(); })) << "round " << round;
    }
}

// In a session without a compositing manager, whose one the test starts
// and stops: whoever is told of the change already reads the new answer, so
// that a window reshaping itself on the news never shapes itself for the
// old one.
TEST(NoCompositor, WhoeverIsToldACompositingManagerCameOrWentReadsTheNewAnswer) {
    auto& source = X11EventSource::instance();
    ASSERT_FALSE(source.compositingManagerRunning());
    std::vector<std::pair<bool, bool>> told; // what the news said, what the source answered then
    Subscription watch =
        source.compositingChanged.connect([&](bool on) { told.emplace_back(on, source.compositingManagerRunning()); });

    QProcess manager;
    manager.start(QStringLiteral("xcompmgr"), {});
    ASSERT_TRUE(manager.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return !told.empty(); }));
    EXPECT_EQ(told.back(), std::make_pair(true, true));
    EXPECT_TRUE(source.compositingManagerRunning());

    manager.terminate();
    manager.waitForFinished();
    ASSERT_TRUE(waitUntil([&] { return told.back().first == false; }));
    EXPECT_EQ(told.back(), std::make_pair(false, false));
    EXPECT_FALSE(source.compositingManagerRunning());
}
