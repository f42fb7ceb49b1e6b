#include "model/HarmonyType.h"

#include <cmath>

std::string_view rawValue(HarmonyType type) {
    switch (type) {
    case HarmonyType::analogous: return "Analogous";
    case HarmonyType::complementary: return "Complementary";
    case HarmonyType::doubleSplitComplementary: return "Double Split Complementary";
    case HarmonyType::splitComplementary: return "Split Complementary";
    case HarmonyType::square: return "Square";
    case HarmonyType::tetradic: return "Tetradic";
    case HarmonyType::triadic: return "Triadic";
    }
    return "Analogous";
}

QString rawValueText(HarmonyType type) {
    const auto raw = rawValue(type);
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

std::optional<HarmonyType> harmonyTypeFromRaw(QStringView raw) {
    for (auto t : kAllHarmonyTypes) {
        if (raw == rawValueText(t)) return t;
    }
    return std::nullopt;
}

std::vector<double> companionOffsets(HarmonyType type) {
    switch (type) {
    case HarmonyType::analogous: return {-1.0 / 12, 1.0 / 12};
    case HarmonyType::complementary: return {1.0 / 2};
    case HarmonyType::doubleSplitComplementary: return {-1.0 / 12, 1.0 / 12, 5.0 / 12, 7.0 / 12};
    case HarmonyType::splitComplementary: return {5.0 / 12, 7.0 / 12};
    case HarmonyType::square: return {1.0 / 4, 1.0 / 2, 3.0 / 4};
    case HarmonyType::tetradic: return {1.0 / 6, 1.0 / 2, 2.0 / 3};
    case HarmonyType::triadic: return {1.0 / 3, 2.0 / 3};
    }
    return {};
}

std::vector<double> companionHues(HarmonyType type, double baseHue) {
    // fmod keeps the dividend's sign; folding twice lands every sum in [0, 1).
    auto wrap = [](double x) { return std::fmod(std::fmod(x, 1.0) + 1.0, 1.0); };
    std::vector<double> hues;
    for (double offset : companionOffsets(type)) hues.push_back(wrap(baseHue + offset));
    return hues;
}
