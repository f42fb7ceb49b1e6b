#pragma once

// The measures of the colour wheel for a given size, and the readings of a
// pointer location on it, in the wheel's own coordinates (origin top left,
// y downwards).

#include <QPointF>
#include <QSizeF>

#include <vector>

struct ColorWheelGeometry {
    static constexpr double kRingWidth = 12;
    // Between the disc's edge and the ring's inner edge.
    static constexpr double kGap = 12;
    // How far outside the disc, or inside the ring, a press still lands on it.
    static constexpr double kHitTolerance = 4;

    QPointF centre;
    double outerRadius = 0;

    explicit ColorWheelGeometry(QSizeF size);

    double ringInnerRadius() const;
    double ringCentreRadius() const;
    double discRadius() const;

    // Where a colour of this hue (turns, 0 at the top, clockwise) and
    // saturation sits on the disc.
    QPointF markerCentre(double hue, double saturation) const;
    // The brightness knob at this angle (radians from the positive x axis,
    // y downwards: -π/2 is the top).
    QPointF knobCentre(double ringAngle) const;

    bool isOnDisc(QPointF p) const;
    bool isOnRing(QPointF p) const;

    struct HueSaturation {
        double hue;
        double saturation;
    };
    // The disc's reading: the centre reads hue 0.25 (atan2(0, 0) is 0) and
    // saturation 0; beyond the edge saturation stays 1.
    HueSaturation hueSaturationAt(QPointF p) const;
    // The ring's angle at p, and the brightness it stands for: 1 at the top,
    // 0 at the bottom, 0.5 at either side.
    static double ringAngleAt(QPointF p, QPointF centre);
    static double brightnessForRingAngle(double angle);
    // Where the knob goes for a brightness set from elsewhere: the right half.
    static double ringAngleForBrightness(double brightness);
};
