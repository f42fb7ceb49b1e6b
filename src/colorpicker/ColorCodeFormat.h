#pragma once

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

constexpr std::string_view rawValue(ColorCodeFormat format) {
    switch (format) {
    case ColorCodeFormat::hex: return "Hex";
    case ColorCodeFormat::rgb: return "RGB";
    case ColorCodeFormat::hsl: return "HSL";
    case ColorCodeFormat::hsv: return "HSV";
    case ColorCodeFormat::cmyk: return "CMYK";
    case ColorCodeFormat::oklch: return "OKLCH";
    }
    return "Hex";
}

inline QString rawValueText(ColorCodeFormat format) {
    const auto raw = rawValue(format);
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}
