// A screenshot's road: countdown, capture without the toolbar, crop, save.
#include "capture/ScreenCaptureCoordinator.h"

#include "capture/CountdownOverlayController.h"
#include "capture/ScreenshotFile.h"
#include "capture/ScreenshotGeometry.h"
#include "capture/WindowAttachManager.h"
#include "model/DrawingState.h"
#include "platform/Alert.h"
#include "platform/Application.h"
#include "platform/DesktopSession.h"
#include "platform/Dispatch.h"
#include "platform/SavePanel.h"
#include "platform/SystemLog.h"
#include "toolbar/ToolbarWindowController.h"
#include "ui/TooltipManager.h"
#include "ui/TooltipPanel.h"
#include "ui/WindowLevels.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

ScreenCaptureCoordinator::ScreenCaptureCoordinator(std::weak_ptr<DrawingState> drawingState,
                                                   std::weak_ptr<WindowAttachManager> attachManager,
                                                   std::function<ToolbarWindowController*()> toolbarControllerProvider,
                                                   std::shared_ptr<platform::ScreenProvider> screens,
                                                   std::shared_ptr<platform::ScreenGrabber> grabber,
                                                   double countdownTickSeconds)
    : drawingState_(std::move(drawingState)),
      attachManager_(std::move(attachManager)),
      toolbarControllerProvider_(std::move(toolbarControllerProvider)),
      screens_(std::move(screens)),
      grabber_(std::move(grabber)),
      countdownTickSeconds_(countdownTickSeconds) {}

ScreenCaptureCoordinator::~ScreenCaptureCoordinator() {
    // Delayed steps and answers of the grabber find the coordinator gone.
    lifetime_.end();
}

std::optional<platform::Screen> ScreenCaptureCoordinator::toolbarScreen() const {
    ToolbarWindowController* controller = toolbarController();
    platform::Window* window = controller ? controller->window() : nullptr;
    if (!window || !screens_) return std::nullopt;
    return window->screen(*screens_);
}

void ScreenCaptureCoordinator::startCapture() {
    platform::assertMainThread("ScreenCaptureCoordinator::startCapture");
    if (countdownController_) return;
    const auto state = drawingState_.lock();
    const bool wasAttached = state && state->isAttachedToWindow.get();
    const std::vector<platform::Screen> screens = screens_ ? screens_->screens() : std::vector<platform::Screen>{};
    const std::optional<platform::Screen> main = screens_ ? screens_->mainScreen() : std::nullopt;
    auto mainOrFirst = [&]() -> std::optional<platform::Screen> {
        if (main) return main;
        if (!screens.empty()) return screens.front();
        return std::nullopt;
    };

    std::optional<Target> target;
    // The pinned window's frame, read now: a window that moves during the
    // countdown is cropped where it was.
    if (const auto manager = attachManager_.lock(); wasAttached && manager && manager->targetWindowID() != 0) {
        if (const auto frame = manager->windowFrame(manager->targetWindowID())) {
            const auto meets = std::find_if(screens.begin(), screens.end(),
                                            [&](const platform::Screen& s) { return s.frame.intersects(*frame); });
            if (const auto screen = meets != screens.end() ? std::optional(*meets) : mainOrFirst())
                target = Target{*frame, *screen, wasAttached};
        }
    }
    if (!target) {
        auto screen = toolbarScreen();
        if (!screen) screen = mainOrFirst();
        // No display at all: nothing to count down on, nothing to capture.
        if (!screen) return;
        target = Target{screen->frame, *screen, wasAttached};
    }

    const auto weak = lifetime_.ref();
    countdownController_ = std::make_unique<CountdownOverlayController>(
        target->screen,
        [weak, t = *target] {
            if (auto* self = weak.get()) self->countdownFinished(t);
        },
        [weak] {
            if (auto* self = weak.get()) self->countdownController_.reset();
        },
        countdownTickSeconds_);
    countdownCompleting_ = countdownController_->completing.connect([weak] {
        if (auto* self = weak.get()) self->countdownCompleting();
    });
    countdownController_->showWindow();
}

// The countdown is about to close, the capture to follow: the grab is to
// wait for the screen to be drawn again where the countdown showed.
void ScreenCaptureCoordinator::countdownCompleting() {
    if (grabber_ && countdownController_) grabber_->windowClosing(countdownController_->window()->xid());
}

void ScreenCaptureCoordinator::countdownFinished(const Target& target) {
    if (countdownController_) {
        countdownController_->close();
        countdownController_.reset();
    }
    ToolbarWindowController* controller = toolbarController();
    platform::Window* toolbar = controller ? controller->window() : nullptr;
    if (!toolbar) return;
    // The toolbar is neither hidden nor moved here; the grab leaves it out,
    // and the tooltip chip with it (the pointer often rests on the camera).
    std::vector<std::uint32_t> excluding{toolbar->xid()};
    if (const TooltipPanel* chip = TooltipManager::shared().panel(); chip && chip->xid() != 0)
        excluding.push_back(chip->xid());
    const auto weak = lifetime_.ref();
    platform::dispatchMainAfter(kCaptureDelay, [weak, target, excluding] {
        if (auto* self = weak.get()) self->performCapture(target, excluding);
    });
    // Ready while the countdown leaves the screen, not after.
    if (grabber_) grabber_->prepare(captureSize(target.screen.frame.size, target.screen.scale));
}

