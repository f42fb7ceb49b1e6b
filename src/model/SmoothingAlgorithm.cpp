#include "model/SmoothingAlgorithm.h"

#include "platform/RawValues.h"

namespace {
using Name = platform::RawName<SmoothingAlgorithm>;
constexpr auto kNames = platform::rawValueTable<SmoothingAlgorithm>(
    Name{SmoothingAlgorithm::chaikin, "Chaikin's"}, Name{SmoothingAlgorithm::bSpline, "Cubic B"},
    Name{SmoothingAlgorithm::catmullRom, "Catmull-Rom"});
} // namespace

std::string_view rawValue(SmoothingAlgorithm algorithm) { return kNames.raw(algorithm); }
QString rawValueText(SmoothingAlgorithm algorithm) { return kNames.text(algorithm); }
std::optional<SmoothingAlgorithm> smoothingAlgorithmFromRaw(QStringView raw) { return kNames.parse(raw); }
