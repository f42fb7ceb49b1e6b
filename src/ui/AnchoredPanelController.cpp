// Showing, placing, fitting and closing anchored panels, and their Esc and
// outside-click monitors.
#include "ui/AnchoredPanelController.h"

#include "platform/EventMonitor.h"
#include "ui/OpenPanelRegistry.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>
#include <QWindow>

using platform::Event;

namespace ui {

namespace {

// The height `root` asks for at `width`.
double fittingHeight(QWidget* root, double width) {
    if (QLayout* layout = root->layout()) layout->activate();
    if (root->hasHeightForWidth()) return root->heightForWidth(int(width));
    return root->sizeHint().height();
}

} // namespace

// Hears when the content's layout changes, which is when the height it asks
// for may have changed.
class AnchoredPanelController::ContentWatcher : public QObject {
public:
    ContentWatcher(QWidget* content, std::function<void()> changed) : changed_(std::move(changed)) {
        content->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::LayoutRequest) changed_();
        return false;
    }

private:
    std::function<void()> changed_;
};

platform::WindowPtr<> AnchoredPanelController::makePanelWindow(const QString& title, double width, double height) {
    auto window = platform::makeWindow(platform::Rect(0, 0, width, height));
    window->setTitle(title);
    window->setLevel(platform::WindowLevel::panel);
    window->setOpaque(false);
    window->setBackgroundColor(Color::clear());
    window->setHasShadow(false);
    // Key only when one of its fields asks (PanelKeyboard).
    window->setNonActivatingPanel(true);
    window->setCanBecomeMain(false);
    return window;
}

AnchoredPanelController::AnchoredPanelController(platform::WindowPtr<> window, std::shared_ptr<AnchorRef> anchorRef,
                                                 std::function<void(bool)> setPanelIsOpen, Options options)
    : window_(std::move(window)),
      anchorRef_(std::move(anchorRef)),
      setPanelIsOpen_(std::move(setPanelIsOpen)),
      options_(options),
      dismissBox_(std::make_shared<DismissBox>()),
      keyboard_(std::make_unique<PanelKeyboard>(window_.get())) {
    platform::assertMainThread("AnchoredPanelController");
    const auto weak = lifetime_.ref();
    dismissBox_->dismiss = [weak] {
        if (AnchoredPanelController* self = weak.get()) self->closePanel();
    };
}

AnchoredPanelController::~AnchoredPanelController() {
    platform::assertMainThread("~AnchoredPanelController");
    // Scheduled closes, resizes and the hold find the panel gone from here on.
    lifetime_.end();
    hold_.cancel();
    contentWatcher_.reset();
    OpenPanelRegistry::shared().unregisterPanel(this);
    keyboard_->stop();
    removePanelMonitors();
    heldClickMonitors_.clear();
}

// ---- Content and placement ----

double AnchoredPanelController::setContent(QWidget* root, double width) {
    platform::assertMainThread("AnchoredPanelController::setContent");
    content_ = root;
    contentWidth_ = width;
    window_->setContentView(root);
    // The panel's size is set here and by resizeToContent() alone: the
    // window's layout must not grow it on its own (it would keep the top
    // edge, also for a panel that stands on the toolbar).
    if (QLayout* hostLayout = window_->widget()->layout()) hostLayout->setSizeConstraint(QLayout::SetNoConstraint);
    const double height = fittingHeight(root, width);
    const platform::Rect f = window_->frame();
    window_->setFrame(platform::Rect(f.origin, platform::Size(width, height)));
    return height;
}

void AnchoredPanelController::followContentHeight(PanelOpenDirection direction) { growth_ = direction; }

std::optional<AnchoredPanelController::AnchorFrames> AnchoredPanelController::anchorFrames(const AnchorRef* anchorRef) {
    if (!anchorRef || !anchorRef->nsView) return std::nullopt;
    const platform::Window* holder = platform::Window::fromWidget(anchorRef->nsView);
    const auto anchor = anchorRef->frameOnScreen();
    if (!holder || !anchor) return std::nullopt;
    return AnchorFrames{*anchor, holder->frame()};
}

void AnchoredPanelController::placeBesideAnchor(PanelOpenDirection direction, PanelAlignment alignment,
                                                const platform::ScreenProvider& screens) {
    const auto frames = anchorFrames();
    if (!frames) return placeOnMainScreen(screens);
    const platform::Rect f = window_->frame();
    displayFrame_ = visibleFrameHolding(screens, frames->anchor);
    window_->setFrame(keptOnDisplay(
        platform::Rect(anchoredPanelOrigin(direction, f.size, frames->anchor, frames->window, alignment), f.size)));
}

void AnchoredPanelController::placeOnMainScreen(const platform::ScreenProvider& screens) {
    const auto main = screens.mainScreen();
    if (!main || !window_) return;
    const platform::Rect f = window_->frame();
    displayFrame_ = main->visibleFrame;
    window_->setFrame(keptOnDisplay(platform::Rect(fallbackPanelOrigin(f.size, main->visibleFrame), f.size)));
}

platform::Rect AnchoredPanelController::keptOnDisplay(const platform::Rect& frame) const {
    return displayFrame_ ? keptInside(frame, *displayFrame_) : frame;
}

