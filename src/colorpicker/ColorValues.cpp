#include "colorpicker/ColorValues.h"

#include <algorithm>
#include <cmath>

namespace {

// Truncated toward zero and written in decimal; no "-0".
QString whole(double v) { return QString::number(std::trunc(v) + 0.0, 'f', 0); }

double linearised(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

} // namespace

HueSaturationLightness hslHueSaturation(double r, double g, double b) {
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    const double l = (max + min) / 2;
    if (max == min) return {0, 0, l};
    const double d = max - min;
    const double s = l > 0.5 ? d / (2 - max - min) : d / (max + min);
    return {colorHueTurns(r, g, b), s, l};
}

OKLCH srgbToOKLCH(double r, double g, double b) {
    const double lr = linearised(r), lg = linearised(g), lb = linearised(b);
    const double X = 0.4124564 * lr + 0.3575761 * lg + 0.1804375 * lb;
    const double Y = 0.2126729 * lr + 0.7151522 * lg + 0.0721750 * lb;
    const double Z = 0.0193339 * lr + 0.1191920 * lg + 0.9503041 * lb;
    double l = 0.8189330101 * X + 0.3618667424 * Y - 0.1288597137 * Z;
    double m = 0.0329845436 * X + 0.9293118715 * Y + 0.0361456387 * Z;
    double s = 0.0482003018 * X + 0.2643662691 * Y + 0.6338517070 * Z;
    // Negative (or NaN) cone responses have no real cube root here.
    auto cubeRoot = [](double v) { return std::pow(v > 0 ? v : 0.0, 1.0 / 3.0); };
    l = cubeRoot(l);
    m = cubeRoot(m);
    s = cubeRoot(s);
    const double L = 0.2104542553 * l + 0.7936177850 * m - 0.0040720468 * s;
    const double A = 1.9779984951 * l - 2.4285922050 * m + 0.4505937099 * s;
    const double B = 0.0259040371 * l + 0.7827717662 * m - 0.8086757660 * s;
    const double C = std::sqrt(A * A + B * B);
    double h = std::atan2(B, A) * 180 / M_PI;
    if (h < 0) h += 360;
    return {L, C, h};
}

Color pickerComponents(const Color& color) {
    if (!std::isfinite(color.r) || !std::isfinite(color.g) || !std::isfinite(color.b) || !std::isfinite(color.a))
        return Color{1, 0, 0, 1};
    return color;
}

QString colorCodeString(const Color& color, ColorCodeFormat format) {
    const Color c = pickerComponents(color);
    const double r = c.r, g = c.g, b = c.b;
    const QString space = QStringLiteral(" ");
    const QString degree = QStringLiteral("\u00B0");
    switch (format) {
    case ColorCodeFormat::hex: {
        // Components outside 0…1 never come from the picker; keep them to
        // two digits rather than print a wrapped-around number.
        auto byte = [](double v) { return static_cast<int>(std::clamp(std::trunc(v * 255), 0.0, 255.0)); };
        return QStringLiteral("#%1%2%3")
            .arg(byte(r), 2, 16, QLatin1Char('0'))
            .arg(byte(g), 2, 16, QLatin1Char('0'))
            .arg(byte(b), 2, 16, QLatin1Char('0'))
            .toUpper();
    }
    case ColorCodeFormat::rgb: return whole(r * 255) + space + whole(g * 255) + space + whole(b * 255);
    case ColorCodeFormat::hsl: {
        const auto hsl = hslHueSaturation(r, g, b);
        return whole(hsl.hue * 360) + degree + space + whole(hsl.saturation * 100) + space + whole(hsl.lightness * 100);
    }
    case ColorCodeFormat::hsv: {
        const auto hsb = hsbComponents(r, g, b);
        return whole(hsb.hue * 360) + degree + space + whole(hsb.saturation * 100) + space +
               whole(hsb.brightness * 100);
    }
    case ColorCodeFormat::cmyk: {
        const double k = 1 - std::max({r, g, b});
        if (k >= 1) return QStringLiteral("0 0 0 100");
        const double cy = (1 - r - k) / (1 - k);
        const double ma = (1 - g - k) / (1 - k);
        const double ye = (1 - b - k) / (1 - k);
        return whole(cy * 100) + space + whole(ma * 100) + space + whole(ye * 100) + space + whole(k * 100);
    }
    case ColorCodeFormat::oklch: {
        const auto lch = srgbToOKLCH(r, g, b);
        return whole(lch.lightness * 100) + space + QString::asprintf("%.2f", lch.chroma) + space +
               whole(lch.hueDegrees) + degree;
    }
    }
    return {};
}

Color contrastColor(const Color& on) {
    // Whichever stands out more: one of the two always reaches 4.58:1, where
    // a brightness threshold leaves white on a bright red at 3.6:1.
    const Color c = pickerComponents(on).withAlpha(1);
    // A tie, to within rounding, goes to white.
    constexpr double kTie = 1e-9;
    return contrastRatio(Color::black(), c) > contrastRatio(Color::white(), c) + kTie ? Color::black() : Color::white();
}

bool colorMatchesSelection(const Color& color, const Color& selection) {
    const Color a = pickerComponents(color);
    const Color b = pickerComponents(selection);
    return std::abs(a.r - b.r) < 0.01 && std::abs(a.g - b.g) < 0.01 && std::abs(a.b - b.b) < 0.01;
}
