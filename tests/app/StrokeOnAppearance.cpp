// A person who draws the moment the overlays appear, for the e2e tests:
// waits until a window named "Overink Overlay" is mapped, then at once
// presses the left button at a point, drags it across and lets go, through
// XTest, at the pace of a quick hand.
//   stroke_on_appearance X Y DX STEPS [DELAY-MS] [TIMEOUT-S]
// The stroke goes from (X, Y) to (X + DX, Y) in STEPS moves, DELAY-MS after
// the overlay is mapped (0: at once). Prints "stroke MS PLACED" once done:
// how long after the map the press was sent, and whether the overlay then
// stood at the top-left corner of the screen (1) or elsewhere (0), as a
// window manager may first put it. Exits 1 when no overlay appeared in time.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <poll.h>

namespace {

xcb_connection_t* conn = nullptr;
xcb_window_t root = 0;

std::string nameOf(xcb_window_t w) {
    auto* r =
        xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 64), nullptr);
    std::string name;
    if (r && r->format == 8)
        name.assign(static_cast<const char*>(xcb_get_property_value(r)),
                    static_cast<std::size_t>(xcb_get_property_value_length(r)));
    std::free(r);
    return name;
}

// The overlay in `w` or among its children and theirs (a window manager's
// frame holds it); 0 when none.
xcb_window_t overlayIn(xcb_window_t w, int depth = 0) {
    if (nameOf(w) == "Overink Overlay") return w;
    if (depth == 2) return 0;
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr);
    if (!tree) return 0;
    xcb_window_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) found = overlayIn(children[i], depth + 1);
    std::free(tree);
    return found;
}

bool viewable(xcb_window_t w) {
    auto* a = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
    const bool v = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(a);
    return v;
}

bool atTopLeft(xcb_window_t w) {
    auto* r = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
    const bool at = r && r->dst_x == 0 && r->dst_y == 0;
    std::free(r);
    return at;
}

void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
    xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
    xcb_flush(conn);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s X Y DX STEPS [DELAY-MS] [TIMEOUT-S]\n", argv[0]);
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]), dx = std::atoi(argv[3]);
    const int steps = std::max(1, std::atoi(argv[4]));
    const int delayMs = argc > 5 ? std::atoi(argv[5]) : 0;
    const int timeoutS = argc > 6 ? std::atoi(argv[6]) : 30;
    conn = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn)) return 2;
    root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(conn, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(conn);
    // Ready: whatever maps from now on is seen.
    std::printf("ready\n");
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(timeoutS);
    xcb_window_t overlay = 0;
    while (!overlay) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return 1;
        pollfd p{xcb_get_file_descriptor(conn), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<long long>(left, 100)));
        while (xcb_generic_event_t* e = xcb_poll_for_event(conn)) {
            // A top-level window (or a window manager's frame) was mapped.
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY && !overlay) {
                const auto* m = reinterpret_cast<const xcb_map_notify_event_t*>(e);
                const xcb_window_t found = overlayIn(m->window);
                if (found && viewable(found)) overlay = found;
            }
            std::free(e);
        }
        if (xcb_connection_has_error(conn)) return 2;
    }
    const auto mapped = Clock::now();
    if (delayMs > 0) std::this_thread::sleep_until(mapped + std::chrono::milliseconds(delayMs));

    fake(XCB_MOTION_NOTIFY, 0, x, y);
    fake(XCB_BUTTON_PRESS, 1);
    const auto pressed = Clock::now();
    const bool placed = atTopLeft(overlay);
    // A quick hand: a move every few milliseconds.
    for (int i = 1; i <= steps; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        fake(XCB_MOTION_NOTIFY, 0, x + dx * i / steps, y);
    }
    fake(XCB_BUTTON_RELEASE, 1);
    std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
    std::printf("stroke %lld %d\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(pressed - mapped).count()),
                placed ? 1 : 0);
    std::fflush(stdout);
    xcb_disconnect(conn);
    return 0;
}
