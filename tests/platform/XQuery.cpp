// For the e2e tests, what the X server says as it is, without looking for a
// managed client in or around the window it names (as xdotool does, which
// answers 0 or another window for windows no window manager frames):
//   x_query pointer   the child of the root a press would go to where the
//                     pointer is now (input shapes counted), 0 over the root
//   x_query focus     the window holding the keyboard focus (0 for none, 1
//                     for the pointer's root)
// Each prints a decimal window id.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_window_t answer = 0;
    if (std::strcmp(argv[1], "pointer") == 0) {
        xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
        if (!r) return 1;
        answer = r->child;
        std::free(r);
    } else if (std::strcmp(argv[1], "focus") == 0) {
        xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        if (!r) return 1;
        answer = r->focus;
        std::free(r);
    } else {
        return 2;
    }
    std::printf("%u\n", answer);
    xcb_disconnect(c);
    return 0;
}
