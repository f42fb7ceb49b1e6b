#pragma once

// Where Qt paints a stroked path, and the check that an extent holds those
// pixels without being much looser.

#include "geometry/ExtentBuilder.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <gtest/gtest.h>

#include <algorithm>

// Strokes a path as the line-work painters do: miter joins (Qt's
// SvgMiterJoin) under kMiterLimit.
inline QRectF strokedPathBounds(const QPainterPath& path, double width, Qt::PenCapStyle cap) {
    constexpr int kSize = 900, kShift = 300; // room for negative coordinates
    QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(kShift, kShift);
        QPen pen(Qt::black, width);
        pen.setCapStyle(cap);
        pen.setJoinStyle(Qt::SvgMiterJoin);
        pen.setMiterLimit(kMiterLimit);
        p.setPen(pen);
        p.drawPath(path);
    }
    int x0 = kSize, y0 = kSize, x1 = -1, y1 = -1;
    for (int y = 0; y < kSize; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < kSize; ++x) {
            if (qAlpha(row[x]) == 0) continue;
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
        }
    }
    if (x1 < 0) return QRectF();
    return QRectF(QPointF(x0 - kShift, y0 - kShift), QPointF(x1 + 1 - kShift, y1 + 1 - kShift));
}

// Inside the extent (one pixel of antialiasing allowed), and not much looser
// than the pixels: the cached canvas repaints whatever the extent covers.
inline void expectTight(const QRectF& painted, const QRectF& extent, double slack, const char* what) {
    ASSERT_FALSE(painted.isNull()) << what;
    EXPECT_TRUE(extent.adjusted(-1, -1, 1, 1).contains(painted))
        << what << ": painted " << painted.left() << "," << painted.top() << " " << painted.right() << ","
        << painted.bottom() << " extent " << extent.left() << "," << extent.top() << " " << extent.right() << ","
        << extent.bottom();
    EXPECT_LT(painted.left() - extent.left(), slack) << what;
    EXPECT_LT(painted.top() - extent.top(), slack) << what;
    EXPECT_LT(extent.right() - painted.right(), slack) << what;
    EXPECT_LT(extent.bottom() - painted.bottom(), slack) << what;
}
