#include "platform/Dispatch.h"

#include <QProcess>

#include <gtest/gtest.h>

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
