#pragma once

// The settings panel's update rows: the program's name and version with
// "Check Now", when the last check ran, and the automatic-check checkbox.

#include "panels/UpdatesSettingsRowsModel.h"
#include "platform/Color.h"
#include "ui/Bindings.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;

class UpdatesSettingsRows : public QWidget {
public:
    static constexpr int kSpacing = 4;
    static constexpr int kVersionRowSpacing = 6;
    static constexpr int kMinimumSpacer = 4;
    static constexpr double kVersionFontSize = 11;
    static constexpr double kCheckNowFontSize = 10;
    static constexpr double kStatusFontSize = 9.5;
    static constexpr double kCheckboxFontSize = 12;
    static constexpr int kCheckboxTopInset = 2;

    // `onDismiss` closes the panel that hosts the rows.
    UpdatesSettingsRows(std::shared_ptr<UpdateManager> updater, std::function<void()> onDismiss,
                        const platform::Bundle& bundle = platform::Bundle::main(), QWidget* parent = nullptr);
    ~UpdatesSettingsRows() override;

    UpdatesSettingsRowsModel& model() { return model_; }

    // What the rows show now.
    QString versionText() const;
    QString statusText() const;
    // The colour "Check Now" is drawn in: the accent while a check may
    // start, the secondary colour otherwise.
    Color checkNowColor() const;

    QAbstractButton* checkNowButton() const { return checkNow_; }
    QCheckBox* automaticChecksCheckbox() const { return automatic_; }
    QWidget* versionLabel() const { return version_; }
    QWidget* statusLabel() const { return status_; }

    // Reads everything again from the manager.
    void rebuild();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void scheduleRebuild();

    UpdatesSettingsRowsModel model_;
    QWidget* version_ = nullptr;
    QAbstractButton* checkNow_ = nullptr;
    QWidget* status_ = nullptr;
    QCheckBox* automatic_ = nullptr;
    bool rebuildScheduled_ = false;
    ui::Bindings bindings_;
};
