#include "platform/Dispatch.h"

#include "support/TestUtil.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

// A load stuck in the kernel must not keep the program from ending: quitting
// drops queued work and waits only a moment for running work.
TEST(BackgroundWork, QuittingNeitherWaitsForStuckWorkNorRunsQueuedWork) {
    QProcess probe;
    probe.start(OVERINK_QUIT_PROBE, {});
    ASSERT_TRUE(probe.waitForStarted());
    // Its work never ends: a program that waited for it would never end.
    const bool finished = probe.waitForFinished(60000);
    if (!finished) probe.kill();
    ASSERT_TRUE(finished) << "the program hung at quit";
    EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probe.exitCode(), 0);
    const QByteArray out = probe.readAllStandardOutput();
    EXPECT_TRUE(out.contains("exited with")) << out.toStdString();
    EXPECT_TRUE(out.contains("0 queued ran")) << out.toStdString();
}

namespace {

// Hands two results over, quits after the first is taken and before the
// second is; exits with 0 when only the second was undone.
[[noreturn]] void quitWithAResultNotTaken() {
    int taken = 0;
    int undone = 0;
    const auto take = [&](int v) { taken += v; };
    const auto undo = [&](int v) { undone += v; };
    platform::runInBackgroundOrUndo([] { return 1; }, take, undo, platform::TaskPriority::Utility);
    testing_support::waitUntil([&] { return taken == 1; });
    platform::runInBackgroundOrUndo([] { return 10; }, take, undo, platform::TaskPriority::Utility);
    platform::waitForBackgroundWork();
    platform::stopBackgroundWork();
    // A late turn of the loop takes nothing.
    QCoreApplication::sendPostedEvents();
    std::fprintf(stderr, "taken %d, undone %d\n", taken, undone);
    std::exit(taken == 1 && undone == 10 ? 0 : 1);
}

} // namespace

// A result handed to the main thread is either taken or, when the quit comes
// first (the event loop runs no more), undone, never both: an import's images
// must not outlive the record that would have named them.
TEST(BackgroundWork, AResultNotTakenBeforeTheQuitIsUndone) {
    // Quitting cannot be undone: in a process of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(quitWithAResultNotTaken(), ::testing::ExitedWithCode(0), "taken 1, undone 10");
}
