// The update manager: canCheck following the updater, the automatic-check
// setting, and our floating windows stepped aside around every window and
// alert of the updater.
#include "panels/UpdateManager.h"
#include "support/AppcastFeeds.h"
#include "support/FakeDialogs.h"
#include "support/LocalHttpServer.h"
#include "support/TestUtil.h"

#include <gtest/gtest.h>

using platform::Updater;
using platform::Window;
using testing_support::drainEvents;
using testing_support::waitUntil;
namespace Level = platform::WindowLevel;

namespace {

// Windows of this test (windows of earlier tests are gone from the
// registry), lowered and restored by the program's own routines.
class TestWindows {
public:
    Window* add(int level, bool visible) {
        windows_.push_back(std::make_unique<Window>(platform::Rect(0, 0, 80, 40)));
        Window* w = windows_.back().get();
        w->stacking().setLevel(level);
        if (visible) w->orderFront();
        return w;
    }

    std::vector<int> levels() const {
        std::vector<int> out;
        for (const auto& w : windows_) out.push_back(w->stacking().level());
        return out;
    }

    UpdateManager::FloatingWindows routines() {
        auto routines = UpdateManager::standardFloatingWindows();
        routines.activateApplication = [this] { ++activations; };
        return routines;
    }

    int activations = 0;

private:
    std::vector<std::unique_ptr<Window>> windows_;
};

std::shared_ptr<Updater>
makeUpdater(const QString& feed,
            std::shared_ptr<platform::UserDefaults> defaults = platform::UserDefaults::inMemory()) {
    platform::UpdaterEnvironment env;
    env.defaults = std::move(defaults);
    env.feedUrl = feed;
    env.currentVersion = "150";
    env.displayVersion = "1.5";
    env.openUrl = [](const QUrl&) { return true; };
    return std::make_shared<Updater>(env);
}

} // namespace

TEST(UpdateManager, CanCheckFollowsTheUpdaterOnTheNextTurn) {
    auto updater = makeUpdater(QString());
    updater->canCheckForUpdates = false;
    TestWindows windows;
    auto manager = UpdateManager::create(updater, windows.routines());
    int announcements = 0;
    auto sub = manager->willChange.connect([&] { ++announcements; });
    EXPECT_TRUE(manager->canCheck);
    // The observation delivers the current value at once, even unchanged.
    drainEvents();
    EXPECT_FALSE(manager->canCheck);
    EXPECT_EQ(announcements, 1);
    updater->canCheckForUpdates = true;
    EXPECT_FALSE(manager->canCheck);
    drainEvents();
    EXPECT_TRUE(manager->canCheck);
    EXPECT_EQ(announcements, 2);

    // A change whose turn comes after the manager is gone does nothing.
    updater->canCheckForUpdates = false;
    std::weak_ptr<UpdateManager> weak = manager;
    sub.cancel();
    manager.reset();
    EXPECT_TRUE(weak.expired());
    drainEvents();
}

TEST(UpdateManager, TheAutomaticSettingIsAnnouncedBeforeItChanges) {
    auto defaults = platform::UserDefaults::inMemory();
    TestWindows windows;
    auto manager = UpdateManager::create(makeUpdater(QString(), defaults), windows.routines());
    EXPECT_FALSE(manager->automaticallyChecksForUpdates());
    std::vector<bool> seenInAnnouncement;
    auto sub =
        manager->willChange.connect([&] { seenInAnnouncement.push_back(manager->automaticallyChecksForUpdates()); });
    manager->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(seenInAnnouncement, std::vector<bool>{false});
    EXPECT_TRUE(manager->automaticallyChecksForUpdates());
    EXPECT_EQ(defaults->boolValue(Updater::kAutomaticChecksKey), true);
}

