// The updater against a feed served from this process: what each outcome
// shows, the limits on the download, and the automatic checks.
#include "platform/Updater.h"
#include "support/AppcastFeeds.h"
#include "support/FakeDialogs.h"
#include "support/FileOpenWatch.h"
#include "support/LocalHttpServer.h"
#include "support/ShownDialogs.h"
#include "support/TestUtil.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/stat.h>

using platform::Updater;
using platform::UpdaterEnvironment;
using testing_support::appcastFeed;
using testing_support::FeedItem;
using testing_support::LocalHttpServer;
using testing_support::waitUntil;
using Calls = std::vector<std::string>;

namespace {

class RecordingDelegate : public platform::StandardUserDriverDelegate {
public:
    void standardUserDriverWillHandleShowingUpdate(bool, const platform::AppcastItem&,
                                                   const platform::UserUpdateState&) override {
        calls.push_back("showUpdate");
    }
    void standardUserDriverWillShowModalAlert() override { calls.push_back("willShowAlert"); }
    void standardUserDriverDidShowModalAlert() override { calls.push_back("didShowAlert"); }
    void standardUserDriverWillFinishUpdateSession() override { calls.push_back("finish"); }

    Calls calls;
};

struct UpdaterTest : ::testing::Test {
    std::unique_ptr<Updater> makeUpdater(const QString& feed, int timeoutMs = 10'000) {
        UpdaterEnvironment env;
        env.defaults = defaults;
        env.feedUrl = feed;
        env.currentVersion = "150";
        env.displayVersion = "1.5";
        env.openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return openSucceeds;
        };
        env.now = [this] { return now; };
        env.feedTimeoutMs = timeoutMs;
        auto updater = std::make_unique<Updater>(env);
        updater->startUpdater(delegate);
        return updater;
    }

    // A check the user asked for, run to its end.
    bool check(Updater& updater, int timeoutMs = 15'000) {
        updater.checkForUpdates();
        return waitUntil([&] { return updater.canCheckForUpdates.get(); }, timeoutMs);
    }

    void serveFeed(const QString& path, const std::vector<FeedItem>& items) {
        server.routeFeed(path, appcastFeed(items));
    }

    testing_support::FakeAlerts alerts;
    LocalHttpServer server;
    std::shared_ptr<platform::UserDefaults> defaults = platform::UserDefaults::inMemory();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();
    std::vector<QUrl> opened;
    bool openSucceeds = true;
    QDateTime now = QDateTime(QDate(2024, 5, 14), QTime(10, 0));
};

FeedItem item(const QString& version, const QString& shortVersion, const QString& notes = {}) {
    FeedItem i{version, shortVersion};
    i.link = "https://overink.example/download/" + shortVersion;
    i.releaseNotes = notes;
    return i;
}

} // namespace

TEST_F(UpdaterTest, ANewerVersionIsOfferedWithItsDownloadPage) {
    serveFeed("/feed",
              {item("140", "1.4"), item("160", "1.6", "https://overink.example/notes/1.6"), item("155", "1.5.5")});
    auto updater = makeUpdater(server.url("/feed").toString());
    bool couldCheckWhileShown = true;
    alerts.whileShown = [&](const platform::Alert&) { couldCheckWhileShown = updater->canCheckForUpdates; };
    ASSERT_TRUE(check(*updater));

    ASSERT_EQ(alerts.shown.size(), 1u);
    const platform::Alert& offer = alerts.shown[0];
    EXPECT_EQ(offer.messageText.toStdString(), "A new version of Overink is available!");
    EXPECT_TRUE(offer.informativeText.contains("Overink 1.6 is now available")) << offer.informativeText.toStdString();
    EXPECT_TRUE(offer.informativeText.contains("you have 1.5"));
    EXPECT_EQ(offer.buttons(), (std::vector<QString>{"Open Download Page", "Release Notes", "Cancel"}));
    EXPECT_FALSE(couldCheckWhileShown);
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://overink.example/download/1.6")});
    EXPECT_EQ(delegate->calls, (Calls{"showUpdate", "finish"}));
    EXPECT_EQ(updater->lastUpdateCheckDate(), now);
}

