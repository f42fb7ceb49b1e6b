#pragma once

#include <functional>
#include <memory>

class DrawingState;
class ToolbarWindowController;
class WindowAttachManager;

// Runs one screenshot from countdown to saved file. For now it is wired at
// launch and takes requests, but captures nothing.
class ScreenCaptureCoordinator {
public:
    // `toolbarControllerProvider` answers the toolbar's controller, to leave
    // its window out of the picture.
    ScreenCaptureCoordinator(std::weak_ptr<DrawingState> drawingState, std::weak_ptr<WindowAttachManager> attachManager,
                             std::function<ToolbarWindowController*()> toolbarControllerProvider)
        : drawingState_(std::move(drawingState)),
          attachManager_(std::move(attachManager)),
          toolbarControllerProvider_(std::move(toolbarControllerProvider)) {}

    void startCapture() { ++captureRequests_; }

    // Requests seen so far.
    int captureRequests() const { return captureRequests_; }
    ToolbarWindowController* toolbarController() const {
        return toolbarControllerProvider_ ? toolbarControllerProvider_() : nullptr;
    }

private:
    std::weak_ptr<DrawingState> drawingState_;
    std::weak_ptr<WindowAttachManager> attachManager_;
    std::function<ToolbarWindowController*()> toolbarControllerProvider_;
    int captureRequests_ = 0;
};
