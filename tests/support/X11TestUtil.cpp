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

namespace testing_support {

ExternalWindow::ExternalWindow(const QString& program, const QRect& g) : process_(std::make_unique<QProcess>()) {
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(program, {QString::number(g.x()), QString::number(g.y()), QString::number(g.width()),
                              QString::number(g.height())});
    waitUntil([&] {
        read();
        return window_ != 0 || process_->state() == QProcess::NotRunning;
    }, 10000);
    // Let the window manager finish placing it.
    QThread::msleep(100);
    drainEvents();
}

ExternalWindow::~ExternalWindow() {
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(3000)) process_->kill();
        process_->waitForFinished(3000);
    }
}

void ExternalWindow::read() {
    process_->waitForReadyRead(0);
    buffer_ += process_->readAllStandardOutput();
    int nl;
    while ((nl = buffer_.indexOf('\n')) >= 0) {
        const QList<QByteArray> parts = buffer_.left(nl).split(' ');
        buffer_.remove(0, nl + 1);
        if (parts.size() == 2 && parts[0] == "ready") window_ = parts[1].toULong();
        if (parts.size() == 4 && parts[0] == "press") presses_.emplace_back(parts[2].toInt(), parts[3].toInt());
    }
}

const std::vector<QPoint>& ExternalWindow::presses() {
    read();
    return presses_;
}

bool ExternalWindow::waitForPress(QPoint at, int timeoutMs) {
    return waitUntil([&] {
        for (const QPoint& p : presses())
            if ((p - at).manhattanLength() <= 2) return true;
        return false;
    }, timeoutMs);
}

} // namespace testing_support