void AnchoredPanelController::resizeToContent(double height) {
    platform::assertMainThread("AnchoredPanelController::resizeToContent");
    if (!window_ || !window_->isVisible()) return;
    window_->setFrame(keptOnDisplay(
        resizedPanelFrame(window_->frame(), height, growth_.value_or(PanelOpenDirection::below))));
}

void AnchoredPanelController::contentLayoutChanged() {
    QWidget* root = content_.data();
    if (!root) return;
    const double height = fittingHeight(root, contentWidth_);
    if (height <= kMinimumTrackedHeight) return;
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak, height] {
        if (AnchoredPanelController* self = weak.get()) self->resizeToContent(height);
    });
}

// ---- Showing and closing ----

void AnchoredPanelController::showWindow() {
    platform::assertMainThread("AnchoredPanelController::showWindow");
    window_->orderFront();
    // Listed before its monitors exist, so the overlays leave Esc to it.
    OpenPanelRegistry::shared().registerPanel(this);
    installMonitors();
    keyboard_->start();
    if (growth_ && content_ && !contentWatcher_) {
        const auto weak = lifetime_.ref();
        contentWatcher_ = std::make_unique<ContentWatcher>(content_.data(), [weak] {
            if (AnchoredPanelController* self = weak.get()) self->contentLayoutChanged();
        });
    }
}

void AnchoredPanelController::installMonitors() {
    // Shown again: the monitors of the last showing go first, never doubled.
    removePanelMonitors();
    hold_.cancel();
    heldClickMonitors_.clear();

    const auto weak = lifetime_.ref();
    monitors_.push_back(
        platform::EventMonitor::addLocal(platform::EventMasks::keyDown, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel key monitor");
            AnchoredPanelController* self = weak.get();
            return self ? self->handleEscapeKey(e) : std::optional<Event>(e);
        }));

    constexpr platform::EventMask clicks = platform::EventMasks::leftMouseDown | platform::EventMasks::rightMouseDown;
    heldClickMonitors_.push_back(
        platform::EventMonitor::addLocal(clicks, [weak](const Event& e) -> std::optional<Event> {
            platform::assertMainThread("panel click monitor");
            AnchoredPanelController* self = weak.get();
            return self ? self->handleOutsideClick(e) : std::optional<Event>(e);
        }));
    if (options_.watchesOtherApplications) {
        heldClickMonitors_.push_back(platform::EventMonitor::addGlobal(clicks, [weak](const Event& e) {
            platform::assertMainThread("panel global click monitor");
            if (AnchoredPanelController* self = weak.get()) self->handleOutsideClick(e);
        }));
    }

    if (options_.clickMonitorHold <= 0) {
        recordClickMonitors();
        return;
    }
    hold_ = platform::dispatchMainAfter(options_.clickMonitorHold, [weak] {
        if (AnchoredPanelController* self = weak.get()) self->recordClickMonitors();
    });
}

void AnchoredPanelController::recordClickMonitors() {
    if (window_ && window_->isVisible()) {
        for (auto& m : heldClickMonitors_) monitors_.push_back(std::move(m));
    }
    // A panel closed during the hold drops them here.
    heldClickMonitors_.clear();
}

void AnchoredPanelController::removePanelMonitors() {
    for (auto& m : monitors_) m.cancel();
    monitors_.clear();
}

void AnchoredPanelController::closePanel() {
    platform::assertMainThread("AnchoredPanelController::closePanel");
    if (!window_ || !window_->isVisible()) return;
    OpenPanelRegistry::shared().unregisterPanel(this);
    keyboard_->stop();
    removePanelMonitors();
    window_->close();
    auto setOpen = setPanelIsOpen_;
    platform::dispatchMain([setOpen] {
        if (setOpen) setOpen(false);
    });
}

void AnchoredPanelController::scheduleClose() {
    const auto weak = lifetime_.ref();
    platform::dispatchMain([weak] {
        if (AnchoredPanelController* self = weak.get()) self->closePanel();
    });
}

// ---- Monitors ----

std::optional<Event> AnchoredPanelController::handleEscapeKey(const Event& event) {
    if (event.keyCode != platform::KeyCode::escape) return event;
    // A field of the panel that has the keys gets Esc first.
    if (keyboard_->fieldHasKeyboard()) return event;
    // Esc with any modifiers: the panel takes it and nothing else sees it.
    scheduleClose();
    return std::nullopt;
}

bool AnchoredPanelController::leavesPanelOpen(const Event& event) const {
    // The panel's own pop-ups (menus, lists) are windows of their own, made
    // for the panel: their clicks are the panel's.
    const QWindow* panel = window_->windowHandle();
    for (const QWindow* w = event.qtWindow.data(); w && panel; w = w->transientParent())
        if (w == panel) return true;
    const platform::Point location = event.locationOnScreen;
    if (window_->frame().contains(location)) return true;
    if (const auto anchor = anchorRef_ ? anchorRef_->frameOnScreen() : std::nullopt;
        anchor && anchor->insetBy(-kAnchorSlack, -kAnchorSlack).contains(location))
        return true;
    return false;
}

std::optional<Event> AnchoredPanelController::handleOutsideClick(const Event& event) {
    // A panel that is no longer shown keeps no click from anyone.
    if (!window_ || !window_->isVisible()) return event;
    if (leavesPanelOpen(event)) return event;
    scheduleClose();
    return std::nullopt;
}

} // namespace ui
