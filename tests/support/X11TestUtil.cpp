#include "support/X11TestUtil.h"

#include "support/TestUtil.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

namespace testing_support {

bool xdotool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    if (!p.waitForFinished(10000)) return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void moveMouse(int x, int y) {
    xdotool({"mousemove", "--sync", QString::number(x), QString::number(y)});
    QThread::msleep(100);
    drainEvents();
}

void moveMouse(QPoint p) { moveMouse(p.x(), p.y()); }

void clickAt(int x, int y, int button) {
    moveMouse(x, y);
    xdotool({"click", QString::number(button)});
    drainEvents();
}

void pressKey(const QString& keys) {
    xdotool({"key", keys});
    drainEvents();
}

QImage grabRoot() {
    auto* screen = QGuiApplication::primaryScreen();
    return screen ? screen->grabWindow(0).toImage() : QImage();
}

} // namespace testing_support
