#pragma once

// Reading the pixels of the X root window: what the display shows, with
// every window on it and, where a compositing manager paints onto the root,
// the composited picture. The pointer is never part of it.

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>

namespace platform::x11 {

enum class RootReadMethod {
    automatic,    // shared memory for large areas where the server offers it
    sharedMemory, // MIT-SHM only; fails where the server does not offer it
    request,      // the image comes back in the reply
};

// Reads areas of the root up to a given size. Shared memory is set up (and
// its pages brought in) when the reader is made, so that a read itself is
// quick: a window hidden for the read is hidden no longer than needed.
class RootImageReader {
public:
    explicit RootImageReader(QSize largest, RootReadMethod method = RootReadMethod::automatic);
    ~RootImageReader();
    RootImageReader(const RootImageReader&) = delete;
    RootImageReader& operator=(const RootImageReader&) = delete;

    // The area of the root (device pixels, clipped to the root) as an opaque
    // image; a null image, with `error` set, when it cannot be read.
    // `whenRead` runs once the server has answered, before the pixels are
    // converted: the screen may change from then on.
    QImage read(const QRect& area, QString* error = nullptr, const std::function<void()>& whenRead = {});
    // The same, read once into shared memory that then belongs to the image
    // (nothing is copied); the reader reads through replies afterwards.
    QImage readInPlace(const QRect& area, QString* error = nullptr, const std::function<void()>& whenRead = {});
    bool usesSharedMemory() const;
    // The largest area it was made for.
    QSize largest() const { return largest_; }

private:
    class SharedSegment;
    // The area (inside the root) into the shared segment; false, with
    // `error` set, when the server refused.
    bool readIntoSegment(const QRect& a, QString* error, const std::function<void()>& whenRead);
    std::unique_ptr<SharedSegment> segment_;
    QSize largest_;
    RootReadMethod method_;
    QString setupError_;
};

// One read with a reader of its own.
QImage readRootImage(const QRect& area, QString* error = nullptr, RootReadMethod method = RootReadMethod::automatic);

} // namespace platform::x11
