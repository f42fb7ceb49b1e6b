#pragma once

// The formats a colour's code is written in.

#include "platform/RawValues.h"

#include <QString>

#include <array>
#include <string_view>

// The formats in which the colour picker writes a colour's code. The raw
// value is the menu label. Never stored.
enum class ColorCodeFormat { hex, rgb, hsl, hsv, cmyk, oklch };

inline constexpr std::array<ColorCodeFormat, 6> kAllColorCodeFormats = {
    ColorCodeFormat::hex, ColorCodeFormat::rgb,  ColorCodeFormat::hsl,
    ColorCodeFormat::hsv, ColorCodeFormat::cmyk, ColorCodeFormat::oklch,
};

inline constexpr auto kColorCodeFormatNames =
    platform::rawValueTable<ColorCodeFormat>(platform::RawName<ColorCodeFormat>{ColorCodeFormat::hex, "Hex"},
                                             platform::RawName<ColorCodeFormat>{ColorCodeFormat::rgb, "RGB"},
                                             platform::RawName<ColorCodeFormat>{ColorCodeFormat::hsl, "HSL"},
                                             platform::RawName<ColorCodeFormat>{ColorCodeFormat::hsv, "HSV"},
                                             platform::RawName<ColorCodeFormat>{ColorCodeFormat::cmyk, "CMYK"},
                                             platform::RawName<ColorCodeFormat>{ColorCodeFormat::oklch, "OKLCH"});

constexpr std::string_view rawValue(ColorCodeFormat format) { return kColorCodeFormatNames.raw(format); }
inline QString rawValueText(ColorCodeFormat format) { return kColorCodeFormatNames.text(format); }
