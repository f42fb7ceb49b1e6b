#pragma once

// The typed line width: what the field starts with, and how its text
// becomes a width.

#include <QString>

#include <optional>

// The width's whole points, truncated toward zero, without a unit (4.7
// gives "4").
QString thicknessFieldText(double lineWidth);
// The label beside the slider: "12 pt".
QString thicknessLabelText(double lineWidth);

// The width a typed text sets, or none when it is not a number (the width
// then stays as it is). Every "pt" is removed whatever its case, spaces and
// tabs are trimmed, and the rest must read as a C-locale number to its end;
// the value is clamped to 1…100 (nan and inf give 100).
std::optional<double> parseTypedThickness(const QString& text);
