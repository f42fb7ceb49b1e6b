#include "colorpicker/OpacityPreviewView.h"

#include "colorpicker/PickerStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {
constexpr double kSquare = 5;
constexpr double kCornerRadius = 3;
} // namespace

void drawCheckerboard(QPainter& painter, QSizeF size) {
    const int rows = static_cast<int>(std::ceil(size.height() / kSquare));
    const int columns = static_cast<int>(std::ceil(size.width() / kSquare));
    const QColor light = QColor::fromRgbF(1, 1, 1, 0.9f);
    const QColor dark = QColor::fromRgbF(0, 0, 0, 0.1f);
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < columns; ++j)
            painter.fillRect(QRectF(kSquare * j, kSquare * i, kSquare, kSquare), (i + j) % 2 == 0 ? light : dark);
}

OpacityPreviewView::OpacityPreviewView(QWidget* parent) : QWidget(parent) { setFixedSize(22, 14); }

void OpacityPreviewView::setColor(const Color& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void OpacityPreviewView::setOpacity(double opacity) {
    if (opacity == opacity_) return;
    opacity_ = opacity;
    update();
}

void OpacityPreviewView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();
    QPainterPath shape;
    shape.addRoundedRect(r, kCornerRadius, kCornerRadius);
    p.save();
    p.setClipPath(shape);
    drawCheckerboard(p, r.size());
    p.restore();
    p.fillPath(shape, color_.opacity(opacity_).toQColor());
    QColor outline = pickerStyle(this).primary;
    outline.setAlphaF(outline.alphaF() * 0.15f);
    p.setPen(QPen(outline, 0.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}
