#pragma once

// What the side-by-side tools share: a monotonic clock, sleeping to a time,
// and the pointer driven through XTEST on the X connection they open.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>

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

} // namespace fake_pointer
