#pragma once

// Colours in sRGB doubles, their hue, saturation and brightness form, and
// how well text in one stands out from another.

#include <QColor>

// An sRGB colour with components 0…1. Kept in doubles: QColor rounds to 16
// bits and has no hue for greys.
struct Color {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;

    static constexpr Color rgba(double r, double g, double b, double a = 1) { return Color{r, g, b, a}; }
    static constexpr Color red() { return Color{1, 0.231, 0.188, 1}; }
    static constexpr Color black() { return Color{0, 0, 0, 1}; }
    static constexpr Color white() { return Color{1, 1, 1, 1}; }
    static constexpr Color clear() { return Color{0, 0, 0, 0}; }

    Color withAlpha(double alpha) const { return Color{r, g, b, alpha}; }
    // The colour with its alpha multiplied by `factor`.
    Color opacity(double factor) const { return Color{r, g, b, a * factor}; }
    QColor toQColor() const {
        // QColor refuses components outside 0…1; clamp (NaN counts as 0).
        auto c = [](double v) { return static_cast<float>(v > 0 ? (v < 1 ? v : 1) : 0); };
        return QColor::fromRgbF(c(r), c(g), c(b), c(a));
    }
    static Color fromQColor(const QColor& c) { return Color{c.redF(), c.greenF(), c.blueF(), c.alphaF()}; }

    friend bool operator==(const Color&, const Color&) = default;
};

struct HueSaturationBrightness {
    double hue = 0; // turns, 0 = red
    double saturation = 0;
    double brightness = 0;
};

// The hue in turns (0…1) of an sRGB triple; 0 for greys.
double colorHueTurns(double r, double g, double b);
HueSaturationBrightness hsbComponents(double r, double g, double b);
// A hue of 1 is red again, like 0.
Color colorFromHSB(double hue, double saturation, double brightness, double alpha = 1);

// `top` painted over `bottom` (source over); the result is opaque when
// `bottom` is.
Color composited(const Color& top, const Color& bottom);
// The relative luminance of the opaque colour, 0 (black) to 1 (white), and
// the contrast ratio of two opaque colours, 1 to 21 (WCAG 2).
double relativeLuminance(const Color& c);
double contrastRatio(const Color& a, const Color& b);

// The least text contrast of our panels: 4.5:1, the figure for body text,
// with a little room so that rounding to 8 bits never falls below it.
inline constexpr double kLegibleContrast = 4.6;
// The least contrast of a symbol (a control's glyph) against its ground:
// 3:1, the figure for graphical objects, with the same room.
inline constexpr double kSymbolContrast = 3.1;
// Text in `ink` as it should be drawn on `background` to stand out from it
// by `least` (a symbol by kSymbolContrast): `ink` itself when it does
// already; otherwise more opaque, just as far as it takes, or, when even
// opaque it is too faint, opaque and moved towards black or white
// (whichever stands out more). A translucent background counts with
// whatever may show through it, black or white.
Color legibleOn(const Color& ink, const Color& background, double least = kLegibleContrast);
