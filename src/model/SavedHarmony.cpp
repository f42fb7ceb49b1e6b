#include "model/SavedHarmony.h"

#include "platform/Color.h"
#include "platform/RecordList.h"
#include "platform/UuidText.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

std::vector<Color> SavedHarmony::colors() const {
    std::vector<Color> result{colorFromHSB(hue, saturation, brightness)};
    for (double h : companionHues(harmonyType, hue)) result.push_back(colorFromHSB(h, saturation, brightness));
    return result;
}

QJsonObject SavedHarmony::toJson() const {
    return QJsonObject{
        {"id", uuidText(id)},
        {"name", name},
        {"harmonyType", rawValueText(harmonyType)},
        {"hue", hue},
        {"saturation", saturation},
        {"brightness", brightness},
    };
}

std::optional<SavedHarmony> SavedHarmony::fromJson(const QJsonObject& o) {
    SavedHarmony h;
    const QJsonValue idValue = o.value("id");
    if (!idValue.isString()) return std::nullopt;
    const auto id = uuidFromText(idValue.toString());
    if (!id) return std::nullopt;
    h.id = *id;

    const QJsonValue nameValue = o.value("name");
    if (nameValue.isString()) h.name = nameValue.toString();
    else if (!nameValue.isUndefined() && !nameValue.isNull()) return std::nullopt;

    const QJsonValue typeValue = o.value("harmonyType");
    if (!typeValue.isString()) return std::nullopt;
    const auto type = harmonyTypeFromRaw(typeValue.toString());
    if (!type) return std::nullopt;
    h.harmonyType = *type;

    for (auto [key, field] :
         {std::pair{"hue", &h.hue}, std::pair{"saturation", &h.saturation}, std::pair{"brightness", &h.brightness}}) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isDouble() || !std::isfinite(v.toDouble())) return std::nullopt;
        *field = v.toDouble();
    }
    return h;
}

std::optional<QByteArray> encodeSavedHarmonies(const std::vector<SavedHarmony>& harmonies) {
    QJsonArray array;
    for (const auto& h : harmonies) {
        // JSON has no form for these; Qt would silently write null.
        if (!std::isfinite(h.hue) || !std::isfinite(h.saturation) || !std::isfinite(h.brightness)) return std::nullopt;
        array.append(h.toJson());
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<std::vector<SavedHarmony>> decodeSavedHarmonies(const QByteArray& data) {
    auto decoded =
        platform::decodeRecordList<SavedHarmony>(data, &SavedHarmony::fromJson, platform::BadRecordPolicy::skipRecord);
    if (!decoded) return std::nullopt;
    return std::move(decoded->records);
}
