#include "colorpicker/ColorWheelGeometry.h"

#include <algorithm>
#include <cmath>

ColorWheelGeometry::ColorWheelGeometry(QSizeF size)
    : centre(size.width() / 2, size.height() / 2),
      outerRadius(std::max(0.0, std::min(size.width(), size.height()) / 2)) {}

// Below about 48 points the inner parts shrink to nothing rather than turn
// inside out.
double ColorWheelGeometry::ringInnerRadius() const { return std::max(0.0, outerRadius - kRingWidth); }
double ColorWheelGeometry::ringCentreRadius() const { return std::max(0.0, outerRadius - kRingWidth / 2); }
double ColorWheelGeometry::discRadius() const { return std::max(0.0, outerRadius - kRingWidth - kGap); }

QPointF ColorWheelGeometry::markerCentre(double hue, double saturation) const {
    const double a = 2 * M_PI * hue - M_PI / 2;
    const double d = discRadius() * saturation;
    return centre + QPointF(d * std::cos(a), d * std::sin(a));
}

QPointF ColorWheelGeometry::knobCentre(double ringAngle) const {
    const double d = ringCentreRadius();
    return centre + QPointF(d * std::cos(ringAngle), d * std::sin(ringAngle));
}

bool ColorWheelGeometry::isOnDisc(QPointF p) const {
    return std::hypot(p.x() - centre.x(), p.y() - centre.y()) <= discRadius() + kHitTolerance;
}

bool ColorWheelGeometry::isOnRing(QPointF p) const {
    return std::hypot(p.x() - centre.x(), p.y() - centre.y()) >= ringInnerRadius() - kHitTolerance;
}

ColorWheelGeometry::HueSaturation ColorWheelGeometry::hueSaturationAt(QPointF p) const {
    const double dx = p.x() - centre.x();
    const double dy = p.y() - centre.y();
    double hue = (std::atan2(dy, dx) + M_PI / 2) / (2 * M_PI);
    if (hue < 0) hue += 1;
    const double d = std::hypot(dx, dy);
    const double r = discRadius();
    // A disc shrunk to a point has no inside: any distance is the edge.
    const double saturation = r > 0 ? std::min(d / r, 1.0) : (d > 0 ? 1.0 : 0.0);
    return {hue, saturation};
}

double ColorWheelGeometry::ringAngleAt(QPointF p, QPointF c) { return std::atan2(p.y() - c.y(), p.x() - c.x()); }

double ColorWheelGeometry::brightnessForRingAngle(double angle) { return (1 - std::sin(angle)) / 2; }

double ColorWheelGeometry::ringAngleForBrightness(double brightness) {
    return std::asin(std::clamp(1 - 2 * brightness, -1.0, 1.0));
}
