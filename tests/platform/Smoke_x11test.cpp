// Proves the X session of the x11 tests: a translucent always-on-top window
// composites over the desktop.
#include "support/TestUtil.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

namespace {
class RedSquare : public QWidget {
public:
    RedSquare() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
        setAttribute(Qt::WA_TranslucentBackground);
        setGeometry(200, 200, 300, 300);
    }
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect(), Qt::transparent);
        p.fillRect(QRect(100, 100, 100, 100), QColor(255, 0, 0));
        painted = true;
    }
};
} // namespace

TEST(X11Session, TranslucentWindowShowsTheDesktopAroundItsPaintedSquare) {
    RedSquare w;
    w.show();
    ASSERT_TRUE(testing_support::waitUntil([&] { return w.painted && w.isVisible(); }));
    QImage shot;
    QColor desktop;
    ASSERT_TRUE(testing_support::waitUntil(
        [&] {
            shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
            desktop = shot.pixelColor(50, 600); // far from any window
            return shot.pixelColor(350, 350) == QColor(255, 0, 0) && shot.pixelColor(220, 220) == desktop;
        },
        5000));
    EXPECT_EQ(shot.pixelColor(350, 350), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(220, 220), desktop); // inside the window, outside the square
}