void ScreenCaptureCoordinator::performCapture(const Target& target, const std::vector<std::uint32_t>& excluding) {
    platform::assertMainThread("ScreenCaptureCoordinator::performCapture");
    // The display's scale and size as they are now; the rectangle stays the
    // one fixed at the request.
    Target now = target;
    if (const auto screen = screens_ ? screens_->screen(target.screen.displayID) : std::nullopt) now.screen = *screen;
    captureDisplay(now, excluding);
}

void ScreenCaptureCoordinator::captureDisplay(const Target& target, const std::vector<std::uint32_t>& excluding) {
    if (!grabber_) return;
    const auto weak = lifetime_.ref();
    grabber_->shareableContent([weak, target, excluding](platform::ScreenGrabber::ContentResult result) {
        auto* self = weak.get();
        if (!self) return;
        if (result.error) return self->captureFailed(*result.error);
        const auto& displays = result.content.displays;
        const auto display = std::find_if(displays.begin(), displays.end(), [&](const platform::CapturableDisplay& d) {
            return d.displayID == target.screen.displayID;
        });
        if (display == displays.end()) return;
        platform::ContentFilter filter{*display, {}};
        for (std::uint32_t id : result.content.windowIDs)
            if (std::find(excluding.begin(), excluding.end(), id) != excluding.end())
                filter.excludedWindowIDs.push_back(id);
        const QSize size = captureSize(target.screen.frame.size, target.screen.scale);
        const platform::CaptureConfiguration configuration{size.width(), size.height()};
        self->grabber_->captureImage(filter, configuration,
                                     [weak, target, display = *display](platform::ScreenGrabber::ImageResult image) {
                                         auto* self = weak.get();
                                         if (!self) return;
                                         if (image.error) return self->captureFailed(*image.error);
                                         self->finishCapture(image.image, target, display);
                                     });
    });
}

void ScreenCaptureCoordinator::finishCapture(const QImage& image, const Target& target,
                                             const platform::CapturableDisplay& display) {
    platform::assertMainThread("ScreenCaptureCoordinator::finishCapture");
    QImage result = image;
    if (target.wasAttached) {
        const auto screens = screens_ ? screens_->screens() : std::vector<platform::Screen>{};
        const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height();
        // Nothing of the window on this image: the whole display instead.
        if (const auto crop =
                pinnedWindowCrop(target.rect, target.screen.scale, primaryHeight, display.frame, image.size()))
            result = image.copy(*crop);
    }
    saveImage(result);
}

void ScreenCaptureCoordinator::saveImage(const QImage& image) {
    platform::assertMainThread("ScreenCaptureCoordinator::saveImage");
    const QString name = proposedScreenshotName(QDateTime::currentDateTime(), QLocale::system());
    // Held apart from the coordinator, which the panel's event loop may end.
    const std::weak_ptr<DrawingState> stateRef = drawingState_;
    const auto weak = lifetime_.ref();
    if (const auto state = stateRef.lock()) state->lowerOverlaysForPanel();
    platform::Application::shared().activate();

    platform::SavePanel panel;
    panel.title = QStringLiteral("Save Screenshot");
    panel.prompt = QStringLiteral("Save");
    panel.nameFieldStringValue = name;
    panel.canCreateDirectories = true;
    panel.allowedExtensions = {QStringLiteral("jpg"), QStringLiteral("jpeg")};
    if (const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        !desktop.isEmpty() && QDir(desktop).exists())
        panel.directory = desktop;
    const platform::SavePanel::Result answer = panel.runModal();

    if (answer.response == platform::ModalResponse::ok && answer.path && !answer.path->isEmpty()) {
        if (const auto error = writeJPEG(image, *answer.path); error && weak) reportWriteFailure(*answer.path, *error);
    }
    if (const auto state = stateRef.lock()) state->raiseOverlaysAfterPanel();
}

void ScreenCaptureCoordinator::reportWriteFailure(const QString& path, const QString& reason) {
    platform::SystemLog::error(QStringLiteral("Overink could not save a screenshot to %1: %2").arg(path, reason));
    platform::Application::shared().activate();
    const auto lowered = lowerHighLevelWindows();
    platform::Alert alert;
    alert.alertStyle = platform::Alert::Style::warning;
    alert.messageText = QStringLiteral("The screenshot could not be saved.");
    alert.informativeText = QStringLiteral("Overink could not write %1: %2").arg(path, reason);
    alert.addButton(QStringLiteral("OK"));
    alert.runModal();
    restoreWindowLevels(lowered);
}

void ScreenCaptureCoordinator::captureFailed(const platform::CaptureError& error) {
    if (error.kind == platform::CaptureError::Kind::permissionDenied) return showPermissionAlert();
    platform::SystemLog::error(QStringLiteral("Overink capture failed: ") + error.description);
}

void ScreenCaptureCoordinator::showPermissionAlert() {
    platform::assertMainThread("ScreenCaptureCoordinator::showPermissionAlert");
    platform::Application::shared().activate();
    const auto lowered = lowerHighLevelWindows();
    platform::Alert alert;
    alert.alertStyle = platform::Alert::Style::warning;
    alert.messageText = QStringLiteral("Screen Recording Permission Required");
    alert.informativeText =
        QStringLiteral("Overink needs Screen Recording permission to capture screenshots.\n\n"
                       "Turn it on for Overink under System Settings ▸ Privacy & Security ▸ Screen Recording, "
                       "then restart the app.");
    alert.addButton(QStringLiteral("Open System Settings"));
    alert.addButton(QStringLiteral("Dismiss"));
    const int answer = alert.runModal();
    restoreWindowLevels(lowered);
    if (answer == platform::Alert::kFirstButtonReturn) platform::openPrivacySettings();
}