TEST(UpdateManager, LoweringTakesTheHighWindowsDownAndRestoringPutsThemBack) {
    TestWindows windows;
    Window* toolbar = windows.add(Level::panel, true);
    windows.add(Level::overlay, true);
    windows.add(Level::overlay, false);
    windows.add(Level::normal, true);
    auto manager = UpdateManager::create(makeUpdater(QString()), windows.routines());

    manager->lowerFloatingWindows();
    EXPECT_EQ(windows.levels(), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(manager->loweredWindows().size(), 3u);
    EXPECT_EQ(windows.activations, 1);
    manager->restoreFloatingWindows();
    EXPECT_EQ(windows.levels(), (std::vector<int>{Level::panel, Level::overlay, Level::overlay, 0}));
    EXPECT_TRUE(manager->loweredWindows().empty());

    // A restoring with nothing lowered changes nothing.
    toolbar->stacking().setLevel(5);
    manager->restoreFloatingWindows();
    EXPECT_EQ(toolbar->stacking().level(), 5);
}

TEST(UpdateManager, ASecondLoweringAddsToTheListAndOneRestoreRaisesAll) {
    TestWindows windows;
    windows.add(Level::panel, true);
    windows.add(Level::overlay, true);
    auto manager = UpdateManager::create(makeUpdater(QString()), windows.routines());

    manager->lowerFloatingWindows();
    // A panel opens between the two lowerings.
    windows.add(Level::panel, true);
    manager->lowerFloatingWindows();
    EXPECT_EQ(windows.levels(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(manager->loweredWindows().size(), 3u);
    manager->restoreFloatingWindows();
    EXPECT_EQ(windows.levels(), (std::vector<int>{Level::panel, Level::overlay, Level::panel}));
    manager->restoreFloatingWindows();
    EXPECT_EQ(windows.levels(), (std::vector<int>{Level::panel, Level::overlay, Level::panel}));
}

TEST(UpdateManager, WindowsStepAsideAroundEveryWindowAndAlertOfTheUpdater) {
    testing_support::LocalHttpServer server;
    using testing_support::FeedItem;
    server.routeFeed("/same", testing_support::appcastFeed({FeedItem("150", "1.5")}));
    FeedItem newer("160", "1.6");
    newer.releaseNotes = "https://overink.example/notes";
    server.routeFeed("/newer", testing_support::appcastFeed({newer}));
    server.routeFeed("/broken", "<rss>");
    testing_support::FakeAlerts alerts;
    TestWindows windows;
    windows.add(Level::panel, true);
    windows.add(Level::overlay, true);
    windows.add(Level::popUp, false);
    const std::vector<int> raised{Level::panel, Level::overlay, Level::popUp};

    std::vector<std::vector<int>> levelsWhileShown;
    std::vector<bool> canCheckWhileShown;
    std::shared_ptr<UpdateManager> manager;
    alerts.whileShown = [&](const platform::Alert&) {
        levelsWhileShown.push_back(windows.levels());
        canCheckWhileShown.push_back(manager->canCheck);
    };

    // Up to date, an error, no feed, and an offer whose notes are looked at first.
    struct Case {
        QString feed;
        int alerts;
    };
    const Case cases[] = {{server.url("/same").toString(), 1},
                          {server.url("/broken").toString(), 1},
                          {QString(), 1},
                          {server.url("/newer").toString(), 2}};
    alerts.answer(platform::Alert::kFirstButtonReturn);
    alerts.answer(platform::Alert::kFirstButtonReturn);
    alerts.answer(platform::Alert::kFirstButtonReturn);
    alerts.answer(platform::Alert::kSecondButtonReturn);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.feed.toStdString());
        levelsWhileShown.clear();
        canCheckWhileShown.clear();
        const int activationsBefore = windows.activations;
        manager = UpdateManager::create(makeUpdater(c.feed), windows.routines());
        manager->checkForUpdates();
        ASSERT_TRUE(waitUntil([&] { return manager->controller().canCheckForUpdates.get(); }, 15'000));
        ASSERT_EQ(levelsWhileShown.size(), std::size_t(c.alerts));
        for (const auto& levels : levelsWhileShown) EXPECT_EQ(levels, (std::vector<int>{0, 0, 0}));
        for (bool could : canCheckWhileShown) EXPECT_FALSE(could);
        EXPECT_GT(windows.activations, activationsBefore);
        EXPECT_EQ(windows.levels(), raised);
        EXPECT_TRUE(manager->loweredWindows().empty());
        // The rows learn that a check may start again.
        EXPECT_TRUE(waitUntil([&] { return manager->canCheck.get(); }));
    }
}
