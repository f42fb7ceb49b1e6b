#include "toolbar/ToolbarWindowController.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

namespace {
constexpr double kWidth = 640;
constexpr double kHeight = 56;
} // namespace

ToolbarWindowController::ToolbarWindowController(const std::shared_ptr<DrawingState>& drawingState)
    : drawingState_(drawingState), window_(platform::makeWindow(platform::Rect(0, 0, kWidth, kHeight))) {
    platform::assertMainThread("ToolbarWindowController");
    window_->setTitle(QStringLiteral("Overink Toolbar"));
    window_->setLevel(platform::WindowLevel::panel);
    window_->setBackgroundColor(Color{0, 0, 0, 0});
    window_->setHasShadow(false);
    window_->setCanBecomeKey(false);
    window_->setNonActivatingPanel(true);
    window_->setIgnoresMouseEvents(true);
    if (drawingState) {
        if (const auto main = drawingState->screenProvider().mainScreen()) {
            const platform::Rect v = main->visibleFrame;
            window_->setFrame(platform::Rect(v.midX() - kWidth / 2, v.maxY() - kHeight - 8, kWidth, kHeight));
        }
    }
}

ToolbarWindowController::~ToolbarWindowController() = default;

void ToolbarWindowController::showWindow() {
    platform::assertMainThread("ToolbarWindowController::showWindow");
    window_->orderFront();
    if (auto state = drawingState_.lock()) state->isToolbarVisible = true;
}

void ToolbarWindowController::close() {
    platform::assertMainThread("ToolbarWindowController::close");
    window_->close();
    if (auto state = drawingState_.lock()) state->isToolbarVisible = false;
}
