#include "model/BrushRecords.h"

#include "platform/RawValues.h"
#include "platform/RecordList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::optional<double> finiteNumber(const QJsonValue& v) {
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

std::optional<int> integralNumber(const QJsonValue& v) {
    const auto d = finiteNumber(v);
    if (!d || std::trunc(*d) != *d) return std::nullopt;
    if (*d < std::numeric_limits<int>::min() || *d > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(*d);
}

bool absent(const QJsonObject& o, QLatin1String key) {
    const auto it = o.constFind(key);
    return it == o.constEnd() || it->isNull();
}

} // namespace

namespace {
constexpr auto kSelectionNames = platform::rawValueTable<GIMPCellSelection>(
    platform::RawName<GIMPCellSelection>{GIMPCellSelection::sequential, "sequential"},
    platform::RawName<GIMPCellSelection>{GIMPCellSelection::random, "random"},
    platform::RawName<GIMPCellSelection>{GIMPCellSelection::constant, "constant"},
    platform::RawName<GIMPCellSelection>{GIMPCellSelection::angular, "angular"});
constexpr auto kShapeNames = platform::rawValueTable<VBRShape>(
    platform::RawName<VBRShape>{VBRShape::circle, "circle"}, platform::RawName<VBRShape>{VBRShape::square, "square"},
    platform::RawName<VBRShape>{VBRShape::diamond, "diamond"});
} // namespace

std::string_view rawValue(GIMPCellSelection s) { return kSelectionNames.raw(s); }
std::optional<GIMPCellSelection> cellSelectionFromRaw(QStringView raw) { return kSelectionNames.parse(raw); }
std::string_view rawValue(VBRShape s) { return kShapeNames.raw(s); }
std::optional<VBRShape> vbrShapeFromRaw(QStringView raw) { return kShapeNames.parse(raw); }

VBRParams VBRParams::clamped() const {
    VBRParams c = *this;
    c.radius = std::clamp(radius, 1.0, 250.0);
    c.spikes = spikes < 3 ? 2 : std::min(spikes, 20);
    c.hardness = hardness <= 0 ? 0 : std::min(hardness, 1.0);
    c.aspectRatio = aspectRatio <= 1 ? 1 : std::min(aspectRatio, 20.0);
    // A hair over 180 keeps 180 itself; negative angles fold to their
    // absolute value modulo 180.
    c.angle = angle >= 0 ? std::fmod(angle, 180.0000001) : -std::fmod(angle, 180.0);
    return c;
}

QJsonObject VBRParams::toJson() const {
    return QJsonObject{
        {"shape", QString::fromLatin1(rawValue(shape).data())},
        {"radius", radius},
        {"spikes", spikes},
        {"hardness", hardness},
        {"aspectRatio", aspectRatio},
        {"angle", angle},
    };
}

std::optional<VBRParams> VBRParams::fromJson(const QJsonObject& o) {
    const QJsonValue shapeValue = o.value(QLatin1String("shape"));
    if (!shapeValue.isString()) return std::nullopt;
    const auto shape = vbrShapeFromRaw(shapeValue.toString());
    const auto radius = finiteNumber(o.value(QLatin1String("radius")));
    const auto spikes = integralNumber(o.value(QLatin1String("spikes")));
    const auto hardness = finiteNumber(o.value(QLatin1String("hardness")));
    const auto aspect = finiteNumber(o.value(QLatin1String("aspectRatio")));
    const auto angle = finiteNumber(o.value(QLatin1String("angle")));
    if (!shape || !radius || !spikes || !hardness || !aspect || !angle) return std::nullopt;
    return VBRParams{*shape, *radius, *spikes, *hardness, *aspect, *angle};
}

QJsonObject ImportedGIMPBrush::toJson() const {
    QJsonObject o{
        {"id", uuidText(id)},   {"name", name},       {"cellFilenames", QJsonArray::fromStringList(cellFilenames)},
        {"diameter", diameter}, {"spacing", spacing}, {"opacity", opacity},
    };
    if (thumbnailFilename) o.insert("thumbnailFilename", *thumbnailFilename);
    if (selection) o.insert("selection", QString::fromLatin1(rawValue(*selection).data()));
    if (vbr) o.insert("vbr", vbr->toJson());
    if (bundledSourceID) o.insert("bundledSourceID", *bundledSourceID);
    return o;
}

std::optional<ImportedGIMPBrush> ImportedGIMPBrush::fromJson(const QJsonObject& o) {
    ImportedGIMPBrush b;
    const QJsonValue idValue = o.value(QLatin1String("id"));
    if (!idValue.isString()) return std::nullopt;
    const auto id = uuidFromText(idValue.toString());
    if (!id) return std::nullopt;
    b.id = *id;

    const QJsonValue nameValue = o.value(QLatin1String("name"));
    if (!nameValue.isString()) return std::nullopt;
    b.name = nameValue.toString();

    const QJsonValue cells = o.value(QLatin1String("cellFilenames"));
    if (!cells.isArray()) return std::nullopt;
    for (const QJsonValue& c : cells.toArray()) {
        if (!c.isString()) return std::nullopt;
        b.cellFilenames.append(c.toString());
    }

    const auto diameter = finiteNumber(o.value(QLatin1String("diameter")));
    const auto spacing = finiteNumber(o.value(QLatin1String("spacing")));
    const auto opacity = finiteNumber(o.value(QLatin1String("opacity")));
    if (!diameter || !spacing || !opacity) return std::nullopt;
    b.diameter = *diameter;
    b.spacing = *spacing;
    b.opacity = *opacity;

    if (!absent(o, QLatin1String("thumbnailFilename"))) {
        const QJsonValue v = o.value(QLatin1String("thumbnailFilename"));
        if (!v.isString()) return std::nullopt;
        b.thumbnailFilename = v.toString();
    }
    if (!absent(o, QLatin1String("selection"))) {
        const QJsonValue v = o.value(QLatin1String("selection"));
        if (!v.isString()) return std::nullopt;
        b.selection = cellSelectionFromRaw(v.toString());
        if (!b.selection) return std::nullopt;
    }
    if (!absent(o, QLatin1String("vbr"))) {
        const QJsonValue v = o.value(QLatin1String("vbr"));
        if (!v.isObject()) return std::nullopt;
        b.vbr = VBRParams::fromJson(v.toObject());
        if (!b.vbr) return std::nullopt;
    }
    if (!absent(o, QLatin1String("bundledSourceID"))) {
        const QJsonValue v = o.value(QLatin1String("bundledSourceID"));
        if (!v.isString()) return std::nullopt;
        b.bundledSourceID = v.toString();
    }
    return b;
}

QByteArray encodeBrushIndex(const std::vector<ImportedGIMPBrush>& brushes) {
    QJsonArray array;
    for (const auto& b : brushes) array.append(b.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<DecodedBrushIndex> decodeBrushIndex(const QByteArray& data) {
    auto decoded = platform::decodeRecordList<ImportedGIMPBrush>(data, &ImportedGIMPBrush::fromJson,
                                                                 platform::BadRecordPolicy::skipRecord);
    if (!decoded) return std::nullopt;
    return DecodedBrushIndex{std::move(decoded->records), decoded->skipped};
}
