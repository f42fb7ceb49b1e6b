// A copy of the program for the x11 tests: claims the single instance and,
// when it got it, runs until the session ends, reporting on stdout.
//   instance_probe IDENTIFIER
#include "platform/Application.h"

#include <QApplication>

#include <cstdio>

namespace {
void say(const char* what) {
    std::printf("%s\n", what);
    std::fflush(stdout);
}

class Delegate : public platform::ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override { say("launched"); }
    platform::TerminateReply applicationShouldTerminate() override {
        say("should-terminate");
        return platform::TerminateReply::now;
    }
};
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    auto& application = platform::Application::shared();
    if (!application.claimSingleInstance(QString::fromLocal8Bit(argv[1]))) {
        say("refused");
        return 3;
    }
    say("claimed");
    auto sub = application.willPowerOff.connect([] { say("power-off"); });
    Delegate delegate;
    return application.run(&delegate);
}
