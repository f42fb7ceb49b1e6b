#include "platform/Color.h"

#include <algorithm>
#include <cmath>

double colorHueTurns(double r, double g, double b) {
    const double max = std::max({r, g, b});
    const double d = max - std::min({r, g, b});
    if (!(d > 0)) return 0;
    // Hue in sixths from the largest component; ties go to red, then green.
    double sixths;
    if (max == r) sixths = (g - b) / d + (g < b ? 6 : 0);
    else if (max == g) sixths = (b - r) / d + 2;
    else sixths = (r - g) / d + 4;
    return sixths / 6;
}

HueSaturationBrightness hsbComponents(double r, double g, double b) {
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double d = max - min;
    const double s = max > 0 ? d / max : 0;
    const double h = colorHueTurns(r, g, b);
    return {h, s, max};
}

Color colorFromHSB(double hue, double saturation, double brightness, double alpha) {
    const double h = std::fmod(std::fmod(hue, 1.0) + 1.0, 1.0) * 6;
    const int sector = static_cast<int>(std::floor(h)) % 6;
    const double f = h - std::floor(h);
    const double v = brightness;
    const double p = v * (1 - saturation);
    const double q = v * (1 - saturation * f);
    const double t = v * (1 - saturation * (1 - f));
    switch (sector) {
    case 0: return {v, t, p, alpha};
    case 1: return {q, v, p, alpha};
    case 2: return {p, v, t, alpha};
    case 3: return {p, q, v, alpha};
    case 4: return {t, p, v, alpha};
    default: return {v, p, q, alpha};
    }
}

