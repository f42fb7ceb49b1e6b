// Writes the PNG renditions of the application's icon into an icon-theme
// tree: <out>/<N>x<N>/apps/overink.png for every size the program uses.
//   overink-icon-renditions <drawing.svg> <out>
#include "panels/ApplicationIcon.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <drawing.svg> <output folder>\n", argv[0]);
        return 2;
    }
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    for (const int size : ApplicationIcon::kRenditionSizes) {
        const QImage image = ApplicationIcon::render(svg, size);
        if (image.isNull()) {
            std::fprintf(stderr, "cannot render %s\n", argv[1]);
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = folder + QStringLiteral("/overink.png");
        if (!QDir().mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
