#include "platform/Color.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

Color composited(const Color& top, const Color& bottom) {
    const double a = top.a + bottom.a * (1 - top.a);
    if (a <= 0) return Color::clear();
    const auto mix = [&](double t, double b) { return (t * top.a + b * bottom.a * (1 - top.a)) / a; };
    return Color{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b), a};
}

double relativeLuminance(const Color& c) {
    const auto linear = [](double v) {
        v = std::clamp(v, 0.0, 1.0);
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

double contrastRatio(const Color& a, const Color& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Color legibleOn(const Color& ink, const Color& background, double least) {
    // What the text may stand on: the background over black and over white
    // when something shows through it.
    std::vector<Color> grounds{composited(background, Color::black())};
    if (background.a < 1) grounds.push_back(composited(background, Color::white()));
    const auto worst = [&](const Color& c) {
        double least = 21;
        for (const Color& g : grounds) least = std::min(least, contrastRatio(composited(c, g), g));
        return least;
    };
    if (worst(ink) >= least) return ink;
    // Translucent ink first grows more opaque, which keeps its look.
    if (ink.a < 1 && worst(ink.withAlpha(1)) >= least) {
        double low = ink.a, high = 1;
        for (int i = 0; i < 30; ++i) {
            const double mid = (low + high) / 2;
            (worst(ink.withAlpha(mid)) >= least ? high : low) = mid;
        }
        return ink.withAlpha(high);
    }
    const Color strong = worst(Color::black()) >= worst(Color::white()) ? Color::black() : Color::white();
    const Color solid = composited(ink, grounds.front()).withAlpha(1);
    const auto towards = [&](double t) {
        return Color{solid.r + (strong.r - solid.r) * t, solid.g + (strong.g - solid.g) * t,
                     solid.b + (strong.b - solid.b) * t, 1};
    };
    if (worst(towards(1)) < least) return strong;
    double low = 0, high = 1;
    for (int i = 0; i < 30; ++i) {
        const double mid = (low + high) / 2;
        (worst(towards(mid)) >= least ? high : low) = mid;
    }
    return towards(high);
}
