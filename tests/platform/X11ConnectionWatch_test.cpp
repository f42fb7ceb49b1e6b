// The watch of Qt's X connection, on a connection of the test's own.
#include "platform/X11ConnectionWatch.h"

#include <QtGlobal>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

// Qt may word its line about the broken connection otherwise one day: any
// line the main thread logs once the connection has an error ends the run.
TEST(X11ConnectionWatch, AnyLineOnceTheConnectionBrokeRunsTheHandler) {
    // A server that closes the connection before it answers its set-up.
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    ::close(ends[1]);
    xcb_connection_t* broken = xcb_connect_to_fd(ends[0], nullptr);
    ASSERT_NE(xcb_connection_has_error(broken), 0);

    int losses = 0;
    platform::X11ConnectionWatch::start([&] { ++losses; }, broken);
    qWarning("qt.qpa.xcb: the X connection went away (in words of another Qt)");
    platform::X11ConnectionWatch::stop();
    xcb_disconnect(broken);
    EXPECT_EQ(losses, 1);
}
