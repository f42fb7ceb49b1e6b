#pragma once

// The small preview of the drawing colour at the stroke opacity, over a
// checkerboard.

#include "platform/Color.h"

#include <QWidget>

class QPainter;

// Squares of 5 points from the top left, white at 90% where row + column is
// even and black at 10% where it is odd; the last ones may reach past `size`.
void drawCheckerboard(QPainter& painter, QSizeF size);

class OpacityPreviewView : public QWidget {
public:
    explicit OpacityPreviewView(QWidget* parent = nullptr);

    void setColor(const Color& color);
    void setOpacity(double opacity);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Color color_;
    double opacity_ = 1;
};
