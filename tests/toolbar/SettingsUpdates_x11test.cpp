// The update rows in the real settings panel against a feed served on this
// machine: Check Now closes the panel and the check follows, our windows
// step aside while the offer is up, and the panel opened again tells when
// the check ran.
#include "RealToolbar.h"
#include "panels/UpdatesSettingsRows.h"
#include "support/AppcastFeeds.h"
#include "support/FakeDialogs.h"
#include "support/LocalHttpServer.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/SettingsWindowController.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

SettingsWindowController* settingsPanel(const RealToolbar& t) { return t.delegate->settingsController(); }

bool panelUp(const SettingsWindowController* panel) {
    if (!panel) return false;
    platform::Window* w = panel->window();
    if (!w->isVisible() || !w->windowHandle() || !w->windowHandle()->isExposed()) return false;
    return waitUntilPlaced(
        w->xid(), [w] { return platform::toGlobal(w->frame()).toRect(); }, 3000);
}

UpdatesSettingsRows* openRows(RealToolbar& t) {
    t.delegate->toggleSettingsPanel();
    if (!waitUntil([&] { return panelUp(settingsPanel(t)); })) return nullptr;
    return settingsPanel(t)->root()->updateRows();
}

// Our shown windows at the overlay level or above.
int highWindows() {
    int n = 0;
    for (platform::Window* w : platform::Window::all())
        if (w->isVisible() && w->stacking().level() >= 999) ++n;
    return n;
}

} // namespace

TEST(SettingsUpdatesOnX11, CheckNowAgainstALocalFeedOffersTheNewerVersion) {
    // The updater keeps its settings in the program's own store: a fresh one.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    LocalHttpServer server;
    server.routeFeed("/feed.xml", appcastFeed({FeedItem("999999999", "999.0")}));
    qputenv("OVERINK_APPCAST_URL", server.url("/feed.xml").toString().toUtf8());
    RealToolbar t;
    FakeAlerts alerts;
    // Cancel: the offer has no release notes, so it is the second button.
    alerts.answer(platform::Alert::kSecondButtonReturn);
    int highDuringOffer = -1;
    bool panelDuringOffer = true;
    alerts.whileShown = [&](const platform::Alert&) {
        highDuringOffer = highWindows();
        panelDuringOffer = settingsPanel(t) && settingsPanel(t)->window()->isVisible();
    };

    ASSERT_TRUE(t.showAndSettle());
    ASSERT_GE(highWindows(), 1) << "the toolbar stands above ordinary windows";
    const int levelBefore = t.window()->stacking().level();

    UpdatesSettingsRows* rows = openRows(t);
    ASSERT_NE(rows, nullptr);
    EXPECT_TRUE(rows->isVisible());
    EXPECT_EQ(rows->statusText().toStdString(), "Not checked yet.");
    EXPECT_FALSE(rows->automaticChecksCheckbox()->isChecked());
    ASSERT_TRUE(waitUntil([&] { return rows->checkNowButton()->isEnabled(); }));

    clickOn(RealToolbar::centreOf(rows->checkNowButton()));
    ASSERT_TRUE(waitUntil([&] { return !settingsPanel(t) || !settingsPanel(t)->window()->isVisible(); }))
        << "Check Now closes the panel";
    ASSERT_TRUE(waitUntil([&] { return alerts.shown.size() == 1u; }, 10'000));
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "A new version of Overink is available!");
    EXPECT_EQ(server.requests(), QList<QString>{"/feed.xml"});
    EXPECT_FALSE(panelDuringOffer) << "the check starts once the panel is gone";
    EXPECT_EQ(highDuringOffer, 0) << "our windows stand aside while the offer is up";
    ASSERT_TRUE(waitUntil([&] { return t.window()->stacking().level() == levelBefore; }));
    EXPECT_TRUE(t.window()->isVisible());

    // Opened again, the panel tells when the check ran and may check again.
    rows = openRows(t);
    ASSERT_NE(rows, nullptr);
    const std::string status = rows->statusText().toStdString();
    EXPECT_EQ(status.rfind("Last checked ", 0), 0u) << status;
    EXPECT_TRUE(rows->checkNowButton()->isEnabled());

    // The checkbox keeps its place in the program's store across panels.
    QCheckBox* box = rows->automaticChecksCheckbox();
    clickOn(box->mapToGlobal(QPoint(8, box->height() / 2)));
    ASSERT_TRUE(waitUntil([&] { return box->isChecked(); }));
    EXPECT_TRUE(settingsPanel(t)->window()->isVisible()) << "the checkbox leaves the panel open";
    t.delegate->toggleSettingsPanel();
    ASSERT_TRUE(waitUntil([&] { return !settingsPanel(t) || !settingsPanel(t)->window()->isVisible(); }));
    rows = openRows(t);
    ASSERT_NE(rows, nullptr);
    EXPECT_TRUE(rows->automaticChecksCheckbox()->isChecked());
}
