#pragma once

// The floating panel that shows the help or the about content: centred in
// the visible frame of the main screen (again when the displays change), at
// the panel level, dragged by its background and left open by clicks
// elsewhere. It closes through its
// content's close controls, Esc, or its owner (ui::PanelController).

#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"
#include "ui/DismissBox.h"
#include "ui/PanelController.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

class InfoPanelWindowController : public ui::PanelController {
public:
    // Builds the hosted content from the box that closes the panel; the box
    // holds the controller weakly, so a call after the controller is gone
    // does nothing.
    using ContentFactory = std::function<QWidget*(std::shared_ptr<DismissRef> dismiss)>;

    static constexpr double kCornerRadius = 10;

    // A panel of `size` (points) with the content `content` builds, named
    // `title`, centred in the visible frame of the main screen of `screens`
    // (at the origin without one), which must outlive the controller.
    // `isOpen` receives false on a later turn after the panel closed.
    // `acceptsKeyboard`: the panel becomes the key window when shown;
    // otherwise it is only ordered front. Not shown.
    InfoPanelWindowController(platform::Size size, std::function<void(bool)> isOpen, bool acceptsKeyboard,
                              const QString& title, platform::ScreenProvider& screens, const ContentFactory& content);
    // Leaves no registry entry and no monitor behind, and takes the panel
    // off the screen with it.
    ~InfoPanelWindowController() override;

    InfoPanelWindowController(const InfoPanelWindowController&) = delete;
    InfoPanelWindowController& operator=(const InfoPanelWindowController&) = delete;

    // The hosted content (owned by the window).
    QWidget* content() const { return content_.data(); }
    bool acceptsKeyboard() const { return acceptsKeyboard_; }
    const std::shared_ptr<DismissRef>& dismissRef() const { return dismissBox(); }

protected:
    // Made key when it accepts the keyboard, else only ordered front.
    void bringForward() override;
    // Centred again, as when it opened.
    void placeAgain() override;

private:
    // Centred on the main screen, never taller than its visible frame.
    void centre();

    platform::Size size_;
    platform::ScreenProvider& screens_;
    bool acceptsKeyboard_;
    QPointer<QWidget> content_;
};
