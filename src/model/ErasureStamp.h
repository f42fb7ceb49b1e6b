#pragma once

// One eraser dab kept on a stroke.

#include <QPointF>
#include <QUuid>

// One eraser dab kept on a stroke, in canvas coordinates. All dabs of one
// eraser pass carry that pass's identifier.
struct ErasureStamp {
    QPointF center;
    double radius = 0;
    QUuid passID;

    // Exact comparison (QPointF's own is fuzzy).
    friend bool operator==(const ErasureStamp& a, const ErasureStamp& b) {
        return a.center.x() == b.center.x() && a.center.y() == b.center.y() && a.radius == b.radius &&
               a.passID == b.passID;
    }
};
