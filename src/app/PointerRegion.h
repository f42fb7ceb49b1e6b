#pragma once

// The window rule as a region: the pixels of an overlay window at which
// windowPointerRule would take the pointer. Given to the X server as the
// window's input shape, it routes every click by itself, at once, wherever
// the pointer jumped; nothing has to follow the pointer for that.

#include "app/PointerRules.h"

#include <QPoint>
#include <QRegion>
#include <QSize>

#include <functional>
#include <span>

struct PointerRegionInput {
    // What the rule reads besides the pointer, as in WindowPointerInput.
    PointerModes modes;
    bool hasContentView = true;
    platform::Rect windowFrame;
    std::span<const platform::Screen> screens;
    std::span<const platform::Rect> ourWindows;
    std::span<const QRectF> passthroughRects;

    // The window's pixels (device pixels, top-left origin), and for each the
    // pointer location reported with the pointer on it; both conversions
    // keep the axes apart and grow along them (y-up: the location's y falls
    // as the pixel's row grows).
    QSize pixels;
    std::function<platform::Point(QPoint pixel)> locationAt;
    std::function<QPointF(const platform::Point& location)> viewPointOf;

    // The window pixels at which a placed stroke that the rule's stroke test
    // asks about takes the pointer (the hit test as spans, see
    // StrokeCoverage). Asked only when the rule comes to the strokes.
    std::function<QRegion()> strokeRegion;
};

// Exactly the window pixels p for which windowPointerRule, with the pointer
// at locationAt(p) (viewPointOf that in the content), accepts.
QRegion pointerRegion(const PointerRegionInput& input);

// The same in two parts: the pixels where the rule may take the pointer at
// all (the flags, the window, the screens' visible frames, the passthrough
// rectangles), and whether there it takes it only over a placed stroke.
// pointerRegion is `allowed`, or strokeRegion() & `allowed` when only over
// strokes. strokeRegion is not asked.
struct PointerRegionParts {
    QRegion allowed;
    bool overStrokesOnly = false;
};
PointerRegionParts pointerRegionParts(const PointerRegionInput& input);
