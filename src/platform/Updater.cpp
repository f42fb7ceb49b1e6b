// Checking the update feed, on request and once a day when allowed, and
// telling the user what was found.
#include "platform/Updater.h"

#include "platform/Alert.h"
#include "platform/AppcastVersion.h"
#include "platform/Bundle.h"
#include "platform/Dispatch.h"
#include "platform/SystemLog.h"

#include <QDesktopServices>
#include <QNetworkAccessManager>

#include <algorithm>

namespace platform {

namespace {
// Timers lag behind the clock while the machine sleeps: look again hourly.
constexpr qint64 kLongestWaitMs = 60 * 60 * 1000;
} // namespace

std::shared_ptr<Updater> Updater::makeStandard() {
    const Bundle& bundle = Bundle::main();
    UpdaterEnvironment env;
    env.defaults = UserDefaults::standard();
    env.feedUrl = configuredFeedUrl();
    env.displayVersion = bundle.infoString(QStringLiteral("CFBundleShortVersionString")).value_or(QString());
    // Feeds compare their versions with the build's version, as they number
    // builds; a build without one compares its short version.
    env.currentVersion = bundle.infoString(QStringLiteral("CFBundleVersion")).value_or(env.displayVersion);
    env.openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    env.now = [] { return QDateTime::currentDateTime(); };
    return std::make_shared<Updater>(std::move(env));
}

QString Updater::configuredFeedUrl() {
    if (qEnvironmentVariableIsSet("OVERINK_APPCAST_URL")) return qEnvironmentVariable("OVERINK_APPCAST_URL").trimmed();
    return QStringLiteral(OVERINK_APPCAST_URL).trimmed();
}

Updater::Updater(UpdaterEnvironment environment) : env_(std::move(environment)) {
    if (!env_.defaults) env_.defaults = UserDefaults::inMemory();
    if (!env_.now) env_.now = [] { return QDateTime::currentDateTime(); };
    if (!env_.openUrl) env_.openUrl = [](const QUrl&) { return false; };
    automaticTimer_.setSingleShot(true);
    QObject::connect(&automaticTimer_, &QTimer::timeout, &automaticTimer_, [this] { automaticCheckDue(); });
}

Updater::~Updater() { lifetime_.end(); }

void Updater::startUpdater(std::weak_ptr<StandardUserDriverDelegate> userDriverDelegate) {
    assertMainThread("Updater::startUpdater");
    if (started_) return;
    started_ = true;
    delegate_ = std::move(userDriverDelegate);
    scheduleAutomaticCheck();
}

bool Updater::automaticallyChecksForUpdates() const {
    return env_.defaults->boolValue(kAutomaticChecksKey).value_or(false);
}

void Updater::setAutomaticallyChecksForUpdates(bool on) {
    assertMainThread("Updater::setAutomaticallyChecksForUpdates");
    env_.defaults->setBool(kAutomaticChecksKey, on);
    scheduleAutomaticCheck();
}

std::optional<QDateTime> Updater::lastUpdateCheckDate() const {
    const auto stored = env_.defaults->stringValue(kLastCheckKey);
    if (!stored) return std::nullopt;
    const QDateTime date = QDateTime::fromString(*stored, Qt::ISODateWithMs);
    if (!date.isValid()) return std::nullopt;
    return date.toLocalTime();
}

std::optional<QDateTime> Updater::nextAutomaticCheckDate() const {
    if (!started_ || !automaticallyChecksForUpdates() || env_.feedUrl.isEmpty()) return std::nullopt;
    const QDateTime now = env_.now();
    std::optional<QDateTime> since = lastUpdateCheckDate();
    // A check "in the future" is a clock that was wrong: it does not count.
    if (since && *since > now) since.reset();
    if (lastAttempt_ && (!since || *lastAttempt_ > *since)) since = lastAttempt_;
    if (!since) return now;
    return since->addMSecs(static_cast<qint64>(env_.automaticCheckInterval * 1000.0));
}

void Updater::checkForUpdates() {
    assertMainThread("Updater::checkForUpdates");
    if (!canCheckForUpdates) return;
    beginCheck(true);
}

void Updater::beginCheck(bool userInitiated) {
    canCheckForUpdates = false;
    automaticTimer_.stop();
    lastAttempt_ = env_.now();
    if (env_.feedUrl.isEmpty()) {
        // Only a user's check gets here: automatic checks need a feed.
        dispatchMain([this, weak = lifetime_.ref()] {
            if (!weak) return;
            if (!showAlert(QStringLiteral("Updates are not configured."),
                           QStringLiteral("This copy of Overink was built without an update feed, so it cannot "
                                          "look for new versions."),
                           false))
                return;
            endSession();
        });
        return;
    }
    if (!network_) network_ = std::make_unique<QNetworkAccessManager>();
    AppcastFetch::Limits limits;
    limits.timeoutMs = env_.feedTimeoutMs;
    fetch_ = std::make_unique<AppcastFetch>(
        *network_, QUrl(env_.feedUrl), limits,
        [this, userInitiated](const AppcastFetch::Result& result) { checkFinished(userInitiated, result); });
}

void Updater::checkFinished(bool userInitiated, const AppcastFetch::Result& result) {
    fetch_.reset();
    if (!result.ok()) return checkFailed(userInitiated, result.error);
    const AppcastParseResult feed = parseAppcast(result.bytes);
    if (!feed.ok()) return checkFailed(userInitiated, feed.error);
    env_.defaults->setString(kLastCheckKey, env_.now().toUTC().toString(Qt::ISODateWithMs));
    const auto newest = newestItem(feed.items);
    if (newest && compareVersions(newest->version, env_.currentVersion) > 0) return offerUpdate(*newest, userInitiated);
    if (userInitiated &&
        !showAlert(QStringLiteral("You're up to date!"),
                   QStringLiteral("Overink %1 is currently the newest version available.").arg(env_.displayVersion),
                   false))
        return;
    endSession();
}

void Updater::checkFailed(bool userInitiated, const QString& error) {
    if (userInitiated) {
        if (!showAlert(QStringLiteral("Overink could not check for updates."),
                       error + QStringLiteral(" Please try again later."), true))
            return;
    } else {
        SystemLog::error(QStringLiteral("Automatic update check failed: ") + error);
    }
    endSession();
}

void Updater::offerUpdate(const AppcastItem& item, bool userInitiated) {
    const auto weak = lifetime_.ref();
    if (auto d = delegate()) d->standardUserDriverWillHandleShowingUpdate(true, item, {userInitiated});
    if (!weak) return;
    for (;;) {
        Alert offer;
        offer.alertStyle = Alert::Style::informational;
        offer.messageText = QStringLiteral("A new version of Overink is available!");
        offer.informativeText = QStringLiteral("Overink %1 is now available; you have %2. Would you like to open "
                                               "its download page?")
                                    .arg(item.displayVersion(), env_.displayVersion);
        offer.addButton(QStringLiteral("Open Download Page"));
        const bool hasNotes = !item.releaseNotesLink.isEmpty();
        if (hasNotes) offer.addButton(QStringLiteral("Release Notes"));
        offer.addButton(QStringLiteral("Cancel"));
        const int answer = offer.runModal();
        if (!weak) return;
        if (answer == Alert::kFirstButtonReturn) {
            if (!openPage(item.downloadPage())) return;
            break;
        }
        // The notes open beside the offer, which comes back.
        if (!(hasNotes && answer == Alert::kSecondButtonReturn)) break;
        if (!openPage(item.releaseNotesLink)) return;
    }
    endSession();
}

bool Updater::openPage(const QUrl& url) {
    if (env_.openUrl(url)) return true;
    return showAlert(QStringLiteral("The page could not be opened."),
                     QStringLiteral("Open %1 in your web browser.").arg(url.toString()), true);
}

bool Updater::showAlert(const QString& message, const QString& informative, bool warning) {
    const auto weak = lifetime_.ref();
    if (auto d = delegate()) d->standardUserDriverWillShowModalAlert();
    if (!weak) return false;
    Alert alert;
    alert.alertStyle = warning ? Alert::Style::warning : Alert::Style::informational;
    alert.messageText = message;
    alert.informativeText = informative;
    alert.addButton(QStringLiteral("OK"));
    alert.runModal();
    if (!weak) return false;
    if (auto d = delegate()) d->standardUserDriverDidShowModalAlert();
    return static_cast<bool>(weak);
}

void Updater::endSession() {
    const auto weak = lifetime_.ref();
    if (auto d = delegate()) d->standardUserDriverWillFinishUpdateSession();
    if (!weak) return;
    canCheckForUpdates = true;
    scheduleAutomaticCheck();
}

void Updater::scheduleAutomaticCheck() {
    automaticTimer_.stop();
    // A check under way schedules the next one when it ends.
    if (!canCheckForUpdates) return;
    const auto next = nextAutomaticCheckDate();
    if (!next) return;
    const qint64 wait = std::clamp<qint64>(env_.now().msecsTo(*next), 0, kLongestWaitMs);
    automaticTimer_.start(static_cast<int>(wait));
}

void Updater::automaticCheckDue() {
    if (!canCheckForUpdates) return;
    const auto next = nextAutomaticCheckDate();
    if (!next) return;
    if (env_.now() >= *next) beginCheck(false);
    else scheduleAutomaticCheck();
}

} // namespace platform
