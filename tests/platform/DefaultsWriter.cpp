// Helper program for the preferences tests: assigns a value N times, about
// 1.5 ms apart, then waits for SIGTERM and reports how often it wrote the file.
#include "platform/UnixSignals.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    auto defaults = platform::UserDefaults::fileBacked(QString::fromLocal8Bit(argv[1]));
    const int count = std::atoi(argv[2]);
    auto& signals = platform::UnixSignals::instance();
    signals.install();
    auto sub = signals.received.connect([&](int) {
        platform::UserDefaults::flushAll();
        std::printf("writes %d\n", defaults->fileWriteCount());
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    int i = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        defaults->setDouble("overink.lineWidth", i);
        if (++i == count) {
            timer.stop();
            std::printf("assigned\n");
            std::fflush(stdout);
        }
    });
    timer.start(1);
    return app.exec();
}
