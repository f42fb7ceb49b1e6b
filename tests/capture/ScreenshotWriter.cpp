// Helper program for the screenshot file tests: writes a screenshot of noise
// (too large to fit in a small file system) to PATH and reports the outcome,
// what PATH holds afterwards and what else its folder holds.
//
//   screenshot_writer PATH
#include "capture/ScreenshotFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    QImage noise(512, 512, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, QRandomGenerator::global()->generate());
    const auto failure = writeJPEG(noise, path);
    std::printf("%s\n", failure ? ("failed " + failure->toLocal8Bit()).constData() : "written");
    QFile file(path);
    std::printf("file %s\n", file.open(QIODevice::ReadOnly) ? file.readAll().left(64).toBase64().constData() : "-");
    QStringList others = QFileInfo(path).dir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    others.removeAll(QFileInfo(path).fileName());
    std::printf("others %s\n", others.join(QLatin1Char(' ')).toLocal8Bit().constData());
    return 0;
}
