// A window of another process for the x11 tests: an ordinary window at the
// geometry given on the command line that reports every press on stdout.
//   click_recorder X Y W H
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <cstdio>

namespace {
class Recorder : public QWidget {
protected:
    void mousePressEvent(QMouseEvent* e) override {
        const QPoint g = e->globalPosition().toPoint();
        std::printf("press %d %d %d\n", int(e->button()), g.x(), g.y());
        std::fflush(stdout);
    }
    void paintEvent(QPaintEvent*) override {
        if (reported_) return;
        reported_ = true;
        std::printf("ready %llu\n", static_cast<unsigned long long>(winId()));
        std::fflush(stdout);
    }

private:
    bool reported_ = false;
};
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc < 5) return 2;
    Recorder w;
    w.setWindowFlags(Qt::FramelessWindowHint);
    w.setAutoFillBackground(true);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, QColor(40, 160, 60));
    w.setPalette(pal);
    w.setGeometry(atoi(argv[1]), atoi(argv[2]), atoi(argv[3]), atoi(argv[4]));
    w.show();
    return app.exec();
}
