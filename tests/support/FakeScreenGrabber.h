#pragma once

// A screen-capture service that answers from what the test set, and records
// what it was asked.

#include "platform/Dispatch.h"
#include "platform/Lifetime.h"
#include "platform/ScreenGrabber.h"

#include <QColor>

#include <optional>
#include <vector>

namespace testing_support {

class FakeScreenGrabber : public platform::ScreenGrabber {
public:
    platform::ShareableContent content;
    std::optional<platform::CaptureError> contentError;
    std::optional<platform::CaptureError> imageError;
    // Fills the image, of the configured size; a picture of its own when set.
    QColor fill = QColor(40, 160, 60);
    std::optional<QImage> picture;

    int contentRequests = 0;
    std::vector<QSize> prepared;
    std::vector<std::uint32_t> closing;
    // Runs as a window is said to be closing.
    std::function<void(std::uint32_t)> whileClosing;
    std::vector<platform::ContentFilter> filters;
    std::vector<platform::CaptureConfiguration> configurations;

    void shareableContent(std::function<void(ContentResult)> done) override {
        ++contentRequests;
        ContentResult r{content, contentError};
        later([done = std::move(done), r] { done(r); });
    }

    void captureImage(const platform::ContentFilter& filter, const platform::CaptureConfiguration& configuration,
                      std::function<void(ImageResult)> done) override {
        filters.push_back(filter);
        configurations.push_back(configuration);
        ImageResult r;
        if (imageError) {
            r.error = imageError;
        } else if (picture) {
            r.image = *picture;
        } else {
            r.image = QImage(configuration.width, configuration.height, QImage::Format_RGB32);
            r.image.fill(fill);
        }
        later([done = std::move(done), r] { done(r); });
    }

    void prepare(QSize imageSize) override { prepared.push_back(imageSize); }
    void windowClosing(std::uint32_t windowID) override {
        closing.push_back(windowID);
        if (whileClosing) whileClosing(windowID);
    }

private:
    template <typename F>
    void later(F f) {
        const auto weak = lifetime_.ref();
        platform::dispatchMain([weak, f = std::move(f)] {
            if (weak) f();
        });
    }
    platform::Lifetime<FakeScreenGrabber> lifetime_{this};
};

} // namespace testing_support
