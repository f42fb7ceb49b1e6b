#pragma once

// Random strokes of every kind a canvas shows, for equivalence tests and
// benchmarks: wandering pointer paths, frames, bezier paths and text.

#include "model/DrawingStroke.h"

#include <QSize>

#include <cmath>
#include <random>
#include <vector>

namespace testing_support {

// A wandering pointer path of `samples` samples about `step` apart.
inline std::vector<QPointF> wanderingPath(std::mt19937& rng, QSizeF area, int samples, double step = 3.0) {
    std::uniform_real_distribution<double> u(0, 1);
    QPointF p(u(rng) * area.width(), u(rng) * area.height());
    double heading = u(rng) * 6.28;
    std::vector<QPointF> pts;
    pts.reserve(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        heading += (u(rng) - 0.5) * 0.5;
        p += QPointF(std::cos(heading), std::sin(heading)) * step;
        pts.push_back(p);
    }
    return pts;
}

// The placed stroke kinds in toolbar order (no move, eraser or brush cells).
inline DrawingTool mixedTool(int i) {
    static const DrawingTool kTools[] = {
        DrawingTool::pen,       DrawingTool::bezierPen, DrawingTool::calligraphyBrush,
        DrawingTool::brushPen,  DrawingTool::airbrush,  DrawingTool::line,
        DrawingTool::arrow,     DrawingTool::rectangle, DrawingTool::ellipse,
        DrawingTool::triangle,  DrawingTool::pentagon,  DrawingTool::star,
        DrawingTool::text,      DrawingTool::pen,       DrawingTool::line,
        DrawingTool::rectangle,
    };
    return kTools[static_cast<std::size_t>(i) % (sizeof kTools / sizeof kTools[0])];
}

inline DrawingStroke randomStroke(DrawingTool tool, std::mt19937& rng, QSizeF area, int samples = 60) {
    std::uniform_real_distribution<double> u(0, 1);
    DrawingStroke s;
    s.tool = tool;
    s.lineWidth = 2 + 14 * u(rng);
    s.color = Color::rgba(u(rng), u(rng), u(rng), 0.5 + 0.5 * u(rng));
    s.points = wanderingPath(rng, area, samples);
    s.startPoint = s.points.front();
    s.endPoint = s.points.back();
    if (tool == DrawingTool::bezierPen) {
        std::vector<QPointF> anchors;
        for (std::size_t i = 0; i < s.points.size(); i += 20) anchors.push_back(s.points[i]);
        if (anchors.size() < 2) anchors.push_back(s.points.back());
        s.customVertices = anchors;
        s.bezierHandleIn = std::vector<QPointF>(anchors.size(), QPointF(-20, 8));
        s.bezierHandleOut = std::vector<QPointF>(anchors.size(), QPointF(20, -8));
    }
    if (tool == DrawingTool::arrow) s.controlPoint = s.points[s.points.size() / 2];
    if (tool == DrawingTool::text) {
        s.text = QStringLiteral("Note\nsecond line");
        s.endPoint = s.startPoint + QPointF(160, 70);
        s.rotationDegrees = 30 * u(rng) - 15;
        s.points = {(s.startPoint + s.endPoint) / 2};
    }
    return s;
}

} // namespace testing_support
