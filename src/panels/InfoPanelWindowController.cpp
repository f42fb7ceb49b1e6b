// Building, placing and showing the help and about panels.
#include "panels/InfoPanelWindowController.h"

#include "panels/InfoPanelParts.h"
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "ui/AnchoredPanelPlacement.h"

#include <QVBoxLayout>

namespace {

platform::WindowPtr<> makeInfoPanelWindow(platform::Size size, bool acceptsKeyboard, const QString& title) {
    auto window = platform::makeWindow(platform::Rect(0, 0, size.width, size.height));
    window->setTitle(title);
    // Without the keyboard it takes clicks, never the focus by itself.
    window->keyboard().setNonActivatingPanel(!acceptsKeyboard);
    window->keyboard().setCanBecomeMain(false);
    window->setOpaque(false);
    window->setBackgroundColor(Color::clear());
    window->setHasShadow(true);
    window->stacking().setLevel(platform::WindowLevel::panel);
    return window;
}

ui::PanelController::Options infoPanelOptions() {
    ui::PanelController::Options options;
    // Left open by clicks elsewhere.
    options.closesOnOutsideClick = false;
    return options;
}

} // namespace

InfoPanelWindowController::InfoPanelWindowController(platform::Size size, std::function<void(bool)> isOpen,
                                                     bool acceptsKeyboard, const QString& title,
                                                     platform::ScreenProvider& screens, const ContentFactory& content)
    : PanelController(makeInfoPanelWindow(size, acceptsKeyboard, title), std::move(isOpen), infoPanelOptions()),
      size_(size),
      screens_(screens),
      acceptsKeyboard_(acceptsKeyboard) {
    platform::assertMainThread("InfoPanelWindowController");
    // The content gets the box, which holds this controller weakly: no cycle
    // between them.
    auto background = new InfoPanelBackground(kCornerRadius);
    // As tall as the window: on a display shorter than the panel the
    // content's scrolling body gives way.
    background->setFixedWidth(int(size.width));
    auto* layout = new QVBoxLayout(background);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content) {
        QWidget* root = content(dismissRef());
        if (root) {
            layout->addWidget(root);
            content_ = root;
        }
    }
    hostContent(background, [] {
        return ui::PanelChrome::Corners{kCornerRadius, kCornerRadius, kCornerRadius, kCornerRadius};
    });

    centre();
    followDisplays(screens);
}

void InfoPanelWindowController::centre() {
    // The requested size, not the window's current frame, decides the place;
    // never taller than the visible frame, so centred it lies inside.
    const auto main = screens_.mainScreen();
    if (!main) return;
    const platform::Rect v = main->visibleFrame;
    const double height = ui::panelHeightOnDisplay(size_.height, v);
    window()->setFrame(platform::Rect(v.midX() - size_.width * 0.5, v.midY() - height * 0.5, size_.width, height));
}

void InfoPanelWindowController::placeAgain() { centre(); }

InfoPanelWindowController::~InfoPanelWindowController() { platform::assertMainThread("~InfoPanelWindowController"); }

void InfoPanelWindowController::bringForward() {
    if (acceptsKeyboard_) {
        platform::Application::shared().activate();
        window()->makeKeyAndOrderFront();
    } else {
        window()->orderFront();
    }
}
