// Our windows' levels on the X server while the session's window manager
// ends and starts again: the toolbar over the overlay, the overlay over
// another program's window, each time.
#include "app/RealShell.h"
#include "platform/X11EventSource.h"
#include "support/X11TestUtil.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using namespace testing_support;

namespace {

// The session's window manager: the second of its helpers.
pid_t sessionWindowManager() {
    const QStringList pids = qEnvironmentVariable("OVERINK_X11_SESSION_PIDS").split(' ', Qt::SkipEmptyParts);
    return pids.size() >= 2 ? static_cast<pid_t>(pids[1].toInt()) : 0;
}

} // namespace

TEST(WindowManagerGoneOnX11, OurLevelsHoldAsTheWindowManagerEndsAndComesBack) {
    const QString start = qEnvironmentVariable("OVERINK_X11_WM_START");
    pid_t manager = sessionWindowManager();
    ASSERT_FALSE(start.isEmpty());
    ASSERT_GT(manager, 0);
    ExternalWindow other(OVERINK_CLICK_RECORDER, QRect(300, 300, 900, 600));
    ASSERT_TRUE(other.ready());
    RealShell shell;
    shell.delegate->toggleToolbar();
    ASSERT_TRUE(waitUntil([&] { return shell.overlay() && shell.overlay()->isVisible(); }));
    auto& source = platform::X11EventSource::instance();
    const auto inOrder = [&] {
        return stackedAbove(shell.toolbarWindow()->xid(), shell.overlay()->xid()) &&
               stackedAbove(shell.overlay()->xid(), other.window());
    };
    // Whatever the server does as its windows go back to the root, or a
    // new manager takes them on, is done once it has answered us.
    const auto holds = [&] { return waitUntil(inOrder) && syncWithServer() && inOrder(); };
    ASSERT_TRUE(holds());

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        // Ended by SIGTERM, then killed outright. (fluxbox may hold a
        // SIGTERM until its next event: then it is killed too.)
        ::kill(manager, round == 0 ? SIGTERM : SIGKILL);
        if (!waitUntil([&] { return !source.windowManagerRunning(); }, 5000)) ::kill(manager, SIGKILL);
        ASSERT_TRUE(waitUntil([&] { return !source.windowManagerRunning(); }, 10000));
        EXPECT_TRUE(holds()) << "with no window manager";

        QProcess again;
        qint64 pid = 0;
        ASSERT_TRUE(again.startDetached(start, {}, {}, &pid));
        manager = static_cast<pid_t>(pid);
        ASSERT_TRUE(waitUntil([&] { return source.windowManagerRunning(); }, 10000));
        EXPECT_TRUE(settle());
        EXPECT_TRUE(holds()) << "with a window manager started again";
    }
}
