#include "model/SmoothingAlgorithm.h"

std::string_view rawValue(SmoothingAlgorithm algorithm) {
    switch (algorithm) {
    case SmoothingAlgorithm::chaikin: return "Chaikin's";
    case SmoothingAlgorithm::bSpline: return "Cubic B";
    case SmoothingAlgorithm::catmullRom: return "Catmull-Rom";
    }
    return "Chaikin's";
}

QString rawValueText(SmoothingAlgorithm algorithm) {
    const auto raw = rawValue(algorithm);
    return QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
}

std::optional<SmoothingAlgorithm> smoothingAlgorithmFromRaw(QStringView raw) {
    for (auto a : kAllSmoothingAlgorithms) {
        if (raw == rawValueText(a)) return a;
    }
    return std::nullopt;
}
