#include "platform/X11InputWindow.h"

#include "platform/ServerPlacement.h"
#include "platform/X11.h"

#include <xcb/shape.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace platform {

namespace {

// Input window → its object, for routing their events.
std::map<xcb_window_t, X11InputWindow*>& byInput() {
    static std::map<xcb_window_t, X11InputWindow*> map;
    return map;
}

} // namespace

X11InputWindow::X11InputWindow(std::uint32_t owner) : owner_(owner) {
    auto* c = x11::connection();
    if (!c || owner == XCB_NONE) return;
    id_ = xcb_generate_id(c);
    // Override-redirect: no window manager frames or moves it. Core pointer
    // events too, for a server without XInput 2.
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                                           XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                                           XCB_EVENT_MASK_LEAVE_WINDOW};
    xcb_create_window(c, 0, id_, x11::root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    // The events Qt reads for its own windows.
    if (x11::xinputOpcode()) {
        x11::selectXInputEvents(c, id_,
                                XCB_INPUT_XI_EVENT_MASK_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_BUTTON_RELEASE |
                                    XCB_INPUT_XI_EVENT_MASK_MOTION | XCB_INPUT_XI_EVENT_MASK_ENTER |
                                    XCB_INPUT_XI_EVENT_MASK_LEAVE);
    }
    x11::setWindowName(id_, QStringLiteral("Overink Input"));
    x11::setWindowClass(id_);
    byInput()[id_] = this;
    // The owner's window follows its place on the server; so does this one.
    ServerPlacement::follow(owner_);
    ownerWatch_ = ServerPlacement::moved().connect([this](std::uint32_t window) {
        if (window == owner_) place();
    });
    x11::flush();
}

X11InputWindow::~X11InputWindow() {
    if (id_ == XCB_NONE) return;
    byInput().erase(id_);
    if (auto* c = x11::connection()) {
        xcb_destroy_window(c, id_);
        xcb_flush(c);
    }
}

void X11InputWindow::setSize(const QSize& size) {
    if (id_ == XCB_NONE || size.isEmpty()) return;
    size_ = size;
    place();
}

std::optional<QPoint> X11InputWindow::ownerOrigin() const { return ServerPlacement::origin(owner_); }

void X11InputWindow::place() {
    const auto origin = ownerOrigin();
    if (id_ == XCB_NONE || !origin || size_.isEmpty()) return;
    const QRect root(*origin, size_);
    if (root == placed_) return;
    placed_ = root;
    const std::uint32_t values[] = {static_cast<std::uint32_t>(root.x()), static_cast<std::uint32_t>(root.y()),
                                    static_cast<std::uint32_t>(root.width()),
                                    static_cast<std::uint32_t>(root.height())};
    xcb_configure_window(x11::connection(), id_,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    x11::flush();
}

namespace {

// A region's rectangles, which QRegion keeps in y-x bands, as one shape
// request.
void shapeRegion(xcb_window_t id, xcb_shape_op_t op, const QRegion& region) {
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(static_cast<std::size_t>(region.rectCount()));
    for (const QRect& r : region)
        rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                         static_cast<std::uint16_t>(r.width()), static_cast<std::uint16_t>(r.height())});
    xcb_shape_rectangles(x11::connection(), op, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_YX_BANDED, id, 0, 0,
                         static_cast<std::uint32_t>(rects.size()), rects.data());
}

} // namespace

void X11InputWindow::setRegion(const std::optional<QRegion>& region) {
    if (id_ == XCB_NONE) return;
    if (!region) xcb_shape_mask(x11::connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id_, 0, 0, XCB_NONE);
    else shapeRegion(id_, XCB_SHAPE_SO_SET, *region);
    x11::flush();
}

void X11InputWindow::changeRegion(const QRegion& added, const QRegion& removed) {
    if (id_ == XCB_NONE) return;
    if (!added.isEmpty()) shapeRegion(id_, XCB_SHAPE_SO_UNION, added);
    if (!removed.isEmpty()) shapeRegion(id_, XCB_SHAPE_SO_SUBTRACT, removed);
    x11::flush();
}

void X11InputWindow::setShown(bool shown) {
    if (id_ == XCB_NONE || shown == shown_) return;
    shown_ = shown;
    if (shown) {
        place();
        xcb_map_window(x11::connection(), id_);
        restack();
    } else {
        xcb_unmap_window(x11::connection(), id_);
    }
    x11::flush();
}

void X11InputWindow::restack() {
    if (id_ == XCB_NONE || !shown_) return;
    const xcb_window_t below = ServerPlacement::topLevelOf(owner_);
    if (below == XCB_NONE) return;
    const std::uint32_t values[] = {below, XCB_STACK_MODE_ABOVE};
    xcb_configure_window(x11::connection(), id_, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    x11::flush();
}

std::vector<std::uint32_t> X11InputWindow::all() {
    std::vector<std::uint32_t> ids;
    for (const auto& [id, window] : byInput()) ids.push_back(id);
    return ids;
}

bool X11InputWindow::any() { return !byInput().empty(); }

std::uint32_t X11InputWindow::ownerOf(std::uint32_t id) {
    const auto it = byInput().find(id);
    return it == byInput().end() ? 0 : it->second->owner();
}

} // namespace platform
