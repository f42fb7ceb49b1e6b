#include "model/FontPreset.h"

#include "platform/RecordList.h"
#include "platform/UuidText.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

QJsonObject FontPreset::toJson() const { return QJsonObject{{"id", uuidText(id)}, {"name", name}, {"size", size}}; }

std::optional<FontPreset> FontPreset::fromJson(const QJsonObject& o) {
    const QJsonValue idValue = o.value("id");
    const QJsonValue nameValue = o.value("name");
    const QJsonValue sizeValue = o.value("size");
    if (!idValue.isString() || !nameValue.isString() || !sizeValue.isDouble()) return std::nullopt;
    const auto id = uuidFromText(idValue.toString());
    if (!id || !std::isfinite(sizeValue.toDouble())) return std::nullopt;
    return FontPreset{*id, nameValue.toString(), sizeValue.toDouble()};
}

std::optional<QByteArray> encodeFontPresets(const std::vector<FontPreset>& presets) {
    QJsonArray array;
    for (const auto& p : presets) {
        // JSON has no form for these; Qt would silently write null.
        if (!std::isfinite(p.size)) return std::nullopt;
        array.append(p.toJson());
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<FontPreset>> decodeFontPresets(const QByteArray& data) {
    auto decoded =
        platform::decodeRecordList<FontPreset>(data, &FontPreset::fromJson, platform::BadRecordPolicy::rejectList);
    if (!decoded) return std::nullopt;
    return std::move(decoded->records);
}
