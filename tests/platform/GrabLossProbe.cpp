// Helper program for the grab's lost-connection test: runs on X11 as the
// program does and takes an image of the first display as soon as its event
// loop runs, reporting a failed grab in one line as the program does, or
// "captured" on its output.
#include "platform/Application.h"
#include "platform/SystemLog.h"
#include "platform/X11ScreenGrabber.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    platform::X11ScreenGrabber grabber;
    auto failed = [](const platform::CaptureError& error) {
        platform::SystemLog::error(QStringLiteral("Overink capture failed: ") + error.description);
    };
    QTimer::singleShot(0, [&] {
        grabber.shareableContent([&](platform::ScreenGrabber::ContentResult listed) {
            if (listed.error) return failed(*listed.error);
            if (listed.content.displays.empty()) return;
            grabber.captureImage({listed.content.displays.front(), {}}, {},
                                 [&](platform::ScreenGrabber::ImageResult image) {
                                     if (image.error) return failed(*image.error);
                                     std::printf("captured\n");
                                     std::fflush(stdout);
                                 });
        });
    });
    return platform::Application::shared().run(nullptr);
}
