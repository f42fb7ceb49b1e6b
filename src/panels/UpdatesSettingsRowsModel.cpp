// The update rows' texts and their "Check Now" action.
#include "panels/UpdatesSettingsRowsModel.h"

#include "platform/Dispatch.h"
#include "platform/RelativeDate.h"

UpdatesSettingsRowsModel::UpdatesSettingsRowsModel(std::shared_ptr<UpdateManager> updater,
                                                   std::function<void()> onDismiss, const platform::Bundle& bundle)
    : updater_(std::move(updater)), onDismiss_(std::move(onDismiss)), bundle_(bundle) {}

QString UpdatesSettingsRowsModel::versionString() const {
    return bundle_.infoString(QStringLiteral("CFBundleShortVersionString")).value_or(QStringLiteral("\u2014"));
}

QString UpdatesSettingsRowsModel::lastCheckedText(const QDateTime& now) const {
    const auto last = updater_->controller().lastUpdateCheckDate();
    if (!last) return QStringLiteral("Not checked yet.");
    return QStringLiteral("Last checked ") + platform::relativeDatePhrase(*last, now) + QStringLiteral(".");
}

void UpdatesSettingsRowsModel::checkNow() {
    platform::assertMainThread("UpdatesSettingsRowsModel::checkNow");
    // Closing the panel may take these rows with it: nothing of them is
    // touched after the call.
    std::weak_ptr<UpdateManager> weak = updater_;
    if (const auto dismiss = onDismiss_) dismiss();
    platform::dispatchMainAfter(kCheckDelay, [weak] {
        if (auto m = weak.lock()) m->checkForUpdates();
    });
}
