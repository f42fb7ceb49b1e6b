#pragma once

// The screen-capture service: which displays and windows can be captured,
// and one still image of a display with some of this program's windows left
// out of it. The program uses the X11 grabber; tests inject their own.

#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace platform {

struct CaptureError {
    enum class Kind {
        // The session does not let this program see the other programs' windows.
        permissionDenied,
        failed,
    };
    Kind kind = Kind::failed;
    QString description;
};

struct CapturableDisplay {
    DisplayID displayID = 0;
    // In points, in the window list's space: y down, origin at the top-left
    // of the primary display.
    Rect frame;
};

struct ShareableContent {
    std::vector<CapturableDisplay> displays;
    // The windows on screen, by their window numbers.
    std::vector<std::uint32_t> windowIDs;
};

// What one image shows: a display, less some windows.
struct ContentFilter {
    CapturableDisplay display;
    std::vector<std::uint32_t> excludedWindowIDs;
};

// The image's size in pixels; the display's own pixels are scaled to it. The
// pointer is never drawn.
struct CaptureConfiguration {
    int width = 0;
    int height = 0;
};

class ScreenGrabber {
public:
    struct ContentResult {
        ShareableContent content;
        std::optional<CaptureError> error;
    };
    struct ImageResult {
        QImage image;
        std::optional<CaptureError> error;
    };

    virtual ~ScreenGrabber() = default;

    // Both answer on the main thread, on a later turn of the event loop, and
    // not at all once the grabber is gone. A failure met because the
    // display's connection broke is not answered either: the program ends
    // over that, and says so once.
    virtual void shareableContent(std::function<void(ContentResult)> done) = 0;
    virtual void captureImage(const ContentFilter& filter, const CaptureConfiguration& configuration,
                              std::function<void(ImageResult)> done) = 0;
    // An image of about this many pixels will be asked for in a moment: what
    // makes taking it quick may be set up now.
    virtual void prepare(QSize) {}
    // One of this program's windows is about to close, and an image will be
    // asked for in a moment (the countdown before a screenshot ends): called
    // while the window still shows. The next image is taken once the screen
    // has been drawn again where the window showed, as where a window left
    // out of it showed.
    virtual void windowClosing(std::uint32_t /*windowID*/) {}
};

} // namespace platform
