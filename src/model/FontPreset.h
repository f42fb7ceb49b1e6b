#pragma once

// A favourite font and size of the font picker, and its stored list.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

// A favourite of the font picker: a font name and a size in points.
struct FontPreset {
    QUuid id;
    QString name;
    double size = 0;

    QJsonObject toJson() const;
    // "id", "name" and "size" are all required; the size must be finite.
    static std::optional<FontPreset> fromJson(const QJsonObject& o);

    friend bool operator==(const FontPreset&, const FontPreset&) = default;
};

// The stored list: a JSON array of preset objects. Encoding fails (none) on
// a size that is not finite; decoding fails as a whole on any bad record.
std::optional<QByteArray> encodeFontPresets(const std::vector<FontPreset>& presets);
std::optional<std::vector<FontPreset>> decodeFontPresets(const QByteArray& data);
