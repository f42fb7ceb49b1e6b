// The update rows' texts and "Check Now".
#include "panels/UpdatesSettingsRowsModel.h"
#include "support/FakeDialogs.h"
#include "support/TestUtil.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using platform::Updater;
using testing_support::waitUntil;

namespace {

std::shared_ptr<UpdateManager> makeManager(std::shared_ptr<platform::UserDefaults> defaults) {
    platform::UpdaterEnvironment env;
    env.defaults = std::move(defaults);
    env.currentVersion = env.displayVersion = "1.5";
    return UpdateManager::create(std::make_shared<Updater>(env), {});
}

} // namespace

TEST(UpdatesSettingsRows, VersionStringFallsBackToADash) {
    auto manager = makeManager(platform::UserDefaults::inMemory());
    const UpdatesSettingsRowsModel withVersion(manager, {}, platform::Bundle("", QString("2.3.1"), QString("7")));
    EXPECT_EQ(withVersion.versionString().toStdString(), "2.3.1");
    const UpdatesSettingsRowsModel without(manager, {}, platform::Bundle("", std::nullopt, QString("7")));
    EXPECT_EQ(without.versionString().toStdString(), "\u2014");
}

TEST(UpdatesSettingsRows, StatusLineTellsWhetherAndWhenTheLastCheckRan) {
    auto defaults = platform::UserDefaults::inMemory();
    const UpdatesSettingsRowsModel rows(makeManager(defaults), {});
    const QDateTime now(QDate(2024, 5, 14), QTime(10, 0));
    EXPECT_EQ(rows.lastCheckedText(now).toStdString(), "Not checked yet.");
    defaults->setString(Updater::kLastCheckKey, now.addSecs(-5 * 60).toUTC().toString(Qt::ISODateWithMs));
    EXPECT_EQ(rows.lastCheckedText(now).toStdString(), "Last checked 5 minutes ago.");
    defaults->setString(Updater::kLastCheckKey, now.addDays(-1).toUTC().toString(Qt::ISODateWithMs));
    EXPECT_EQ(rows.lastCheckedText(now).toStdString(), "Last checked yesterday.");
    defaults->setString(Updater::kLastCheckKey, "not a date");
    EXPECT_EQ(rows.lastCheckedText(now).toStdString(), "Not checked yet.");
}

TEST(UpdatesSettingsRows, CheckNowClosesThePanelThenChecksOnceItIsGone) {
    testing_support::FakeAlerts alerts;
    auto manager = makeManager(platform::UserDefaults::inMemory());
    Updater& updater = manager->controller();
    QElapsedTimer clock;
    qint64 dismissedAt = -1, checkStartedAt = -1;
    bool checkingWhenDismissed = false;
    auto sub = updater.canCheckForUpdates.sink(
        [&](bool can) {
            if (!can && checkStartedAt < 0) checkStartedAt = clock.elapsed();
        },
        platform::Delivery::Immediate, platform::Initial::Skip);
    UpdatesSettingsRowsModel rows(manager, [&] {
        dismissedAt = clock.elapsed();
        checkingWhenDismissed = !updater.canCheckForUpdates;
    });

    clock.start();
    rows.checkNow();
    EXPECT_GE(dismissedAt, 0) << "the panel closes before checkNow returns";
    EXPECT_FALSE(checkingWhenDismissed);
    EXPECT_LT(checkStartedAt, 0) << "the check waits for the panel to go";
    ASSERT_TRUE(waitUntil([&] { return checkStartedAt >= 0; }));
    EXPECT_GE(checkStartedAt, 140);
    EXPECT_LT(checkStartedAt, 1000);
    // This updater has no feed: the check ends in its alert.
    ASSERT_TRUE(waitUntil([&] { return updater.canCheckForUpdates.get(); }));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Updates are not configured.");
}

TEST(UpdatesSettingsRows, TheCheckStillStartsWhenClosingThePanelTakesTheRowsWithIt) {
    testing_support::FakeAlerts alerts;
    auto manager = makeManager(platform::UserDefaults::inMemory());
    std::unique_ptr<UpdatesSettingsRowsModel> rows;
    rows = std::make_unique<UpdatesSettingsRowsModel>(manager, [&rows] { rows.reset(); });
    rows->checkNow();
    EXPECT_EQ(rows, nullptr);
    ASSERT_TRUE(waitUntil([&] { return alerts.shown.size() == 1u; }));
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Updates are not configured.");
}