TEST_F(UpdaterTest, ReleaseNotesOpenBesideTheOfferAndCancelOpensNothing) {
    serveFeed("/feed", {item("160", "1.6", "https://overink.example/notes/1.6")});
    auto updater = makeUpdater(server.url("/feed").toString());
    alerts.answer(platform::Alert::kSecondButtonReturn);
    alerts.answer(platform::Alert::kFirstButtonReturn);
    ASSERT_TRUE(check(*updater));
    EXPECT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(opened, (std::vector<QUrl>{QUrl("https://overink.example/notes/1.6"),
                                         QUrl("https://overink.example/download/1.6")}));

    opened.clear();
    delegate->calls.clear();
    alerts.answer(platform::Alert::kThirdButtonReturn);
    ASSERT_TRUE(check(*updater));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(delegate->calls, (Calls{"showUpdate", "finish"}));
}

TEST_F(UpdaterTest, APageThatCannotBeOpenedIsNamedInAnAlert) {
    serveFeed("/feed", {item("160", "1.6")});
    auto updater = makeUpdater(server.url("/feed").toString());
    openSucceeds = false;
    ASSERT_TRUE(check(*updater));
    ASSERT_EQ(alerts.shown.size(), 2u);
    EXPECT_EQ(alerts.shown[1].messageText.toStdString(), "The page could not be opened.");
    EXPECT_TRUE(alerts.shown[1].informativeText.contains("https://overink.example/download/1.6"));
    EXPECT_EQ(delegate->calls, (Calls{"showUpdate", "willShowAlert", "didShowAlert", "finish"}));
}

