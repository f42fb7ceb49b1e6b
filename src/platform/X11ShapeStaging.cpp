// The hidden window a bounding shape is built up on before it is copied.
#include "platform/X11ShapeStaging.h"

#include "platform/X11.h"

#include <xcb/shape.h>

namespace platform {

namespace {

void shapeRects(xcb_window_t id, xcb_shape_op_t op, const std::vector<QRect>& rects) {
    std::vector<xcb_rectangle_t> xr;
    xr.reserve(rects.size());
    for (const QRect& r : rects)
        xr.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                      static_cast<std::uint16_t>(r.width()), static_cast<std::uint16_t>(r.height())});
    xcb_shape_rectangles(x11::connection(), op, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
                         static_cast<std::uint32_t>(xr.size()), xr.data());
}

void copyShape(xcb_window_t from, xcb_window_t to) {
    xcb_shape_combine(x11::connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_SHAPE_SK_BOUNDING, to, 0, 0,
                      from);
}

} // namespace

X11ShapeStaging::X11ShapeStaging() {
    auto* c = x11::connection();
    if (!c) return;
    id_ = xcb_generate_id(c);
    // Never mapped, so no change of its shape makes the server look at
    // other windows. Its bounding shape is kept whole beyond its size.
    xcb_create_window(c, 0, id_, x11::root(), -1, -1, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0,
                      nullptr);
}

X11ShapeStaging::~X11ShapeStaging() {
    if (id_ == XCB_NONE) return;
    if (auto* c = x11::connection()) {
        xcb_destroy_window(c, id_);
        xcb_flush(c);
    }
}

void X11ShapeStaging::set(std::uint32_t target, const std::vector<QRect>& rects) {
    if (id_ == XCB_NONE) {
        shapeRects(target, XCB_SHAPE_SO_SET, rects);
        return;
    }
    shapeRects(id_, XCB_SHAPE_SO_SET, rects);
    copyShape(id_, target);
}

void X11ShapeStaging::change(std::uint32_t target, const std::vector<QRect>& painted,
                             const std::vector<QRect>& cleared) {
    if (painted.empty() && cleared.empty()) return;
    if (id_ == XCB_NONE) {
        // What is painted joins first: a pixel that stays painted never
        // drops out of the shape in between.
        if (!painted.empty()) shapeRects(target, XCB_SHAPE_SO_UNION, painted);
        if (!cleared.empty()) shapeRects(target, XCB_SHAPE_SO_SUBTRACT, cleared);
        return;
    }
    if (!painted.empty()) shapeRects(id_, XCB_SHAPE_SO_UNION, painted);
    if (!cleared.empty()) shapeRects(id_, XCB_SHAPE_SO_SUBTRACT, cleared);
    copyShape(id_, target);
}

} // namespace platform
