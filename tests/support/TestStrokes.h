#pragma once

// Strokes and screen layouts that tests of the drawing model build often.

#include "model/DrawingStroke.h"
#include "support/FakePlatform.h"

#include <vector>

namespace testing_support {

// A stroke of a tool that spans a frame (lines, shapes, text boxes).
inline DrawingStroke framedStroke(DrawingTool tool, QPointF start, QPointF end, double width = 4) {
    DrawingStroke s;
    s.tool = tool;
    s.startPoint = start;
    s.endPoint = end;
    s.lineWidth = width;
    return s;
}

inline DrawingStroke penStroke(std::vector<QPointF> points, double width = 4) {
    DrawingStroke s;
    s.tool = DrawingTool::pen;
    s.points = std::move(points);
    s.lineWidth = width;
    return s;
}

// Display 1 (the first screen) at the origin, display 2 to its right.
inline std::vector<platform::Screen> twoScreens() {
    return {FakeScreenProvider::makeScreen(1, platform::Rect(0, 0, 1440, 900)),
            FakeScreenProvider::makeScreen(2, platform::Rect(1440, 0, 1920, 1080))};
}

} // namespace testing_support
