#include "model/HarmonyType.h"

#include "platform/RawValues.h"

#include <cmath>

namespace {
using Name = platform::RawName<HarmonyType>;
constexpr auto kNames = platform::rawValueTable<HarmonyType>(
    Name{HarmonyType::analogous, "Analogous"}, Name{HarmonyType::complementary, "Complementary"},
    Name{HarmonyType::doubleSplitComplementary, "Double Split Complementary"},
    Name{HarmonyType::splitComplementary, "Split Complementary"}, Name{HarmonyType::square, "Square"},
    Name{HarmonyType::tetradic, "Tetradic"}, Name{HarmonyType::triadic, "Triadic"});
} // namespace

std::string_view rawValue(HarmonyType type) { return kNames.raw(type); }
QString rawValueText(HarmonyType type) { return kNames.text(type); }
std::optional<HarmonyType> harmonyTypeFromRaw(QStringView raw) { return kNames.parse(raw); }

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
