#pragma once

// Pure colour maths of the colour picker. Hues are in turns (0…1, 0 = red)
// unless a name says degrees; other components are 0…1.

#include "colorpicker/ColorCodeFormat.h"
#include "platform/Color.h"

#include <QString>

struct HueSaturationLightness {
    double hue = 0;
    double saturation = 0;
    double lightness = 0;
};

struct OKLCH {
    double lightness = 0; // about 0…1
    double chroma = 0;
    double hueDegrees = 0; // 0 ≤ h < 360
};

HueSaturationLightness hslHueSaturation(double r, double g, double b);
OKLCH srgbToOKLCH(double r, double g, double b);

// The colour as the picker reads it: itself, or pure red when it has no
// usable sRGB form (a component that is not a finite number).
Color pickerComponents(const Color& color);

// The colour's code in `format`: numbers truncated toward zero, separated by
// single spaces, hues followed by a degree sign.
QString colorCodeString(const Color& color, ColorCodeFormat format);
// Black or white, whichever stands out more from the colour (opacity
// ignored): text in it reads at 4.58:1 or more.
Color contrastColor(const Color& on);
// Whether `color` counts as `selection`: every sRGB component within 0.01,
// opacity ignored.
bool colorMatchesSelection(const Color& color, const Color& selection);
