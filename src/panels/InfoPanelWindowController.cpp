// Building, placing, showing and closing the help and about panels.
#include "panels/InfoPanelWindowController.h"

#include "panels/InfoPanelParts.h"
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <QVBoxLayout>

using platform::Event;

InfoPanelWindowController::InfoPanelWindowController(platform::Size size, std::function<void(bool)> isOpen,
                                                     bool acceptsKeyboard, const QString& title,
                                                     const platform::ScreenProvider& screens,
                                                     const ContentFactory& content)
    : isOpen_(std::move(isOpen)), dismissRef_(std::make_shared<DismissRef>()), acceptsKeyboard_(acceptsKeyboard) {
    platform::assertMainThread("InfoPanelWindowController");
    window_ = platform::makeWindow(platform::Rect(0, 0, size.width, size.height));
    window_->setTitle(title);
    // Without the keyboard it takes clicks, never the focus by itself.
    window_->setNonActivatingPanel(!acceptsKeyboard_);
    window_->setCanBecomeMain(false);
    window_->setOpaque(false);
    window_->setBackgroundColor(Color::clear());
    window_->setHasShadow(true);
    window_->setLevel(platform::WindowLevel::panel);

    // The content gets an action that goes through the box, which is filled
    // in below and holds this controller weakly: no cycle between them.
    auto background = new InfoPanelBackground(kCornerRadius);
    background->setFixedSize(int(size.width), int(size.height));
    auto* layout = new QVBoxLayout(background);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const std::shared_ptr<DismissRef> box = dismissRef_;
    if (content) {
        QWidget* root = content([box] { (*box)(); });
        if (root) {
            layout->addWidget(root);
            content_ = root;
        }
    }
    window_->setContentView(background);
    const auto weak = lifetime_.ref();
    dismissRef_->dismiss = [weak] {
        if (InfoPanelWindowController* self = weak.get()) self->closePanel();
    };

    // The requested size, not the window's current frame, decides the place.
    if (const auto main = screens.mainScreen()) {
        const platform::Rect v = main->visibleFrame;
        window_->setFrame(platform::Rect(v.midX() - size.width * 0.5, v.midY() - size.height * 0.5, size.width,
                                         size.height));
    }
}

InfoPanelWindowController::~InfoPanelWindowController() {
    platform::assertMainThread("~InfoPanelWindowController");
    // Scheduled closes and dismiss calls find the controller gone from here.
    lifetime_.end();
    OpenPanelRegistry::shared().unregisterPanel(this);
    for (auto& monitor : monitors_) monitor.cancel();
    monitors_.clear();
    // The window goes with its controller: an owner that lets go of an open
    // panel takes it off the screen.
    window_.reset();
}

void InfoPanelWindowController::showWindow() {
    platform::assertMainThread("InfoPanelWindowController::showWindow");
    if (acceptsKeyboard_) {
        platform::Application::shared().activate();
        window_->makeKeyAndOrderFront();
    } else {
        window_->orderFront();
    }
    OpenPanelRegistry::shared().registerPanel(this);
    // X sends keys to the focused window only. When activating the
    // application gives no window of ours the keyboard, the panel takes it,
    // so that its Esc still arrives.
    if (!acceptsKeyboard_ && !platform::Window::keyWindow() && !anotherWindowTakesKeyboard()) window_->makeKey();

    const auto weak = lifetime_.ref();
    monitors_.push_back(
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("information panel key monitor");
            InfoPanelWindowController* self = weak.get();
            return self ? self->handleKeyDown(e) : std::optional<Event>(e);
        }));
}

bool InfoPanelWindowController::anotherWindowTakesKeyboard() const {
    for (platform::Window* w : platform::Window::all()) {
        if (w != window_.get() && w->isVisible() && w->canBecomeKey() && !w->isNonActivatingPanel()) return true;
    }
    return false;
}

void InfoPanelWindowController::closePanel() {
    platform::assertMainThread("InfoPanelWindowController::closePanel");
    if (!window_ || !window_->isVisible()) return;
    OpenPanelRegistry::shared().unregisterPanel(this);
    for (auto& monitor : monitors_) monitor.cancel();
    monitors_.clear();
    window_->close();
    platform::dispatchMain([isOpen = isOpen_] {
        if (isOpen) isOpen(false);
    });
}

std::optional<Event> InfoPanelWindowController::handleKeyDown(const Event& event) {
    if (event.keyCode != platform::KeyCode::escape) return event;
    // Closed on the next turn, once this key has been dealt with; the Esc
    // goes no further.
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak] {
        if (InfoPanelWindowController* self = weak.get()) self->closePanel();
    });
    return std::nullopt;
}
