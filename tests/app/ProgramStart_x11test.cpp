// The program's start on an X server that goes away meanwhile: between the
// program's own check of the display and Qt's connection, and during Qt's.
#include "support/DisplayProxy.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using testing_support::DisplayProxy;

namespace {

struct Ending {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QString err;
};

// The program on `display`, with folders of its own, run to its end.
Ending runProgram(const QByteArray& display) {
    QTemporaryDir home;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", QString::fromLatin1(display));
    env.insert("HOME", home.path());
    for (const char* folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        env.insert(folder, home.path());
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(OVERINK_PROGRAM, {});
    Ending ending;
    if (!program.waitForFinished(60000)) {
        program.kill();
        program.waitForFinished(5000);
        ending.err = "the program did not end\n";
    }
    ending.status = program.exitStatus();
    ending.code = program.exitCode();
    ending.err += QString::fromLocal8Bit(program.readAllStandardError());
    return ending;
}

// Status 1, never a signal (Qt's abort, a crash), exactly one line of ours
// and none of Xlib's own I/O error handler; Qt's lines may come before.
void expectOneLineOfOurs(const Ending& ending, const std::string& context) {
    const std::string err = ending.err.toStdString();
    EXPECT_EQ(ending.status, QProcess::NormalExit) << context << "\n" << err;
    EXPECT_EQ(ending.code, 1) << context << "\n" << err;
    int ours = 0;
    for (const QString& line : ending.err.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("overink: ")) ++ours;
        EXPECT_FALSE(line.startsWith("X connection to") || line.startsWith("XIO:")) << context << ": Xlib's line\n"
                                                                                    << err;
    }
    EXPECT_EQ(ours, 1) << context << "\n" << err;
}

} // namespace

// The server goes as soon as the program's check has connected: Qt finds no
// display. Qt aborted with a core dump.
TEST(ProgramStart, AServerGoneBetweenTheChecksConnectionAndQtsEndsItWithOneLine) {
    DisplayProxy display({0, 1});
    ASSERT_FALSE(display.name().isEmpty()) << "no display number to be had";
    const Ending ending = runProgram(display.name());
    EXPECT_TRUE(display.gone());
    EXPECT_EQ(display.clients(), 1) << "Qt connected before the display went";
    expectOneLineOfOurs(ending, "gone after the check");
}

// The server goes while Qt sets its connection up: as Xlib opens it (Xlib's
// handler printed its line and exited), among the atoms Qt looks up (a crash
// on the replies that never came) and as it sets the keyboard up (Qt's
// abort).
TEST(ProgramStart, AServerGoneWhileQtConnectsEndsItWithOneLine) {
    for (const int messages : {1, 20, 250}) {
        const std::string context = "gone after " + std::to_string(messages) + " messages to Qt";
        DisplayProxy display({1, messages});
        ASSERT_FALSE(display.name().isEmpty()) << "no display number to be had";
        const Ending ending = runProgram(display.name());
        EXPECT_TRUE(display.gone()) << context;
        expectOneLineOfOurs(ending, context);
    }
}
