#pragma once

// A colour harmony the user saved, and its stored list.

#include "model/HarmonyType.h"
#include "platform/Color.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

// A colour harmony the user saved: its kind and base colour.
struct SavedHarmony {
    QUuid id;
    QString name; // empty while unnamed
    HarmonyType harmonyType = HarmonyType::analogous;
    double hue = 0; // turns
    double saturation = 0;
    double brightness = 0;

    // The base colour, then one per companion hue, all opaque.
    std::vector<Color> colors() const;

    // All six keys are written, "name" too when empty.
    QJsonObject toJson() const;
    // "name" may be missing or null; the other keys are required and the
    // numbers must be finite.
    static std::optional<SavedHarmony> fromJson(const QJsonObject& o);

    friend bool operator==(const SavedHarmony&, const SavedHarmony&) = default;
};

// The stored list, a JSON array of harmony objects. Encoding fails (none) on
// a number that is not finite.
std::optional<QByteArray> encodeSavedHarmonies(const std::vector<SavedHarmony>& harmonies);
// None when the data is not a JSON array; otherwise every record that
// decodes, in order. A bad record is skipped rather than failing the list,
// so that the next save does not erase the good ones.
std::optional<std::vector<SavedHarmony>> decodeSavedHarmonies(const QByteArray& data);
