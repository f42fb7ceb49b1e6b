#pragma once

// The software updater: checks the update feed and offers a newer version's
// download page; it never installs anything itself.

#include "platform/Appcast.h"
#include "platform/AppcastFetch.h"
#include "platform/Lifetime.h"
#include "platform/Published.h"
#include "platform/UserDefaults.h"

#include <QDateTime>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace platform {

struct UserUpdateState {
    bool userInitiated = false;
};

// Told about the updater's own window and alerts, so that the program can
// step its floating windows aside while they are up. Calls arrive on the
// main thread.
class StandardUserDriverDelegate {
public:
    virtual ~StandardUserDriverDelegate() = default;
    // Before the window that offers a newer version.
    virtual void standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate, const AppcastItem& update,
                                                           const UserUpdateState& state) = 0;
    virtual void standardUserDriverWillShowModalAlert() = 0;
    virtual void standardUserDriverDidShowModalAlert() = 0;
    // At the end of every check, whatever it found.
    virtual void standardUserDriverWillFinishUpdateSession() = 0;
};

struct UpdaterEnvironment {
    std::shared_ptr<UserDefaults> defaults;
    QString feedUrl;                          // empty: updates are not configured
    QString currentVersion;                   // the running build, compared with the items' versions
    QString displayVersion;                   // the running version as people know it
    std::function<bool(const QUrl&)> openUrl; // a page in the desktop's browser
    std::function<QDateTime()> now;
    int feedTimeoutMs = 30'000;
    double automaticCheckInterval = 24 * 60 * 60; // seconds
};

class Updater {
public:
    static inline const QString kAutomaticChecksKey = QStringLiteral("updater.automaticallyChecksForUpdates");
    static inline const QString kLastCheckKey = QStringLiteral("updater.lastUpdateCheckDate");

    // The program's updater: the feed of configuredFeedUrl(), the standard
    // defaults, the bundle's versions and the desktop's browser.
    static std::shared_ptr<Updater> makeStandard();
    // The environment variable OVERINK_APPCAST_URL when it is set, else the
    // address the program was built with; empty when neither gives one.
    static QString configuredFeedUrl();

    explicit Updater(UpdaterEnvironment environment);
    ~Updater();
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Starts the automatic checks (when they are on); the delegate hears of
    // every window and alert from now on. Only the first call counts.
    void startUpdater(std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate);

    // False from the start of a check until its window or alert is gone.
    Published<bool> canCheckForUpdates{true};

    // A check the user asked for: returns at once; every outcome is shown.
    // Ignored while a check is under way.
    void checkForUpdates();

    // Off until the user turns them on.
    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);
    // The last check that read the feed; none if none ever did.
    std::optional<QDateTime> lastUpdateCheckDate() const;
    // When the next automatic check is due: none while they are off, before
    // the start, or without a feed.
    std::optional<QDateTime> nextAutomaticCheckDate() const;

private:
    void beginCheck(bool userInitiated);
    void checkFinished(bool userInitiated, const AppcastFetch::Result& result);
    void checkFailed(bool userInitiated, const QString& error);
    void offerUpdate(const AppcastItem& item, bool userInitiated);
    // Opens the page in the browser, or names it in an alert when that fails.
    // Both return false when the updater went away while an alert was up.
    bool openPage(const QUrl& url);
    bool showAlert(const QString& message, const QString& informative, bool warning);
    void endSession();
    void scheduleAutomaticCheck();
    void automaticCheckDue();
    std::shared_ptr<StandardUserDriverDelegate> delegate() const { return delegate_.lock(); }

    UpdaterEnvironment env_;
    bool started_ = false;
    std::weak_ptr<StandardUserDriverDelegate> delegate_;
    std::unique_ptr<QNetworkAccessManager> network_;
    std::unique_ptr<AppcastFetch> fetch_;
    QTimer automaticTimer_;
    // Failed checks are not recorded as checks, but wait their interval too.
    std::optional<QDateTime> lastAttempt_;
    // Alerts run the event loop: anything, this updater too, may end meanwhile.
    Lifetime<Updater> lifetime_{this};
};

} // namespace platform
