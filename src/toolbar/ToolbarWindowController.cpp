#include "toolbar/ToolbarWindowController.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/EventMonitor.h"
#include "platform/NotificationCenter.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/ToolbarPanels.h"
#include "ui/NotificationNames.h"
#include "ui/OpenPanelRegistry.h"

#include <QApplication>
#include <QLayout>

namespace {
bool gAllowsKey = false;
} // namespace

bool ToolbarWindowController::allowsKey() { return gAllowsKey; }

platform::Size ToolbarWindowController::windowSize(QSize intrinsic) {
    if (intrinsic.width() <= 0 || intrinsic.height() <= 0) return platform::Size(kFallbackWidth, kFallbackHeight);
    return platform::Size(intrinsic.width(), intrinsic.height());
}

ToolbarWindowController::ToolbarWindowController(const std::shared_ptr<DrawingState>& drawingState) {
    platform::assertMainThread("ToolbarWindowController");
    panels_ = std::make_unique<ToolbarPanels>(drawingState);
    auto* view = new DrawingToolbarView(drawingState, *panels_);
    const platform::Size size = windowSize(view->sizeHint());
    window_ = platform::makeWindow(platform::Rect(0, 0, size.width, size.height));
    window_->setTitle(QStringLiteral("Overink Toolbar"));
    window_->stacking().setLevel(platform::WindowLevel::panel);
    window_->setOpaque(false);
    window_->setBackgroundColor(Color::clear());
    window_->setHasShadow(false);
    window_->keyboard().setNonActivatingPanel(true);
    window_->keyboard().setCanBecomeMain(false);
    window_->widget()->setAccessibleName(QStringLiteral("Overink toolbar"));
    window_->setContentView(view);

    const auto weak = lifetime_.ref();
    auto& center = platform::NotificationCenter::defaultCenter();
    requestKeyObserver_ = center.addObserver(Notifications::toolbarRequestKey, [weak](const platform::Notification&) {
        platform::assertMainThread("ToolbarRequestKey");
        setKeyState(true, weak);
    });
    resignKeyObserver_ = center.addObserver(Notifications::toolbarResignKey, [weak](const platform::Notification&) {
        platform::assertMainThread("ToolbarResignKey");
        setKeyState(false, weak);
    });

    const std::weak_ptr<DrawingState> weakState = drawingState;
    escapeMonitor_ = platform::EventMonitor::addLocal(
        platform::EventMasks::keyDown, [weakState](const platform::Event& e) -> std::optional<platform::Event> {
            platform::assertMainThread("toolbar key monitor");
            return handleKeyDown(e, weakState);
        });

    if (drawingState) {
        importBinding_.followLater(
            drawingState->isImportingBrushes, weak,
            [](ToolbarWindowController& self, bool importing) { self.setImportingBrushes(importing); },
            platform::Initial::Include);
    }
}

ToolbarWindowController::~ToolbarWindowController() {
    platform::assertMainThread("~ToolbarWindowController");
    lifetime_.end();
    escapeMonitor_.cancel();
}

DrawingToolbarView* ToolbarWindowController::toolbarView() const {
    return window_ ? static_cast<DrawingToolbarView*>(window_->contentView()) : nullptr;
}

void ToolbarWindowController::setKeyState(bool allows, platform::WeakRef<ToolbarWindowController> controller) {
    gAllowsKey = allows;
    ToolbarWindowController* self = controller.get();
    if (!self || !self->window_) return;
    if (allows) self->makeKey();
    else self->resignKey();
}

void ToolbarWindowController::makeKey() {
    platform::Window* key = platform::WindowKeyboard::keyWindow();
    if (key != window_.get()) previousKeyWindow_ = key;
    window_->keyboard().makeKey();
}

void ToolbarWindowController::resignKey() {
    if (!window_->keyboard().isKeyWindow()) return;
    // The keyboard goes back where it was (an overlay, typically); with
    // nowhere to go, the focused field at least lets go of it.
    platform::Window* previous = previousKeyWindow_.data();
    if (previous && previous != window_.get() && previous->isVisible() && previous->keyboard().canBecomeKey()) {
        previous->keyboard().makeKey();
    } else if (QWidget* focus = QApplication::focusWidget(); focus && window_->widget()->isAncestorOf(focus)) {
        focus->clearFocus();
    }
}

std::optional<platform::Event> ToolbarWindowController::handleKeyDown(const platform::Event& event,
                                                                      const std::weak_ptr<DrawingState>& state) {
    if (event.keyCode != platform::KeyCode::escape) return event;
    if (event.deviceIndependentModifiers() != platform::ModifierFlags::shift) return event;
    // An open panel takes Shift+Esc for itself (it closes and the key stops).
    if (OpenPanelRegistry::shared().isAnyOpen()) return event;
    const auto s = state.lock();
    if (!s || s->isOverlayVisible) return event;
    s->showOverlays();
    return std::nullopt;
}

void ToolbarWindowController::fitToLength(std::optional<double> length) {
    platform::assertMainThread("ToolbarWindowController::fitToLength");
    DrawingToolbarView* view = toolbarView();
    if (!window_ || !view) return;
    view->setMaxLength(length);
    // The window's own layout takes the view's new size now, not on a later
    // turn: it would hold the window at the old size meanwhile.
    if (QLayout* host = window_->widget()->layout()) host->activate();
    const platform::Rect frame = window_->frame();
    const platform::Size size = windowSize(view->sizeHint());
    if (size != frame.size) window_->setFrame(platform::Rect(frame.origin, size));
}

void ToolbarWindowController::setImportingBrushes(bool importing) {
    if (!window_) return;
    if (importing) {
        window_->shape().setIgnoresMouseEvents(true);
        window_->stacking().setLevel(platform::WindowLevel::normal);
        return;
    }
    window_->shape().setIgnoresMouseEvents(false);
    window_->stacking().setLevel(platform::WindowLevel::panel);
    if (window_->isVisible()) window_->orderFront();
}
