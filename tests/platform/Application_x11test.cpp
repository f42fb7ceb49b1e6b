// The application object across processes: the single-instance claim and the
// end of the session.
#include "platform/Application.h"
#include "support/TestUtil.h"

#include <QProcess>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using testing_support::waitUntil;

namespace {
struct Copy {
    explicit Copy(const QString& id) : process(std::make_unique<QProcess>()) {
        process->start(OVERINK_INSTANCE_PROBE, {id});
    }
    ~Copy() {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
    bool saw(const QByteArray& line) {
        process->waitForReadyRead(0);
        out += process->readAllStandardOutput();
        return out.split('\n').contains(line);
    }
    bool waitFor(const QByteArray& line, int ms = 10000) {
        return waitUntil([&] { return saw(line); }, ms);
    }
    // Not QProcess::waitForFinished: it answers false for a process whose
    // end was already seen while waiting for its output.
    bool waitForEnd(int ms = 5000) {
        return waitUntil([&] { return process->state() == QProcess::NotRunning; }, ms);
    }
    std::unique_ptr<QProcess> process;
    QByteArray out;
};
} // namespace

TEST(ApplicationX11, ASecondCopysClaimFailsWhileTheFirstRuns) {
    const QString id = QUuid::createUuid().toString();
    Copy first(id);
    ASSERT_TRUE(first.waitFor("launched"));
    EXPECT_TRUE(first.saw("claimed"));
    Copy second(id);
    EXPECT_TRUE(second.waitFor("refused"));
    EXPECT_TRUE(second.waitForEnd());
    EXPECT_EQ(first.process->state(), QProcess::Running);

    // Another identifier is another program.
    Copy other(QUuid::createUuid().toString());
    EXPECT_TRUE(other.waitFor("claimed"));
}

TEST(ApplicationX11, OfCopiesStartedTogetherExactlyOneKeepsTheClaim) {
    const QString id = QUuid::createUuid().toString();
    std::vector<std::unique_ptr<Copy>> copies;
    for (int i = 0; i < 6; ++i) copies.push_back(std::make_unique<Copy>(id));
    ASSERT_TRUE(waitUntil([&] {
        int decided = 0;
        for (auto& c : copies) decided += c->saw("claimed") || c->saw("refused");
        return decided == 6;
    }, 15000));
    int claimed = 0;
    for (auto& c : copies) claimed += c->saw("claimed");
    EXPECT_EQ(claimed, 1);

    // The claim ends with its holder: a new copy gets it.
    for (auto& c : copies)
        if (c->saw("claimed")) {
            c->process->kill();
            c->waitForEnd();
        }
    Copy next(id);
    EXPECT_TRUE(next.waitFor("claimed"));
}

TEST(ApplicationX11, SigtermRaisesWillPowerOffThenTerminates) {
    Copy copy(QUuid::createUuid().toString());
    ASSERT_TRUE(copy.waitFor("launched"));
    ::kill(static_cast<pid_t>(copy.process->processId()), SIGTERM);
    ASSERT_TRUE(copy.waitForEnd());
    copy.saw("");
    const auto lines = copy.out.split('\n');
    const auto power = lines.indexOf("power-off"), asked = lines.indexOf("should-terminate");
    EXPECT_GE(power, 0);
    EXPECT_GT(asked, power);
    EXPECT_EQ(copy.process->exitCode(), 0);
}
