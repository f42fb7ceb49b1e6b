#pragma once

// A window's bounding shape built up on a hidden window and copied over in
// one request. Each change of a shown window's shape makes the X server
// work out again which windows it covers, at a cost that grows with every
// rectangle of the shape (and a window manager that frames the window
// copies it onto its frame, paying once more); a repaint that both adds and
// takes away pixels then pays twice. On a window that is never shown the
// same changes cost only the region's own arithmetic.

#include <QRect>

#include <cstdint>
#include <vector>

namespace platform {

class X11ShapeStaging {
public:
    X11ShapeStaging();
    ~X11ShapeStaging();

    X11ShapeStaging(const X11ShapeStaging&) = delete;
    X11ShapeStaging& operator=(const X11ShapeStaging&) = delete;

    // Sets `target`'s bounding shape to `rects`.
    void set(std::uint32_t target, const std::vector<QRect>& rects);
    // Adds `painted` to the shape set last and takes `cleared` away, on
    // `target` at once: it never shows the shape in between.
    void change(std::uint32_t target, const std::vector<QRect>& painted, const std::vector<QRect>& cleared);

private:
    std::uint32_t id_ = 0;
};

} // namespace platform
