#pragma once

// The smoothing algorithms of live freehand strokes.

#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>

// The smoothing applied to live freehand strokes of the tools that have it on.
enum class SmoothingAlgorithm { chaikin, bSpline, catmullRom };

inline constexpr std::array<SmoothingAlgorithm, 3> kAllSmoothingAlgorithms = {
    SmoothingAlgorithm::chaikin, SmoothingAlgorithm::bSpline, SmoothingAlgorithm::catmullRom};

// The stored value, also the label shown in the settings panel.
std::string_view rawValue(SmoothingAlgorithm algorithm);
QString rawValueText(SmoothingAlgorithm algorithm);
std::optional<SmoothingAlgorithm> smoothingAlgorithmFromRaw(QStringView raw);
