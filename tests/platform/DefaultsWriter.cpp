// Helper program for the preferences tests.
//
//   defaults_writer PATH N
//     assigns a value N times, about 1.5 ms apart, then waits for SIGTERM and
//     reports how often it wrote the file.
//
//   defaults_writer --no-space limit|fill BYTES PATH KEYS change|quit
//     leaves BYTES for the file (a file size limit, or that much free space
//     on PATH's file system), saves KEYS keys, reports the failed save and
//     the file as it stands, waits for a line on stdin, gives the space back,
//     then lets the next change (or quitting) save again and reports the file.
#include "platform/UnixSignals.h"
#include "platform/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

void say(const QByteArray& line) {
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

void reportFile(const QString& path) {
    QFile f(path);
    say("file " + (f.open(QIODevice::ReadOnly) ? f.readAll().toBase64() : QByteArray("-")));
    QStringList others = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden);
    others.removeAll(QFileInfo(path).fileName());
    others.removeAll(QStringLiteral("filler"));
    say("others " + others.join(QLatin1Char(' ')).toUtf8());
}

// Fills the file system of `folder` so that about `room` bytes stay free.
bool fillDisk(const QString& folder, qint64 room) {
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/filler"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    const QByteArray block(4096, 'x');
    off_t size = 0;
    for (ssize_t n; (n = ::write(fd, block.constData(), block.size())) > 0;) size += n;
    const bool ok = ::ftruncate(fd, std::max<off_t>(0, size - room)) == 0;
    ::close(fd);
    return ok;
}

int noSpace(int argc, char** argv) {
    if (argc < 7) return 2;
    const QByteArray mode = argv[2];
    const qint64 bytes = std::atoll(argv[3]);
    const QString path = QString::fromLocal8Bit(argv[4]);
    const int keys = std::atoi(argv[5]);
    const QByteArray retry = argv[6];

    auto defaults = platform::UserDefaults::fileBacked(path);
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { platform::UserDefaults::flushAll(); });
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    getrlimit(RLIMIT_FSIZE, &original);
    if (mode == "limit") {
        rlimit limited = original;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        if (setrlimit(RLIMIT_FSIZE, &limited) != 0) return 4;
    } else if (!fillDisk(QFileInfo(path).absolutePath(), bytes)) {
        return 4;
    }

    for (int i = 0; i < keys; ++i) {
        const QString key = QStringLiteral("key.%1").arg(i, 3, 10, QLatin1Char('0'));
        defaults->setString(key, QString(80, QLatin1Char(char('a' + i % 26))));
    }
    say(defaults->flush() ? "flush ok" : "flush failed");
    reportFile(path);
    say("waiting");
    std::string line;
    std::getline(std::cin, line);

    if (mode == "limit") setrlimit(RLIMIT_FSIZE, &original);
    else QFile::remove(QFileInfo(path).absolutePath() + QStringLiteral("/filler"));

    if (retry == "change") {
        defaults->setBool("key.after", true);
        QTimer::singleShot(platform::UserDefaults::kWriteDelayMs * 3, [&] {
            say("writes " + QByteArray::number(defaults->fileWriteCount()));
            reportFile(path);
            // Without quitting, so that only the change could have saved.
            std::_Exit(0);
        });
    } else {
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    }
    const int status = QCoreApplication::exec();
    say("writes " + QByteArray::number(defaults->fileWriteCount()));
    reportFile(path);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--no-space") return noSpace(argc, argv);
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
    QElapsedTimer burst;
    burst.start();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        defaults->setDouble("overink.lineWidth", i);
        if (++i == count) {
            timer.stop();
            std::printf("assigned in %lld ms\n", static_cast<long long>(burst.elapsed()));
            std::fflush(stdout);
        }
    });
    timer.start(1);
    return app.exec();
}
