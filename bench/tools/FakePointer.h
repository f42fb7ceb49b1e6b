#pragma once

// What the side-by-side tools share: a monotonic clock, sleeping to a time,
// the pointer driven through XTEST on the X connection they open, keys by
// keysym, a process's CPU time and the zigzag their drags follow.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <dirent.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace fake_pointer {

inline xcb_connection_t* conn = nullptr;
inline xcb_window_t root = 0;

inline double now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

inline void sleepUntil(double t) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(t);
    ts.tv_nsec = static_cast<long>((t - double(ts.tv_sec)) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

inline void fake(std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0) {
    xcb_test_fake_input(conn, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
}
inline void moveTo(int x, int y) { fake(XCB_MOTION_NOTIFY, 0, x, y); }
inline void press() { fake(XCB_BUTTON_PRESS, 1); }
inline void release() { fake(XCB_BUTTON_RELEASE, 1); }
inline void send() { xcb_flush(conn); }
// Waits until the server has handled everything sent so far.
inline void sync() { std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr)); }

// CPU time of a process and all its threads, in nanoseconds.
inline long long cpuNs(int pid) {
    long long sum = 0;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    DIR* d = opendir(dir.c_str());
    if (!d) return 0;
    while (dirent* e = readdir(d)) {
        if (e->d_name[0] == '.') continue;
        FILE* f = std::fopen((dir + "/" + e->d_name + "/schedstat").c_str(), "r");
        if (!f) continue;
        long long run = 0;
        if (std::fscanf(f, "%lld", &run) == 1) sum += run;
        std::fclose(f);
    }
    closedir(d);
    return sum;
}

// The keycode that gives `keysym` without modifiers; 0 when none does.
inline std::uint8_t keycodeOf(std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const int first = setup->min_keycode, count = setup->max_keycode - setup->min_keycode + 1;
    auto* r = xcb_get_keyboard_mapping_reply(
        conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, static_cast<std::uint8_t>(count)), nullptr);
    if (!r) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r);
    std::uint8_t found = 0;
    for (int k = 0; k < count && !found; ++k)
        if (syms[k * r->keysyms_per_keycode] == keysym) found = static_cast<std::uint8_t>(first + k);
    std::free(r);
    return found;
}

// The zigzag: samples alternate between a row's top and bottom, `kStep`
// pixels apart, rows run left to right and back. A sample a program skipped
// leaves its column empty near its own peak: the line from the sample
// before to the one after runs along the other edge of the row.
inline constexpr int kStep = 8, kAmplitude = 50, kPitch = 80;

struct Sample {
    int x, y;
    bool top;
    bool checked;
};

inline std::vector<Sample> zigzag(int x, int y, int w, int moves) {
    std::vector<Sample> path;
    const int perRow = w / kStep;
    for (int i = 0; i <= moves; ++i) {
        const int row = i / perRow, k = i % perRow;
        const int col = row % 2 == 0 ? k : perRow - 1 - k;
        const bool top = i % 2 == 1;
        const int base = y + row * kPitch + kAmplitude;
        // The first and last sample of a row lie on the line to the next row.
        path.push_back({x + col * kStep, top ? base - kAmplitude : base, top, i > 0 && k != 0 && k != perRow - 1});
    }
    return path;
}

} // namespace fake_pointer
