#pragma once

// What the settings panel's update rows show and do, without the widgets.

#include "panels/UpdateManager.h"
#include "platform/Bundle.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class UpdatesSettingsRowsModel {
public:
    // The settings panel closes before the check starts, this long after.
    static constexpr double kCheckDelay = 0.15;

    // `onDismiss` closes the panel that hosts the rows.
    UpdatesSettingsRowsModel(std::shared_ptr<UpdateManager> updater, std::function<void()> onDismiss,
                             const platform::Bundle& bundle = platform::Bundle::main());

    UpdateManager& updater() const { return *updater_; }

    // The program's short version, or "—" when the build has none.
    QString versionString() const;
    // "Not checked yet." or "Last checked yesterday." and the like.
    QString lastCheckedText(const QDateTime& now = QDateTime::currentDateTime()) const;
    // "Check Now": closes the panel, then checks once it is gone.
    void checkNow();

private:
    std::shared_ptr<UpdateManager> updater_;
    std::function<void()> onDismiss_;
    platform::Bundle bundle_;
};
