#pragma once

// The floating panel that shows the help or the about content: centred in
// the visible frame of the main screen, at the panel level, dragged by its
// background and left open by clicks elsewhere. It closes through its
// content's close controls, Esc, or its owner.

#include "platform/Event.h"
#include "platform/Geometry.h"
#include "platform/Lifetime.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/DismissBox.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

// The box whose closure the hosted content calls to close its panel; it
// holds the controller weakly, so a call after the controller is gone does
// nothing.
using DismissRef = DismissBox;

class InfoPanelWindowController {
public:
    // Builds the hosted content from the action that closes the panel; the
    // action stays callable for as long as the content keeps it.
    using ContentFactory = std::function<QWidget*(std::function<void()> dismiss)>;

    static constexpr double kCornerRadius = 10;

    // A panel of `size` (points) with the content `content` builds, named
    // `title`, centred in the visible frame of the main screen of `screens`
    // (at the origin without one). `isOpen` receives false on a later turn
    // after the panel closed. `acceptsKeyboard`: the panel becomes the key
    // window when shown; otherwise it is only ordered front. Not shown.
    InfoPanelWindowController(platform::Size size, std::function<void(bool)> isOpen, bool acceptsKeyboard,
                              const QString& title, const platform::ScreenProvider& screens,
                              const ContentFactory& content);
    // Leaves no registry entry and no monitor behind, and takes the panel
    // off the screen with it.
    ~InfoPanelWindowController();

    InfoPanelWindowController(const InfoPanelWindowController&) = delete;
    InfoPanelWindowController& operator=(const InfoPanelWindowController&) = delete;

    platform::Window* window() const { return window_.get(); }
    // The hosted content (owned by the window).
    QWidget* content() const { return content_.data(); }
    bool acceptsKeyboard() const { return acceptsKeyboard_; }
    const std::shared_ptr<DismissRef>& dismissRef() const { return dismissRef_; }

    // Shows the panel, lists it as open and starts watching for Esc.
    void showWindow();
    // When the panel is shown: leaves the registry, stops watching, closes
    // the window and tells the owner on a later turn. Otherwise nothing.
    void closePanel();

private:
    std::optional<platform::Event> handleKeyDown(const platform::Event& event);
    // Whether a window of ours other than the panel takes the keyboard when
    // the application is activated.
    bool anotherWindowTakesKeyboard() const;

    std::vector<platform::Subscription> monitors_;
    std::function<void(bool)> isOpen_;
    std::shared_ptr<DismissRef> dismissRef_;
    bool acceptsKeyboard_;
    platform::WindowPtr<> window_;
    QPointer<QWidget> content_;
    platform::Lifetime<InfoPanelWindowController> lifetime_{this};
};
