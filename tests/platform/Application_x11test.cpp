// The application object across processes: the single-instance claim, the
// end of the session and the loss of the X server.
#include "platform/Application.h"
#include "platform/UserDefaults.h"
#include "support/TestUtil.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::waitUntil;

namespace {
// The copies' environment: their own runtime folder, so that their locks go
// with the test.
QProcessEnvironment probeEnvironment() {
    static QTemporaryDir runtime;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    return env;
}

struct Copy {
    explicit Copy(const QString& id, const QProcessEnvironment& env = probeEnvironment())
        : process(std::make_unique<QProcess>()) {
        process->setProcessEnvironment(env);
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
    ASSERT_TRUE(waitUntil(
        [&] {
            int decided = 0;
            for (auto& c : copies) decided += c->saw("claimed") || c->saw("refused");
            return decided == 6;
        },
        15000));
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

namespace {

// Exactly one of `count` copies started together keeps the claim.
int claimsOf(const QString& id, int count, const QProcessEnvironment& env) {
    std::vector<std::unique_ptr<Copy>> copies;
    for (int i = 0; i < count; ++i) copies.push_back(std::make_unique<Copy>(id, env));
    const bool decided = waitUntil(
        [&] {
            int n = 0;
            for (auto& c : copies) n += c->saw("claimed") || c->saw("refused");
            return n == count;
        },
        15000);
    if (!decided) return -1;
    int claimed = 0;
    for (auto& c : copies) claimed += c->saw("claimed");
    return claimed;
}

// The name the claim used to bind: an abstract socket any local user could
// compute from the identifier, the victim's uid and the display.
QByteArray formerClaimName(const QString& id) {
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.startsWith("unix:")) display = display.mid(4);
    const int colon = display.lastIndexOf(':'), dot = display.indexOf('.', colon);
    if (colon >= 0 && dot > colon) display.truncate(dot);
    const QByteArray text = QStringLiteral("%1\n%2\n%3").arg(id).arg(::getuid()).arg(display).toUtf8();
    const QByteArray key = QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(40);
    return "overink-instance-" + key;
}

} // namespace

// The claim is a lock in the user's own runtime folder; a folder others may
// enter is not used, whatever $XDG_RUNTIME_DIR says.
TEST(ApplicationX11, TheClaimLivesInAFolderOnlyItsUserCanEnter) {
    QTemporaryDir runtime, temporary, config;
    ASSERT_EQ(QFileInfo(runtime.path()).permissions() & (QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup), 0);
    auto env = probeEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("TMPDIR", temporary.path());
    env.insert("XDG_CONFIG_HOME", config.path());
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_EQ(claimsOf(id, 4, env), 1);
    EXPECT_EQ(QDir(runtime.path()).entryList({"*.lock"}, QDir::Files).size(), 1);

    // A runtime folder others may enter is passed over for a private one.
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0777);
    EXPECT_EQ(claimsOf(id, 4, env), 1);
    const QString fallback = temporary.path() + QStringLiteral("/overink-%1").arg(::getuid());
    EXPECT_EQ(QDir(fallback).entryList({"*.lock"}, QDir::Files).size(), 1);
    EXPECT_EQ(QFileInfo(fallback).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ExeOther), 0);
    ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
}

// Another user who takes the name first used to stop every start; now that
// user can neither hold nor block this user's claim.
TEST(ApplicationX11, AnotherUserCannotStopTheProgramFromStarting) {
    if (::getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    constexpr uid_t kOther = 65534;
    const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QTemporaryDir shared; // a temporary folder every user may write, like /tmp
    ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
    const QByteArray former = formerClaimName(id);
    const QByteArray squat = QFile::encodeName(shared.path() + QStringLiteral("/overink-%1").arg(::getuid()));

    int ready[2], release[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(release, O_CLOEXEC), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only system calls from here: the parent has threads.
        ::close(ready[0]);
        ::close(release[1]);
        char ok = 0;
        if (::setgroups(0, nullptr) == 0 && ::setgid(kOther) == 0 && ::setuid(kOther) == 0) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            std::memcpy(addr.sun_path + 1, former.constData(), std::size_t(former.size()));
            const auto len = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + former.size());
            // The fallback folder's name, taken first and left open to all.
            const bool squatted = ::mkdir(squat.constData(), 0777) == 0 && ::chmod(squat.constData(), 0777) == 0;
            if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 && squatted) ok = 1;
        }
        (void)!::write(ready[1], &ok, 1);
        char c;
        (void)!::read(release[0], &c, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1) << "the other user could not take the names";

    QTemporaryDir runtime, config;
    auto env = probeEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("TMPDIR", shared.path());
    env.insert("XDG_CONFIG_HOME", config.path());
    EXPECT_EQ(claimsOf(id, 4, env), 1);
    // Without a runtime folder, the squatted temporary folder is passed over too.
    env.remove("XDG_RUNTIME_DIR");
    EXPECT_EQ(claimsOf(id, 4, env), 1);
    EXPECT_EQ(QDir(squat).entryList(QDir::Files | QDir::Hidden).size(), 0);

    ::close(release[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
}

namespace {

// An X server of the test's own, to kill.
struct OwnServer {
    OwnServer() {
        // The server picks a free display itself and names it on its output.
        process.start("Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0", "640x480x24", "-auth",
                               "/dev/null"});
        QByteArray out;
        waitUntil(
            [&] {
                out += process.readAllStandardOutput();
                return out.contains('\n') || process.state() == QProcess::NotRunning;
            },
            20000);
        if (out.contains('\n')) display = ':' + QString::fromLatin1(out.trimmed());
    }
    ~OwnServer() {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(5000);
    }
    QProcess process;
    QString display;
};

} // namespace

