#pragma once

// The program's model over its software updater: whether a check may start,
// user checks, the automatic-check setting, and our floating windows stepped
// aside while the updater's window or alerts are up.

#include "platform/Published.h"
#include "platform/Subscription.h"
#include "platform/Updater.h"
#include "ui/Bindings.h"
#include "ui/WindowLevels.h"

#include <functional>
#include <memory>
#include <vector>

class UpdateManager : public platform::ObservableObject,
                      public platform::StandardUserDriverDelegate,
                      public std::enable_shared_from_this<UpdateManager> {
public:
    // The windows taken down to the ordinary level, with the levels they had.
    using LoweredWindows = std::vector<RememberedWindowLevel>;

    // The routines for our floating windows (tests bring their own).
    struct FloatingWindows {
        // Every window of ours at the overlay level or above goes to the
        // ordinary level; returns them with their former levels.
        std::function<LoweredWindows()> lower;
        // Puts the levels back and brings the visible windows to the front.
        std::function<void(const LoweredWindows&)> restore;
        // Brings the program to the front, so the updater's window shows there.
        std::function<void()> activateApplication;
    };

    // The program's one manager, made on first use (when the settings
    // panel's content is first built) and kept for the rest of the run.
    static std::shared_ptr<UpdateManager> shared();
    // lowerHighLevelWindows(), restoreWindowLevels() and the application's
    // activation.
    static FloatingWindows standardFloatingWindows();

    // Starts `updater` with the new manager as its user-driver delegate.
    static std::shared_ptr<UpdateManager> create(std::shared_ptr<platform::Updater> updater,
                                                 FloatingWindows floatingWindows);
    ~UpdateManager() override;

    platform::Updater& controller() const { return *controller_; }

    // Whether a check may start now: follows the updater, a turn later.
    platform::Published<bool> canCheck{true, this};

    // Starts a check the user asked for; the updater shows what it finds.
    void checkForUpdates();

    bool automaticallyChecksForUpdates() const;
    // Announces the change first, so views bound to the setting read it again.
    void setAutomaticallyChecksForUpdates(bool on);

    void lowerFloatingWindows();
    void restoreFloatingWindows();
    const LoweredWindows& loweredWindows() const { return loweredWindows_; }

    void standardUserDriverWillHandleShowingUpdate(bool handleShowingUpdate, const platform::AppcastItem& update,
                                                   const platform::UserUpdateState& state) override;
    void standardUserDriverWillShowModalAlert() override;
    void standardUserDriverDidShowModalAlert() override;
    void standardUserDriverWillFinishUpdateSession() override;

private:
    UpdateManager(std::shared_ptr<platform::Updater> updater, FloatingWindows floatingWindows);

    std::shared_ptr<platform::Updater> controller_;
    FloatingWindows floatingWindows_;
    ui::Bindings observation_;
    LoweredWindows loweredWindows_;
};
