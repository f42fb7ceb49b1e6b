// Resident memory of the shell with its overlays shown, and what 10,000
// committed pen strokes of 100 points add to it. Runs the application
// delegate with a throwaway home; needs an X server.
//   stroke_memory [strokes] [points]
#include "app/AppDelegate.h"
#include "app/OverinkApp.h"
#include "platform/LoginItem.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

double residentMB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    return 0;
}

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv) {
    OverinkApp::configureProcess();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int strokes = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int points = argc > 2 ? std::atoi(argv[2]) : 100;

    QTemporaryDir dir;
    AppServices services = AppServices::standard();
    services.environment.defaults = platform::UserDefaults::inMemory();
    services.environment.loginItem = std::make_shared<platform::LoginItem>(dir.path() + "/autostart", "overink");
    services.environment.brushStoreDirectory = dir.path() + "/brushes";
    services.claimSingleInstance = [] { return true; };
    services.terminate = [] {};
    AppDelegate delegate(std::move(services));
    delegate.applicationDidFinishLaunching();
    settle(500);
    const double idle = residentMB();

    delegate.toggleToolbar();
    settle(1000);
    const double shown = residentMB();

    DrawingState& state = *delegate.drawingState();
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(0, 1);
    for (int i = 0; i < strokes; ++i) {
        DrawingStroke s;
        s.tool = DrawingTool::pen;
        s.color = state.selectedColor;
        s.lineWidth = state.lineWidth;
        QPointF p(100 + u(rng) * 1700, 100 + u(rng) * 850);
        double heading = u(rng) * 6.28;
        s.points.reserve(static_cast<std::size_t>(points));
        for (int k = 0; k < points; ++k) {
            heading += (u(rng) - 0.5) * 0.6;
            p += QPointF(std::cos(heading), std::sin(heading)) * 3.0;
            s.points.push_back(p);
        }
        state.currentDrawingDisplayID = state.firstScreenDisplayID();
        state.addStroke(s);
        // The canvases take in each commit as they would between drags.
        if (i % 50 == 0) QCoreApplication::processEvents();
    }
    settle(2000);
    const double drawn = residentMB();

    std::printf("resident idle: %.1f MB\n", idle);
    std::printf("resident with overlays shown: %.1f MB\n", shown);
    std::printf("resident with %d pen strokes of %d points: %.1f MB (+%.1f MB)\n", strokes, points, drawn,
                drawn - shown);
    return 0;
}
