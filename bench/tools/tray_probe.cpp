// Start-up time of a tray program: from starting it to its icon being
// embedded by the tray host (the icon window reparented out of the root).
//   tray_probe <runs> <program> [args...]
// Each run gets a fresh HOME; prints each time in milliseconds, then the
// median. Needs a running X server with a tray host.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

bool hasProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property) {
    auto* r = xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_ANY, 0, 1), nullptr);
    const bool has = r && r->type != XCB_NONE;
    std::free(r);
    return has;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s runs program [args...]\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "tray_probe: no X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t xembedInfo = atom(c, "_XEMBED_INFO");
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        char home[] = "/tmp/tray_probe.XXXXXX";
        if (!mkdtemp(home)) return 1;
        while (auto* e = xcb_poll_for_event(c)) std::free(e);

        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            setenv("HOME", home, 1);
            setenv("XDG_CONFIG_HOME", (std::string(home) + "/.config").c_str(), 1);
            setenv("XDG_DATA_HOME", (std::string(home) + "/.local/share").c_str(), 1);
            execvp(argv[2], argv + 2);
            _exit(127);
        }
        double ms = -1;
        while (ms < 0) {
            pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0) break;
            while (auto* e = xcb_poll_for_event(c)) {
                if ((e->response_type & 0x7f) == XCB_REPARENT_NOTIFY) {
                    auto* r = reinterpret_cast<xcb_reparent_notify_event_t*>(e);
                    if (r->parent != root && hasProperty(c, r->window, xembedInfo))
                        ms =
                            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
                }
                std::free(e);
            }
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        std::system((std::string("rm -rf ") + home).c_str());
        if (ms < 0) {
            std::fprintf(stderr, "tray_probe: no icon was embedded within 10 s\n");
            return 1;
        }
        std::printf("run %d: %.1f ms\n", run + 1, ms);
        times.push_back(ms);
        usleep(300000);
    }
    std::sort(times.begin(), times.end());
    std::printf("median %.1f ms\n", times[times.size() / 2]);
    xcb_disconnect(c);
    return 0;
}
