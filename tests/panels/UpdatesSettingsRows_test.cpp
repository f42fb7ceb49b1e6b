// The update rows as widgets: the version line, the status line after a
// real check, "Check Now" greyed and dead while a check runs, and the
// automatic-check checkbox.
#include "panels/UpdatesSettingsRows.h"
#include "support/AppcastFeeds.h"
#include "support/FakeDialogs.h"
#include "support/LocalHttpServer.h"
#include "support/TestUtil.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using platform::Updater;
using testing_support::drainEvents;
using testing_support::FeedItem;
using testing_support::waitUntil;

namespace {

void click(QWidget* w, QPoint at) {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &e);
    }
}
void click(QWidget* w) { click(w, w->rect().center()); }

// A manager over an updater of the feed at `feed` (none when empty).
std::shared_ptr<UpdateManager>
makeManager(const QString& feed, std::shared_ptr<platform::UserDefaults> defaults = platform::UserDefaults::inMemory(),
            int timeoutMs = 10'000) {
    platform::UpdaterEnvironment env;
    env.defaults = std::move(defaults);
    env.feedUrl = feed;
    env.currentVersion = "150";
    env.displayVersion = "1.5";
    env.openUrl = [](const QUrl&) { return true; };
    env.feedTimeoutMs = timeoutMs;
    return UpdateManager::create(std::make_shared<Updater>(env), {});
}

// The rows as the settings panel lays them out, 182 points wide.
struct Rows {
    explicit Rows(std::shared_ptr<UpdateManager> manager,
                  platform::Bundle bundle = platform::Bundle("", QString("1.5"), QString("150")))
        : rows(std::make_unique<UpdatesSettingsRows>(
              std::move(manager), [this] { ++dismissed; }, bundle)) {
        rows->resize(182, rows->heightForWidth(182));
        rows->show();
        drainEvents();
    }
    std::unique_ptr<UpdatesSettingsRows> rows;
    int dismissed = 0;
};

} // namespace

TEST(UpdatesSettingsRowsView, TheVersionLineAndBothFormsOfTheStatusLine) {
    testing_support::LocalHttpServer server;
    server.routeFeed("/feed", testing_support::appcastFeed({FeedItem("150", "1.5")}));
    testing_support::FakeAlerts alerts;
    Rows r(makeManager(server.url("/feed").toString()));
    EXPECT_EQ(r.rows->versionText().toStdString(), "Overink 1.5");
    EXPECT_EQ(r.rows->statusText().toStdString(), "Not checked yet.");
    EXPECT_EQ(Rows(makeManager({}), platform::Bundle("", std::nullopt, QString("7"))).rows->versionText().toStdString(),
              "Overink \u2014");

    // The rows follow the manager: the line changes once the check is over.
    click(r.rows->checkNowButton());
    ASSERT_TRUE(waitUntil([&] { return r.rows->statusText() != "Not checked yet."; }));
    const std::string status = r.rows->statusText().toStdString();
    EXPECT_EQ(status.rfind("Last checked ", 0), 0u) << status;
    EXPECT_EQ(status.back(), '.');
    EXPECT_EQ(alerts.shown.size(), 1u);
}

TEST(UpdatesSettingsRowsView, CheckNowIsGreyAndDeadWhileACheckRuns) {
    testing_support::LocalHttpServer server;
    testing_support::LocalHttpServer::Response silent;
    silent.silent = true;
    server.route("/feed", silent);
    testing_support::FakeAlerts alerts;
    Rows r(makeManager(server.url("/feed").toString(), platform::UserDefaults::inMemory(), 600));
    const ui::Theme theme = ui::Theme::current(r.rows.get());
    QAbstractButton* checkNow = r.rows->checkNowButton();
    EXPECT_TRUE(checkNow->isEnabled());
    // The accent, as dark or as light as reading it takes.
    EXPECT_EQ(r.rows->checkNowColor(), theme.legible(theme.accent));

    click(checkNow);
    EXPECT_EQ(r.dismissed, 1) << "the panel closes at once";
    ASSERT_TRUE(waitUntil([&] { return !checkNow->isEnabled(); }));
    EXPECT_EQ(r.rows->checkNowColor(), theme.secondary);
    // A click on the greyed button neither closes the panel nor checks.
    click(checkNow);
    EXPECT_EQ(r.dismissed, 1);

    // The server never answers: the check ends in the error alert, and the
    // button comes back.
    ASSERT_TRUE(waitUntil([&] { return checkNow->isEnabled(); }, 10'000));
    EXPECT_EQ(r.rows->checkNowColor(), theme.legible(theme.accent));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Overink could not check for updates.");
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(r.rows->statusText().toStdString(), "Not checked yet.") << "a failed check is no check";
}

TEST(UpdatesSettingsRowsView, TheCheckboxWritesTheSettingAndShowsWhatTheUpdaterKeeps) {
    auto defaults = platform::UserDefaults::inMemory();
    auto manager = makeManager({}, defaults);
    Rows r(manager);
    QCheckBox* box = r.rows->automaticChecksCheckbox();
    EXPECT_EQ(box->text().toStdString(), "Check for updates automatically");
    EXPECT_FALSE(box->isChecked()) << "automatic checks are off until turned on";

    // Anywhere on the row, its wrapped second line included.
    click(box, QPoint(box->width() - 2, box->height() - 2));
    EXPECT_EQ(defaults->boolValue(Updater::kAutomaticChecksKey), true);
    drainEvents();
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(r.dismissed, 0) << "the panel stays open";

    // Changed elsewhere: the rows read it again.
    manager->setAutomaticallyChecksForUpdates(false);
    drainEvents();
    EXPECT_FALSE(box->isChecked());
    defaults->setBool(Updater::kAutomaticChecksKey, true);
    EXPECT_TRUE(Rows(manager).rows->automaticChecksCheckbox()->isChecked()) << "a new panel shows the kept value";
}

TEST(UpdatesSettingsRowsView, TheCheckboxLabelWrapsRatherThanBeingCut) {
    Rows r(makeManager({}));
    r.rows->resize(120, r.rows->heightForWidth(120));
    drainEvents();
    QCheckBox* box = r.rows->automaticChecksCheckbox();
    ASSERT_GT(box->sizeHint().width(), box->width());
    EXPECT_GE(box->height(), box->heightForWidth(box->width()));
    EXPECT_GE(box->height(), 2 * QFontMetrics(box->font()).height());
    EXPECT_LE(box->geometry().bottom(), r.rows->height() - 1);
}
