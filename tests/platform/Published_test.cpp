#include "platform/NotificationCenter.h"
#include "platform/Published.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {
struct Model : ObservableObject {
    Published<int> count{0, this};
    Published<std::string> name{"a", this};
};
} // namespace

TEST(Published, HandlersSeeOldStoredValueAndNewArgumentThenDidSetRuns) {
    Model m;
    std::vector<std::string> log;
    auto will = m.willChange.connect([&] { log.push_back("will:" + std::to_string(m.count.get())); });
    auto sub =
        m.count.sink([&](int v) { log.push_back("sink:" + std::to_string(m.count.get()) + "->" + std::to_string(v)); },
                     Delivery::Immediate, Initial::Skip);
    m.count.setDidSet(
        [&](int old) { log.push_back("did:" + std::to_string(old) + "->" + std::to_string(m.count.get())); });
    m.count = 5;
    EXPECT_EQ(log, (std::vector<std::string>{"will:0", "sink:0->5", "did:0->5"}));
}

TEST(Published, EqualAssignmentsNotifyAndSilentSetDoesNot) {
    Model m;
    int sinks = 0, wills = 0, dids = 0;
    auto will = m.willChange.connect([&] { ++wills; });
    auto sub = m.count.sink([&](int) { ++sinks; }, Delivery::Immediate, Initial::Skip);
    m.count.setDidSet([&](int) { ++dids; });
    m.count = 0;
    m.count = 0;
    EXPECT_EQ(sinks, 2);
    EXPECT_EQ(wills, 2);
    EXPECT_EQ(dids, 2);
    m.count.setSilently(9);
    EXPECT_EQ(m.count.get(), 9);
    EXPECT_EQ(sinks, 2);
    EXPECT_EQ(dids, 2);
}

TEST(Published, InitialValueDeliveryIsOptional) {
    Model m;
    m.count.setSilently(3);
    std::vector<int> seen;
    auto a = m.count.sink([&](int v) { seen.push_back(v); });
    EXPECT_EQ(seen, std::vector<int>{3});
    auto b = m.count.sink([&](int v) { seen.push_back(v * 10); }, Delivery::Immediate, Initial::Skip);
    EXPECT_EQ(seen, std::vector<int>{3});
}

TEST(Published, SubscriptionEndsWithItsOwnerAndSurvivesThePublisher) {
    std::vector<int> seen;
    auto m = std::make_unique<Model>();
    {
        auto sub = m->count.sink([&](int v) { seen.push_back(v); }, Delivery::Immediate, Initial::Skip);
        m->count = 1;
    }
    m->count = 2;
    EXPECT_EQ(seen, std::vector<int>{1});
    EXPECT_EQ(m->count.subscriberCount(), 0u);

    auto late = m->count.sink([&](int v) { seen.push_back(v); }, Delivery::Immediate, Initial::Skip);
    m.reset();
    late.cancel(); // publisher already gone: must not crash
    EXPECT_FALSE(late.isActive());
}

TEST(Published, HandlerMayCancelItselfAndOthersDuringDelivery) {
    Model m;
    int first = 0, second = 0;
    Subscription s2;
    Subscription s1 = m.count.sink(
        [&](int) {
            ++first;
            s1.cancel();
            s2.cancel();
        },
        Delivery::Immediate, Initial::Skip);
    s2 = m.count.sink([&](int) { ++second; }, Delivery::Immediate, Initial::Skip);
    m.count = 1;
    m.count = 2;
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST(Published, MainQueueDeliveryHappensOnALaterTurnUnlessCancelled) {
    Model m;
    std::vector<int> seen;
    auto sub = m.count.sink([&](int v) { seen.push_back(v); }, Delivery::MainQueue, Initial::Skip);
    m.count = 4;
    m.count = 5;
    EXPECT_TRUE(seen.empty());
    testing_support::drainEvents();
    EXPECT_EQ(seen, (std::vector<int>{4, 5}));

    m.count = 6;
    sub.cancel();
    testing_support::drainEvents();
    EXPECT_EQ(seen, (std::vector<int>{4, 5}));
}

TEST(Published, CombineLatestPairsTheNewValueWithTheOthersCurrent) {
    Model m;
    std::vector<std::string> seen;
    auto subs = combineLatest<int, std::string>(
        m.count, m.name, [&](const int& c, const std::string& n) { seen.push_back(std::to_string(c) + n); });
    EXPECT_EQ(seen, std::vector<std::string>{"0a"});
    m.count = 1;
    m.name = "b";
    EXPECT_EQ(seen, (std::vector<std::string>{"0a", "1a", "1b"}));
    subs.clear();
    m.count = 2;
    EXPECT_EQ(seen.size(), 3u);
}

TEST(NotificationCenter, DeliversSynchronouslyToNamedObserversOnly) {
    auto& nc = NotificationCenter::defaultCenter();
    int hits = 0;
    QVariant payload;
    {
        auto sub = nc.addObserver("TestPing", [&](const Notification& n) {
            ++hits;
            payload = n.userInfo.value("k");
        });
        nc.post("TestPong");
        nc.post("TestPing", nullptr, {{"k", 7}});
        EXPECT_EQ(hits, 1);
        EXPECT_EQ(payload.toInt(), 7);
    }
    nc.post("TestPing");
    EXPECT_EQ(hits, 1);
}

TEST(Dispatch, AfterRunsLaterAndCanBeCancelled) {
    bool ran = false, cancelledRan = false;
    dispatchMainAfter(0.02, [&] { ran = true; });
    auto h = dispatchMainAfter(0.02, [&] { cancelledRan = true; });
    EXPECT_TRUE(h.isPending());
    h.cancel();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(testing_support::waitUntil([&] { return ran; }, 2000));
    testing_support::drainEvents();
    EXPECT_FALSE(cancelledRan);
}

TEST(Dispatch, BackgroundResultReachesALiveOwnerOnTheMainThread) {
    struct Owner {
        int result = 0;
        bool onMain = false;
    };
    auto owner = std::make_shared<Owner>();
    runInBackground(
        std::weak_ptr<Owner>(owner), [] { return 42; },
        [](Owner& o, int r) {
            o.result = r;
            o.onMain = isMainThread();
        });
    EXPECT_TRUE(testing_support::waitUntil([&] { return owner->result == 42; }));
    EXPECT_TRUE(owner->onMain);

    // An owner that went away receives nothing.
    auto gone = std::make_shared<Owner>();
    bool delivered = false;
    runInBackground(
        std::weak_ptr<Owner>(gone), [] { return 1; }, [&](Owner&, int) { delivered = true; });
    gone.reset();
    testing_support::drainEvents();
    EXPECT_FALSE(delivered);
}
