// The pointer driven through XTest from a thread of its own.
#include "support/XTestPointer.h"

#include "support/TestUtil.h"

#include <QByteArray>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

namespace testing_support {

namespace {

void sleepUntil(const timespec& t) {
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
    }
}

timespec after(timespec t, int ms) {
    t.tv_nsec += static_cast<long>(ms) * 1000000;
    t.tv_sec += t.tv_nsec / 1000000000;
    t.tv_nsec %= 1000000000;
    return t;
}

} // namespace

XTestPointer::XTestPointer() {
    xcb_connection_t* c = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
    if (!c || xcb_connection_has_error(c)) {
        if (c) xcb_disconnect(c);
        return;
    }
    const auto* ext = xcb_get_extension_data(c, &xcb_test_id);
    if (!ext || !ext->present) {
        xcb_disconnect(c);
        return;
    }
    connection_ = c;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
}

XTestPointer::~XTestPointer() {
    join();
    if (connection_) xcb_disconnect(connection_);
}

XTestPointer& XTestPointer::moveTo(QPoint at, int delayMs) {
    steps_.push_back({XCB_MOTION_NOTIFY, 0, at, delayMs});
    return *this;
}

XTestPointer& XTestPointer::press(int delayMs) {
    steps_.push_back({XCB_BUTTON_PRESS, 1, {}, delayMs});
    return *this;
}

XTestPointer& XTestPointer::release(int delayMs) {
    steps_.push_back({XCB_BUTTON_RELEASE, 1, {}, delayMs});
    return *this;
}

void XTestPointer::join() {
    if (player_.joinable()) player_.join();
}

void XTestPointer::send() {
    join();
    if (!connection_) return;
    done_ = false;
    player_ = std::thread([this, steps = std::move(steps_)] {
        timespec at{};
        clock_gettime(CLOCK_MONOTONIC, &at);
        for (const Step& s : steps) {
            at = after(at, s.delayMs);
            sleepUntil(at);
            xcb_test_fake_input(connection_, s.type, s.detail, XCB_CURRENT_TIME, root_,
                                static_cast<std::int16_t>(s.at.x()), static_cast<std::int16_t>(s.at.y()), 0);
            xcb_flush(connection_);
        }
        // The server has taken every step in once it answers.
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        done_ = true;
    });
    steps_.clear();
}

bool XTestPointer::waitUntilPlayed(int timeoutMs) {
    return waitUntil([this] { return played(); }, timeoutMs);
}

} // namespace testing_support
