// Placing and fitting anchored panels, and what they add to showing and
// closing a panel.
#include "ui/AnchoredPanelController.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

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

AnchoredPanelController::AnchoredPanelController(platform::WindowPtr<> window, std::shared_ptr<AnchorRef> anchorRef,
                                                 std::function<void(bool)> setPanelIsOpen, Options options)
    : PanelController(std::move(window), std::move(setPanelIsOpen), options),
      anchorRef_(std::move(anchorRef)),
      keyboard_(std::make_unique<PanelKeyboard>(this->window())) {
    platform::assertMainThread("AnchoredPanelController");
}

AnchoredPanelController::~AnchoredPanelController() {
    platform::assertMainThread("~AnchoredPanelController");
    // Scheduled resizes find the panel gone from here on.
    lifetime_.end();
    contentWatcher_.reset();
    keyboard_->stop();
}

// ---- Content and placement ----

double AnchoredPanelController::setContent(QWidget* root, double width) {
    platform::assertMainThread("AnchoredPanelController::setContent");
    content_ = root;
    contentWidth_ = width;
    window()->setContentView(root);
    // The panel's size is set here and by resizeToContent() alone: the
    // window's layout must not grow it on its own (it would keep the top
    // edge, also for a panel that stands on the toolbar).
    if (QLayout* hostLayout = window()->widget()->layout()) hostLayout->setSizeConstraint(QLayout::SetNoConstraint);
    const double height = fittingHeight(root, width);
    const platform::Rect f = window()->frame();
    window()->setFrame(platform::Rect(f.origin, platform::Size(width, height)));
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
    const platform::Rect f = window()->frame();
    displayFrame_ = visibleFrameHolding(screens, frames->anchor);
    window()->setFrame(keptOnDisplay(
        platform::Rect(anchoredPanelOrigin(direction, f.size, frames->anchor, frames->window, alignment), f.size)));
}

void AnchoredPanelController::placeOnMainScreen(const platform::ScreenProvider& screens) {
    const auto main = screens.mainScreen();
    if (!main || !window()) return;
    const platform::Rect f = window()->frame();
    displayFrame_ = main->visibleFrame;
    window()->setFrame(keptOnDisplay(platform::Rect(fallbackPanelOrigin(f.size, main->visibleFrame), f.size)));
}

platform::Rect AnchoredPanelController::keptOnDisplay(const platform::Rect& frame) const {
    return displayFrame_ ? keptInside(frame, *displayFrame_) : frame;
}

void AnchoredPanelController::resizeToContent(double height) {
    platform::assertMainThread("AnchoredPanelController::resizeToContent");
    if (!window() || !window()->isVisible()) return;
    window()->setFrame(keptOnDisplay(
        resizedPanelFrame(window()->requestedFrame(), height, growth_.value_or(PanelOpenDirection::below))));
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

void AnchoredPanelController::didShow() {
    keyboard_->start();
    if (growth_ && content_ && !contentWatcher_) {
        const auto weak = lifetime_.ref();
        contentWatcher_ = std::make_unique<ContentWatcher>(content_.data(), [weak] {
            if (AnchoredPanelController* self = weak.get()) self->contentLayoutChanged();
        });
    }
}

void AnchoredPanelController::willClose() { keyboard_->stop(); }

// ---- Monitors ----

bool AnchoredPanelController::leavesEscape() const {
    // A field of the panel that has the keys gets Esc first.
    return keyboard_->fieldHasKeyboard();
}

bool AnchoredPanelController::leavesPanelOpen(const platform::Event& event) const {
    if (PanelController::leavesPanelOpen(event)) return true;
    const auto anchor = anchorRef_ ? anchorRef_->frameOnScreen() : std::nullopt;
    return anchor && anchor->insetBy(-kAnchorSlack, -kAnchorSlack).contains(event.locationOnScreen);
}

} // namespace ui
