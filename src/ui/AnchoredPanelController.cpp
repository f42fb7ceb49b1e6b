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

double AnchoredPanelController::setContent(QWidget* root, double width, std::function<PanelChrome::Corners()> corners) {
    platform::assertMainThread("AnchoredPanelController::setContent");
    content_ = root;
    contentWidth_ = width;
    if (!corners) {
        const QPointer<PanelChrome> chrome = dynamic_cast<PanelChrome*>(root);
        corners = [chrome] { return chrome ? chrome->corners() : PanelChrome::Corners{}; };
    }
    hostContent(root, std::move(corners));
    // The panel's size is set here and by the content's height alone: the
    // window's layout must not grow it on its own (it would keep the top
    // edge, also for a panel that stands on the toolbar).
    if (QLayout* hostLayout = window()->widget()->layout()) hostLayout->setSizeConstraint(QLayout::SetNoConstraint);
    contentHeight_ = fittingHeight(root, width);
    const platform::Rect f = window()->frame();
    window()->setFrame(
        platform::Rect(f.origin, platform::Size(width, panelHeightOnDisplay(contentHeight_, displayFrame_))));
    return contentHeight_;
}

void AnchoredPanelController::followContentHeight(PanelOpenDirection direction) { growth_ = direction; }

std::optional<AnchoredPanelController::AnchorFrames> AnchoredPanelController::anchorFrames(const AnchorRef* anchorRef) {
    if (!anchorRef || !anchorRef->nsView) return std::nullopt;
    const QWidget* view = anchorRef->nsView;
    const platform::Window* holder = platform::Window::fromWidget(view);
    if (!holder) return std::nullopt;
    // Where the program put the toolbar, not where a window manager still
    // has it while it moves it there (right after the displays changed).
    const platform::Rect window = holder->requestedFrame();
    const QPoint inWindow = view->mapTo(view->window(), QPoint(0, 0));
    const platform::Rect anchor(window.minX() + inWindow.x(), window.maxY() - inWindow.y() - view->height(),
                                view->width(), view->height());
    return AnchorFrames{anchor, window};
}

void AnchoredPanelController::placeBy(Formula formula, std::optional<platform::Rect> display) {
    formula_ = std::move(formula);
    displayFrame_ = display;
    returnPending_ = false;
    const platform::Rect f = window()->requestedFrame();
    // A panel that hosts no content keeps the height it was given.
    const double height = content_ ? contentHeight_ : f.height();
    const platform::Size size(f.width(), panelHeightOnDisplay(height, displayFrame_));
    const auto origin = formula_ ? formula_(size) : std::nullopt;
    const platform::Rect frame(origin.value_or(f.origin), size);
    const platform::Rect kept = keptOnDisplay(frame);
    displaced_ = origin && kept != frame;
    window()->setFrame(kept);
}

void AnchoredPanelController::placeBesideAnchor(PanelOpenDirection direction, PanelAlignment alignment,
                                                const platform::ScreenProvider& screens) {
    const auto frames = anchorFrames();
    if (!frames) return placeOnMainScreen(screens);
    // The anchor is read again whenever the panel goes back to its place.
    const AnchorRef* anchor = anchorRef_.get();
    placeBy(
        [anchor, direction, alignment](platform::Size size) -> std::optional<platform::Point> {
            const auto now = anchorFrames(anchor);
            if (!now) return std::nullopt;
            return anchoredPanelOrigin(direction, size, now->anchor, now->window, alignment);
        },
        visibleFrameHolding(screens, frames->anchor));
}

void AnchoredPanelController::placeOnMainScreen(const platform::ScreenProvider& screens) {
    const auto main = screens.mainScreen();
    if (!main || !window()) return;
    const platform::Rect visible = main->visibleFrame;
    placeBy([visible](platform::Size size) { return std::optional(fallbackPanelOrigin(size, visible)); }, visible);
}

platform::Rect AnchoredPanelController::keptOnDisplay(const platform::Rect& frame) const {
    return displayFrame_ ? platform::keptInside(frame, *displayFrame_, kPanelKeptEdges) : frame;
}

void AnchoredPanelController::resizeToContent(double height) {
    platform::assertMainThread("AnchoredPanelController::resizeToContent");
    if (!window() || !window()->isVisible()) return;
    fitContentHeight(height, growth_.value_or(PanelOpenDirection::below));
}

void AnchoredPanelController::fitContentHeight(double height, PanelOpenDirection direction) {
    platform::assertMainThread("AnchoredPanelController::fitContentHeight");
    if (!window()) return;
    contentHeight_ = height;
    const platform::Rect resized =
        resizedPanelFrame(window()->requestedFrame(), panelHeightOnDisplay(height, displayFrame_), direction);
    const platform::Rect kept = keptOnDisplay(resized);
    if (kept != resized) displaced_ = true;
    // A panel that shrinks from under a pointer that stays put (a click on
    // its last row) still has it.
    holdPointer();
    window()->setFrame(kept);
    // Its edge on the toolbar kept, a panel that was never moved stays.
    if (displaced_) considerReturn();
}

void AnchoredPanelController::considerReturn() {
    returnPending_ = false;
    if (!formula_ || !displayFrame_) return;
    const platform::Rect frame = window()->requestedFrame();
    const auto origin = formula_(frame.size);
    if (!origin) return;
    const platform::Rect home(*origin, frame.size);
    switch (panelReturn(frame, home, *displayFrame_, pointerInside())) {
    case PanelReturn::stays: return;
    case PanelReturn::returnsNow:
        displaced_ = false;
        window()->setFrame(home);
        return;
    case PanelReturn::returnsOncePointerLeaves: break;
    }
    returnPending_ = true;
    waitForPointerToLeave();
}

void AnchoredPanelController::pointerLeft() {
    if (returnPending_ && displaced_ && window()) considerReturn();
}

void AnchoredPanelController::openTowards(PanelOpenDirection direction) {
    if (growth_) growth_ = direction;
    if (auto* chrome = dynamic_cast<PanelChrome*>(content_.data())) chrome->setDirection(direction);
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
