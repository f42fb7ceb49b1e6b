#pragma once

// The registry of open pop-up panels.

#include <functional>
#include <vector>

namespace platform {
class Window;
}

// The pop-up panels that are open, each named by the address of the object
// that owns it (its window controller). While any is listed, a plain Esc on
// an overlay is left to the panel. Registering a panel activates the
// application when none of its windows holds the keyboard, giving it to the
// panel's window, so that the panel's Esc reaches it.
class OpenPanelRegistry {
public:
    using Identity = const void*;

    static OpenPanelRegistry& shared();

    // Listed once; registering again changes nothing. `window`: the panel's
    // own, which takes the keyboard when the application is activated.
    void registerPanel(Identity panel, platform::Window* window = nullptr);
    // Whether registering a panel now activates the application (it is not
    // active): its window then says so before it shows.
    bool activatesOnRegistering() const { return !application_.isActive(); }
    // Harmless for an identity that is not listed.
    void unregisterPanel(Identity panel);

    // Oldest first.
    const std::vector<Identity>& openPanels() const { return open_; }
    bool isAnyOpen() const { return !open_.empty(); }

    // How the application is asked whether it is active and activated.
    struct Application {
        std::function<bool()> isActive;
        std::function<void(platform::Window* shown)> activate;
    };
    // Puts `application` in place of the real one (tests do); returns the
    // one it replaced.
    Application replaceApplication(Application application);

private:
    OpenPanelRegistry();

    Application application_;
    std::vector<Identity> open_;
};
