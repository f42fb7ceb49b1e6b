// A deferred refresh: one run for any number of requests in a turn, once
// every field changed in it holds its new value, and none after its owner.
#include "ui/DeferredRefresh.h"

#include "support/TestUtil.h"
#include "ui/Bindings.h"

#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using namespace testing_support;

TEST(DeferredRefresh, ChangesInOneTurnRefreshOnceWithEveryNewValue) {
    platform::Published<int> a{0}, b{0};
    QObject owner;
    std::vector<std::pair<int, int>> seen;
    ui::DeferredRefresh refresh(&owner, [&] { seen.emplace_back(a.get(), b.get()); });
    ui::Bindings bindings;
    bindings.add(refresh.schedulingOn(a));
    bindings.add(refresh.schedulingOn(b));
    drainEvents();
    EXPECT_TRUE(seen.empty()) << "nothing before a change";

    a = 1;
    b = 2;
    a = 3;
    EXPECT_TRUE(seen.empty()) << "nothing inside the assignments";
    drainEvents();
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{3, 2}}));

    refresh.schedule();
    drainEvents();
    EXPECT_EQ(seen.size(), 2u) << "a request after the run runs again";
}

TEST(DeferredRefresh, NothingRunsOnceTheOwnerIsGone) {
    platform::Published<int> a{0};
    int runs = 0;
    auto owner = std::make_unique<QObject>();
    ui::DeferredRefresh refresh(owner.get(), [&] { ++runs; });
    ui::Bindings bindings;
    bindings.add(refresh.schedulingOn(a));
    a = 1;
    owner.reset(); // with a run queued
    a = 2;
    drainEvents();
    EXPECT_EQ(runs, 0);
}
