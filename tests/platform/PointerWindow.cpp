// For the e2e tests: prints the child of the root a press would go to where
// the pointer is now (as the X server finds it, input shapes counted), in
// decimal, or 0 over the bare root. Unlike `xdotool getmouselocation`, it
// never looks for a managed client inside or around that window.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

int main() {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_pointer_reply_t* r = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    if (!r) return 1;
    std::printf("%u\n", r->child);
    std::free(r);
    xcb_disconnect(c);
    return 0;
}
