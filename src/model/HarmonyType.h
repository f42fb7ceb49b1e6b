#pragma once

// The kinds of colour harmony and their hue offsets.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

// The kinds of colour harmony, in menu order. Each adds companion hues at
// fixed offsets (in turns) from the base hue.
enum class HarmonyType {
    analogous,
    complementary,
    doubleSplitComplementary,
    splitComplementary,
    square,
    tetradic,
    triadic,
};

inline constexpr std::array<HarmonyType, 7> kAllHarmonyTypes = {
    HarmonyType::analogous,
    HarmonyType::complementary,
    HarmonyType::doubleSplitComplementary,
    HarmonyType::splitComplementary,
    HarmonyType::square,
    HarmonyType::tetradic,
    HarmonyType::triadic,
};

std::string_view rawValue(HarmonyType type);
QString rawValueText(HarmonyType type);
std::optional<HarmonyType> harmonyTypeFromRaw(QStringView raw);

// The offsets in turns, in order.
std::vector<double> companionOffsets(HarmonyType type);
// The companion hues of `baseHue` (turns), the base excluded, each in [0, 1).
std::vector<double> companionHues(HarmonyType type, double baseHue);
