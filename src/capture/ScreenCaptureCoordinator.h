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
    std::weak_ptr<DrawingState> drawingState;
    std::weak_ptr<WindowAttachManager> attachManager;
    // The toolbar's controller, to leave its window out of the picture.
    std::function<ToolbarWindowController*()> toolbarControllerProvider;

    void startCapture() { ++captureRequests; }

    // Requests seen so far.
    int captureRequests = 0;
};
