// Helper program for the lost-connection test: runs on X11 as the program
// does, with background work that writes images in steps until quitting asks
// it to stop, and a preference and a throttled file that change every few
// milliseconds; prints each value once it is set.
//   connection_loss_probe DEFAULTS-FILE FOLDER
#include "platform/Application.h"
#include "platform/Dispatch.h"
#include "platform/ThrottledFileWriter.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc < 3) return 2;
    const auto defaults = platform::UserDefaults::fileBacked(QString::fromLocal8Bit(argv[1]));
    const QString folder = QString::fromLocal8Bit(argv[2]);
    platform::ThrottledFileWriter counter(folder + QStringLiteral("/counter"));

    // Images of noise, as a brush import writes: each step well within the
    // quit's grace, however busy the machine.
    platform::runInBackground(
        [folder] {
            QImage noise(256, 256, QImage::Format_ARGB32);
            for (int step = 0; !platform::backgroundWorkCancelled(); ++step) {
                QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.bits()),
                                                      noise.sizeInBytes() / 4);
                QImageWriter(folder + QStringLiteral("/step%1.png").arg(step % 4)).write(noise);
            }
            QFile stopped(folder + QStringLiteral("/stopped"));
            stopped.open(QIODevice::WriteOnly);
        },
        platform::TaskPriority::UserInitiated);

    int value = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        ++value;
        defaults->setDouble(QStringLiteral("value"), value);
        counter.write(QByteArray::number(value));
        std::printf("set %d\n", value);
        std::fflush(stdout);
    });
    ticks.start(5);
    return platform::Application::shared().run(nullptr);
}
