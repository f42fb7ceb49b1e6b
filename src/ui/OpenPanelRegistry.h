#pragma once

// The registry of open pop-up panels.

#include <functional>
#include <vector>

// The pop-up panels that are open, each named by the address of the object
// that owns it (its window controller). While any is listed, a plain Esc on
// an overlay is left to the panel. Registering a panel activates the
// application, so the panel can take the keyboard.
class OpenPanelRegistry {
public:
    using Identity = const void*;

    static OpenPanelRegistry& shared();

    // Listed once; registering again changes nothing.
    void registerPanel(Identity panel);
    // Harmless for an identity that is not listed.
    void unregisterPanel(Identity panel);

    // Oldest first.
    const std::vector<Identity>& openPanels() const { return open_; }
    bool isAnyOpen() const { return !open_.empty(); }

    // How the application is asked whether it is active and activated;
    // replaced by tests.
    std::function<bool()> isApplicationActive;
    std::function<void()> activateApplication;

private:
    OpenPanelRegistry();

    std::vector<Identity> open_;
};