// The X server dies (killed, or ended as at logout) while background work
// writes images and preferences change every few milliseconds: the program
// asks the work to stop and waits for it, saves the last values and exits
// with status 1, leaving Qt's line about the connection and at most one of
// its own. It used to exit from inside Qt under the running work, losing the
// last changes, and sometimes crashed in the teardown.
TEST(ApplicationX11, ALostConnectionEndsTheProgramAsSigtermDoes) {
    QRandomGenerator random(3);
    for (int run = 0; run < 6; ++run) {
        const int signal = run % 2 ? SIGTERM : SIGKILL;
        const std::string context = "run " + std::to_string(run) + (signal == SIGTERM ? " (SIGTERM)" : " (SIGKILL)");
        QTemporaryDir dir;
        OwnServer server;
        ASSERT_FALSE(server.display.isEmpty()) << "Xvfb did not start";
        QProcess probe;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.display);
        env.insert("XDG_RUNTIME_DIR", dir.path());
        probe.setProcessEnvironment(env);
        probe.start(OVERINK_CONNECTION_LOSS_PROBE, {dir.filePath("defaults.json"), dir.path()});
        QByteArray out;
        ASSERT_TRUE(waitUntil(
            [&] {
                out += probe.readAllStandardOutput();
                return out.contains("set 3\n") && QFile::exists(dir.filePath("step0.png"));
            },
            20000))
            << context;
        // A moment of the work, not a wait for it.
        QThread::msleep(random.bounded(0, 500));
        ::kill(pid_t(server.process.processId()), signal);
        ASSERT_TRUE(waitUntil([&] { return probe.state() == QProcess::NotRunning; }, 20000)) << context;
        out += probe.readAllStandardOutput();
        const QString err = QString::fromLocal8Bit(probe.readAllStandardError());
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit) << context << "\n" << err.toStdString();
        EXPECT_EQ(probe.exitCode(), 1) << context << "\n" << err.toStdString();

        // The work was asked to stop and ended.
        EXPECT_TRUE(QFile::exists(dir.filePath("stopped"))) << context;
        // The last value set is saved, as preference and in the throttled file.
        const QList<QByteArray> sets = out.trimmed().split('\n');
        ASSERT_TRUE(sets.back().startsWith("set ")) << context;
        const int last = sets.back().mid(4).toInt();
        const auto stored = platform::UserDefaults::fileBacked(dir.filePath("defaults.json"));
        EXPECT_EQ(stored->doubleValue("value"), std::optional<double>(last)) << context;
        QFile counter(dir.filePath("counter"));
        ASSERT_TRUE(counter.open(QIODevice::ReadOnly)) << context;
        EXPECT_EQ(counter.readAll(), QByteArray::number(last)) << context;

        // Qt's line about the connection, and at most one of ours.
        QStringList others;
        bool qtLine = false;
        for (const QString& line : err.split('\n', Qt::SkipEmptyParts)) {
            if (line.contains("The X11 connection broke")) qtLine = true;
            else others.append(line);
        }
        EXPECT_TRUE(qtLine) << context << "\n" << err.toStdString();
        EXPECT_LE(others.size(), 1) << context << "\n" << err.toStdString();
        for (const QString& line : others) EXPECT_TRUE(line.startsWith("overink: ")) << context << line.toStdString();
    }
}
