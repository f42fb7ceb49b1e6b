#pragma once

// The help and about panels that the settings panel opens, kept by a
// long-lived owner (the application delegate) rather than by the settings
// content, which goes away with every closing of the settings panel. Each
// request closes the panel of that kind if one is open and shows a new one.

#include "panels/InfoPanelWindowController.h"
#include "platform/Lifetime.h"

#include <memory>

namespace platform {
class ScreenProvider;
}

class InfoPanels {
public:
    // Centred on the main screen of `screens`, which must outlive this.
    explicit InfoPanels(platform::ScreenProvider& screens);
    // Takes any open panel off the screen, leaving no registry entry.
    ~InfoPanels();

    InfoPanels(const InfoPanels&) = delete;
    InfoPanels& operator=(const InfoPanels&) = delete;

    void openHelp();
    void openAbout();

    // Whether the panel of each kind is open: true once shown, false after
    // it closed (on the turn after the close).
    bool showHelp() const { return showHelp_; }
    bool showAbout() const { return showAbout_; }
    // The panel of each kind last opened, none before the first request.
    InfoPanelWindowController* helpController() const { return helpController_.get(); }
    InfoPanelWindowController* aboutController() const { return aboutController_.get(); }

private:
    enum class Kind { help, about };
    void open(Kind kind);
    bool& flag(Kind kind) { return kind == Kind::help ? showHelp_ : showAbout_; }
    std::unique_ptr<InfoPanelWindowController>& controller(Kind kind) {
        return kind == Kind::help ? helpController_ : aboutController_;
    }

    platform::ScreenProvider& screens_;
    bool showHelp_ = false;
    bool showAbout_ = false;
    std::unique_ptr<InfoPanelWindowController> helpController_;
    std::unique_ptr<InfoPanelWindowController> aboutController_;
    // Counts the panels opened of each kind: a panel that has been replaced
    // no longer speaks for its kind's flag.
    unsigned helpOpenings_ = 0;
    unsigned aboutOpenings_ = 0;
    platform::Lifetime<InfoPanels> lifetime_{this};
};