// A feed's version shown in the real alert is text, whatever it holds:
// an image it names is not loaded (a FIFO there would hold the program for
// good, /dev/zero would exhaust its memory) and a link is not drawn.
TEST_F(UpdaterTest, AFeedsMarkupIsShownAsWrittenAndLoadsNothing) {
    QTemporaryDir dir;
    QImage(4, 4, QImage::Format_RGB32).save(dir.filePath("picture.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    testing_support::FileOpenWatch watch(dir.path(), "pipe");
    const QString shortVersion =
        QStringLiteral("<img src=\"%1\"><img src=\"%2\"><a href=\"https://elsewhere.example\">1.6</a>")
            .arg(QUrl::fromLocalFile(dir.filePath("picture.png")).toString(),
                 QUrl::fromLocalFile(dir.filePath("pipe")).toString());
    serveFeed("/feed", {item("160", shortVersion)});
    auto updater = makeUpdater(server.url("/feed").toString());
    platform::Alert::setRunnerForTesting(nullptr); // the real alert
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    testing_support::whenAlertShows([&](QMessageBox* box) {
        for (QLabel* label : box->findChildren<QLabel*>())
            if (label->text().contains(shortVersion)) {
                shown = label->text();
                format = label->textFormat();
            }
        testing_support::clickAlertButton(box, "Cancel");
    });
    ASSERT_TRUE(check(*updater));
    EXPECT_EQ(shown.toStdString(), ("Overink " + shortVersion +
                                    " is now available; you have 1.5. Would you like to "
                                    "open its download page?")
                                       .toStdString());
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(watch.opened().join(" ").toStdString(), "");
    EXPECT_TRUE(opened.empty());
}

TEST_F(UpdaterTest, TheSameOrAnOlderVersionIsUpToDate) {
    const std::vector<std::vector<FeedItem>> feeds = {
        {item("150", "1.5")}, {item("150.0", "1.5")}, {item("149", "1.4.9"), item("99", "0.9.9")}, {}};
    for (std::size_t i = 0; i < feeds.size(); ++i) {
        SCOPED_TRACE(i);
        const QString path = QStringLiteral("/feed%1").arg(i);
        serveFeed(path, feeds[i]);
        defaults->remove(Updater::kLastCheckKey);
        alerts.shown.clear();
        delegate->calls.clear();
        auto updater = makeUpdater(server.url(path).toString());
        ASSERT_TRUE(check(*updater));
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "You're up to date!");
        EXPECT_EQ(alerts.shown[0].informativeText.toStdString(),
                  "Overink 1.5 is currently the newest version available.");
        EXPECT_EQ(delegate->calls, (Calls{"willShowAlert", "didShowAlert", "finish"}));
        EXPECT_TRUE(opened.empty());
        EXPECT_TRUE(updater->lastUpdateCheckDate().has_value());
    }
}

TEST_F(UpdaterTest, EveryFailureEndsInTheErrorAlertAndIsNotRecordedAsACheck) {
    server.routeFeed("/broken", "<rss><channel><item><title>half");
    server.routeFeed("/unusable", appcastFeed({FeedItem{"", ""}}));
    const QByteArray huge = "<rss><channel>" + QByteArray(5 << 20, ' ') + "</channel></rss>";
    server.routeFeed("/huge", huge);
    LocalHttpServer::Response unannounced;
    unannounced.body = huge;
    unannounced.sendLength = false;
    server.route("/huge-unannounced", unannounced);
    LocalHttpServer::Response silent;
    silent.silent = true;
    server.route("/silent", silent);
    for (int i = 6; i > 0; --i) server.routeRedirect(QStringLiteral("/r%1").arg(i), QStringLiteral("/r%1").arg(i - 1));
    serveFeed("/r0", {item("160", "1.6")});
    server.routeRedirect("/to-plain-http", "http://example.invalid/appcast.xml", 301);

    // A port that was free a moment ago: nothing answers there.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QString refused = QStringLiteral("http://127.0.0.1:%1/feed").arg(closed.serverPort());
    closed.close();

    struct Case {
        QString path;
        QString reason;
        int timeoutMs = 10'000;
    };
    const Case cases[] = {
        {"/broken", "not valid XML"},
        {"/unusable", "no version"},
        {"/huge", "larger than 1 MB"},
        {"/huge-unannounced", "larger than 1 MB"},
        {"/missing", "status 404"},
        {"/silent", "did not answer in time", 300},
        {"/r6", "redirected more than 5 times"},
        {"/to-plain-http", "http://example.invalid/appcast.xml"},
        {refused, "could not be reached"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        alerts.shown.clear();
        delegate->calls.clear();
        auto updater = makeUpdater(c.path.startsWith('/') ? server.url(c.path).toString() : c.path, c.timeoutMs);
        ASSERT_TRUE(check(*updater, c.timeoutMs + 15'000));
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Overink could not check for updates.");
        const QString text = alerts.shown[0].informativeText;
        EXPECT_TRUE(text.contains(c.reason)) << text.toStdString();
        EXPECT_TRUE(text.endsWith(". Please try again later.") && !text.contains("..")) << text.toStdString();
        EXPECT_EQ(delegate->calls, (Calls{"willShowAlert", "didShowAlert", "finish"}));
        EXPECT_FALSE(updater->lastUpdateCheckDate().has_value());
        EXPECT_TRUE(opened.empty());
    }
}

TEST_F(UpdaterTest, FiveRedirectsAreFollowed) {
    for (int i = 5; i > 0; --i)
        server.routeRedirect(QStringLiteral("/r%1").arg(i), QStringLiteral("/r%1").arg(i - 1), 307);
    serveFeed("/r0", {item("160", "1.6")});
    auto updater = makeUpdater(server.url("/r5").toString());
    ASSERT_TRUE(check(*updater));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "A new version of Overink is available!");
    EXPECT_EQ(server.requests(), (QList<QString>{"/r5", "/r4", "/r3", "/r2", "/r1", "/r0"}));
}

TEST_F(UpdaterTest, WithoutAFeedTheUserIsToldUpdatesAreNotConfigured) {
    auto updater = makeUpdater(QString());
    updater->checkForUpdates();
    EXPECT_TRUE(alerts.shown.empty()) << "the check returns before its alert";
    ASSERT_TRUE(waitUntil([&] { return updater->canCheckForUpdates.get(); }));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Updates are not configured.");
    EXPECT_EQ(delegate->calls, (Calls{"willShowAlert", "didShowAlert", "finish"}));
}

TEST_F(UpdaterTest, AFeedOverPlainHttpElsewhereIsRefusedUnasked) {
    auto updater = makeUpdater("http://example.invalid/appcast.xml");
    ASSERT_TRUE(check(*updater));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_TRUE(alerts.shown[0].informativeText.contains("not a secure (https) address"));
    for (const QString bad : {"ftp://overink.example/feed", "not a url", "https://"}) {
        SCOPED_TRACE(bad.toStdString());
        alerts.shown.clear();
        auto other = makeUpdater(bad);
        ASSERT_TRUE(check(*other));
        ASSERT_EQ(alerts.shown.size(), 1u);
        EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "Overink could not check for updates.");
    }
}

TEST_F(UpdaterTest, OneCheckAtATimeAndCanCheckFollowsIt) {
    serveFeed("/feed", {item("150", "1.5")});
    auto updater = makeUpdater(server.url("/feed").toString());
    std::vector<bool> seen;
    auto sub = updater->canCheckForUpdates.sink([&](bool v) { seen.push_back(v); });
    updater->checkForUpdates();
    EXPECT_FALSE(updater->canCheckForUpdates);
    updater->checkForUpdates();
    ASSERT_TRUE(waitUntil([&] { return updater->canCheckForUpdates.get(); }));
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(seen, (std::vector<bool>{true, false, true}));
}

TEST_F(UpdaterTest, AutomaticChecksAreOffUntilTurnedOnThenDaily) {
    serveFeed("/feed", {item("150", "1.5")});
    auto updater = makeUpdater(server.url("/feed").toString());
    EXPECT_FALSE(updater->automaticallyChecksForUpdates());
    EXPECT_FALSE(updater->nextAutomaticCheckDate().has_value());

    // Never checked: due at once. Else a day after the last check.
    updater->setAutomaticallyChecksForUpdates(true);
    EXPECT_EQ(defaults->boolValue(Updater::kAutomaticChecksKey), true);
    EXPECT_EQ(updater->nextAutomaticCheckDate(), now);
    defaults->setString(Updater::kLastCheckKey, now.addSecs(-3600).toUTC().toString(Qt::ISODateWithMs));
    EXPECT_EQ(updater->nextAutomaticCheckDate(), now.addSecs(23 * 3600));
    // A recorded check in the future is a clock that was wrong.
    defaults->setString(Updater::kLastCheckKey, now.addDays(3).toUTC().toString(Qt::ISODateWithMs));
    EXPECT_EQ(updater->nextAutomaticCheckDate(), now);
    defaults->setString(Updater::kLastCheckKey, "garbage");
    EXPECT_EQ(updater->nextAutomaticCheckDate(), now);
    EXPECT_FALSE(updater->lastUpdateCheckDate().has_value());

    // Without a feed, or before the start, nothing is scheduled.
    defaults->setBool(Updater::kAutomaticChecksKey, true);
    EXPECT_FALSE(makeUpdater(QString())->nextAutomaticCheckDate().has_value());
    UpdaterEnvironment env;
    env.defaults = defaults;
    env.feedUrl = server.url("/feed").toString();
    EXPECT_FALSE(Updater(env).nextAutomaticCheckDate().has_value());
}

TEST_F(UpdaterTest, AutomaticChecksRunQuietlyUnlessThereIsAnUpdate) {
    serveFeed("/same", {item("150", "1.5")});
    serveFeed("/newer", {item("160", "1.6")});
    server.routeFeed("/broken", "<rss>");
    defaults->setBool(Updater::kAutomaticChecksKey, true);

    auto quiet = makeUpdater(server.url("/same").toString());
    ASSERT_TRUE(waitUntil([&] { return server.requests().contains("/same") && quiet->canCheckForUpdates.get(); }));
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_EQ(quiet->lastUpdateCheckDate(), now);
    EXPECT_EQ(quiet->nextAutomaticCheckDate(), now.addDays(1));

    defaults->remove(Updater::kLastCheckKey);
    auto failing = makeUpdater(server.url("/broken").toString());
    ASSERT_TRUE(waitUntil([&] { return server.requests().contains("/broken") && failing->canCheckForUpdates.get(); }));
    EXPECT_TRUE(alerts.shown.empty());
    EXPECT_FALSE(failing->lastUpdateCheckDate().has_value());
    // A failed attempt waits its day too, rather than retrying at once.
    EXPECT_EQ(failing->nextAutomaticCheckDate(), now.addDays(1));

    delegate->calls.clear();
    auto offering = makeUpdater(server.url("/newer").toString());
    ASSERT_TRUE(waitUntil([&] { return server.requests().contains("/newer") && offering->canCheckForUpdates.get(); }));
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].messageText.toStdString(), "A new version of Overink is available!");
    EXPECT_EQ(delegate->calls, (Calls{"showUpdate", "finish"}));
}

TEST(UpdaterFeedAddress, TheEnvironmentOverridesTheBuildSetting) {
    const QByteArray saved = qgetenv("OVERINK_APPCAST_URL");
    const bool wasSet = qEnvironmentVariableIsSet("OVERINK_APPCAST_URL");
    qputenv("OVERINK_APPCAST_URL", " https://overink.example/appcast.xml ");
    EXPECT_EQ(Updater::configuredFeedUrl(), "https://overink.example/appcast.xml");
    // Set but empty: updates are turned off for this run.
    qputenv("OVERINK_APPCAST_URL", "");
    EXPECT_EQ(Updater::configuredFeedUrl(), "");
    if (wasSet) qputenv("OVERINK_APPCAST_URL", saved);
    else qunsetenv("OVERINK_APPCAST_URL");
}
