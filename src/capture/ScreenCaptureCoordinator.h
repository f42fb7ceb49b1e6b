#pragma once

// Taking one annotated screenshot, from the request to the saved file.

#include "platform/Geometry.h"
#include "platform/Lifetime.h"
#include "platform/ScreenGrabber.h"
#include "platform/ScreenProvider.h"
#include "platform/Subscription.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CountdownOverlayController;
class DrawingState;
class ToolbarWindowController;
class WindowAttachManager;

// Takes one annotated screenshot, from the request to the saved file: the
// pinned window's area when the drawing is pinned to a window, else the
// toolbar's whole display, after a three-second countdown. The toolbar and
// the tooltip chip stay on screen and are only left out of the image; the
// overlays and their drawing are in it. The image is saved as a JPEG file
// through a save panel. Only the countdown is guarded: a request during it
// is ignored.
class ScreenCaptureCoordinator {
public:
    // `toolbarControllerProvider` answers the toolbar's current controller,
    // whose window is left out of the picture. `countdownTickSeconds` is one
    // second but in tests.
    ScreenCaptureCoordinator(std::weak_ptr<DrawingState> drawingState, std::weak_ptr<WindowAttachManager> attachManager,
                             std::function<ToolbarWindowController*()> toolbarControllerProvider,
                             std::shared_ptr<platform::ScreenProvider> screens,
                             std::shared_ptr<platform::ScreenGrabber> grabber, double countdownTickSeconds = 1.0);
    ~ScreenCaptureCoordinator();

    ScreenCaptureCoordinator(const ScreenCaptureCoordinator&) = delete;
    ScreenCaptureCoordinator& operator=(const ScreenCaptureCoordinator&) = delete;

    // A request from the toolbar; ignored while a countdown runs.
    void startCapture();

    // Set exactly while a countdown runs.
    CountdownOverlayController* countdownController() const { return countdownController_.get(); }
    // The toolbar's controller as the provider answers it now.
    ToolbarWindowController* toolbarController() const {
        return toolbarControllerProvider_ ? toolbarControllerProvider_() : nullptr;
    }

    // The pause between the countdown's end and the capture, so that the
    // closed countdown has left the screen.
    static constexpr double kCaptureDelay = 0.05;

private:
    struct Target {
        platform::Rect rect;
        platform::Screen screen;
        bool wasAttached = false;
    };

    void countdownCompleting();
    void countdownFinished(const Target& target);
    void performCapture(const Target& target, const std::vector<std::uint32_t>& excluding);
    void captureDisplay(const Target& target, const std::vector<std::uint32_t>& excluding);
    void finishCapture(const QImage& image, const Target& target, const platform::CapturableDisplay& display);
    void saveImage(const QImage& image);
    void captureFailed(const platform::CaptureError& error);
    void showPermissionAlert();
    void reportWriteFailure(const QString& path, const QString& reason);
    std::optional<platform::Screen> toolbarScreen() const;

    std::weak_ptr<DrawingState> drawingState_;
    std::weak_ptr<WindowAttachManager> attachManager_;
    std::function<ToolbarWindowController*()> toolbarControllerProvider_;
    std::shared_ptr<platform::ScreenProvider> screens_;
    std::shared_ptr<platform::ScreenGrabber> grabber_;
    double countdownTickSeconds_;
    std::unique_ptr<CountdownOverlayController> countdownController_;
    platform::Subscription countdownCompleting_;
    platform::Lifetime<ScreenCaptureCoordinator> lifetime_{this};
};
