#include "model/BrushRecords.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace {
QJsonObject minimalRecord() {
    return QJsonObject{{"id", "0F8FAD5B-D9CB-469F-A165-70867728950E"},
                       {"name", "Soft"},
                       {"cellFilenames", QJsonArray{"0F8FAD5B-D9CB-469F-A165-70867728950E_0.png"}},
                       {"diameter", 20},
                       {"spacing", 25},
                       {"opacity", 1}};
}
QJsonObject vbrObject() {
    return QJsonObject{{"shape", "diamond"}, {"radius", 10},     {"spikes", 4},
                       {"hardness", 0.5},    {"aspectRatio", 2}, {"angle", 30}};
}
} // namespace

TEST(VBRParams, ClampedBringsEveryFieldIntoRange) {
    const VBRParams low{VBRShape::square, 0.2, 1, -1, 0.5, -30};
    const VBRParams c = low.clamped();
    EXPECT_EQ(c.shape, VBRShape::square);
    EXPECT_EQ(c.radius, 1);
    EXPECT_EQ(c.spikes, 2);
    EXPECT_EQ(c.hardness, 0);
    EXPECT_EQ(c.aspectRatio, 1);
    EXPECT_EQ(c.angle, 30); // |−30| modulo 180, not 150

    const VBRParams high = VBRParams{VBRShape::circle, 300, 25, 2, 40, 180}.clamped();
    EXPECT_EQ(high.radius, 250);
    EXPECT_EQ(high.spikes, 20);
    EXPECT_EQ(high.hardness, 1);
    EXPECT_EQ(high.aspectRatio, 20);
    EXPECT_EQ(high.angle, 180); // 180 stays 180
    const auto angleOf = [](double a) { return VBRParams{VBRShape::circle, 5, 3, 1, 1, a}.clamped().angle; };
    EXPECT_NEAR(angleOf(200), 20, 1e-6);
    EXPECT_NEAR(angleOf(-200), 20, 1e-12);
    EXPECT_EQ((VBRParams{VBRShape::circle, 5, 3, 1, 1, 0}.clamped().spikes), 3);
}

TEST(BrushRecord, OptionalFieldsMayBeMissingOrNullButRequiredOnesMayNot) {
    auto b = ImportedGIMPBrush::fromJson(minimalRecord());
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->thumbnailFilename || b->selection || b->vbr || b->bundledSourceID);

    QJsonObject withNulls = minimalRecord();
    for (auto k : {"thumbnailFilename", "selection", "vbr", "bundledSourceID"}) withNulls.insert(k, QJsonValue());
    EXPECT_TRUE(ImportedGIMPBrush::fromJson(withNulls));

    for (auto k : {"id", "name", "cellFilenames", "diameter", "spacing", "opacity"}) {
        QJsonObject o = minimalRecord();
        o.remove(k);
        EXPECT_FALSE(ImportedGIMPBrush::fromJson(o)) << k;
    }
}

TEST(BrushRecord, InvalidValuesFailTheRecord) {
    auto with = [](const char* key, QJsonValue v) {
        QJsonObject o = minimalRecord();
        o.insert(key, v);
        return ImportedGIMPBrush::fromJson(o);
    };
    EXPECT_FALSE(with("selection", "shuffle"));
    EXPECT_FALSE(with("id", "not-a-uuid"));
    EXPECT_FALSE(with("id", "{0F8FAD5B-D9CB-469F-A165-70867728950E}"));
    EXPECT_FALSE(with("cellFilenames", QJsonArray{1}));
    EXPECT_FALSE(with("diameter", "20"));
    for (auto k : {"shape", "radius", "spikes", "hardness", "aspectRatio", "angle"}) {
        QJsonObject v = vbrObject();
        v.remove(k);
        EXPECT_FALSE(with("vbr", v)) << k;
    }
    QJsonObject fractionalSpikes = vbrObject();
    fractionalSpikes.insert("spikes", 2.5);
    EXPECT_FALSE(with("vbr", fractionalSpikes));
    EXPECT_TRUE(with("selection", "angular"));
    EXPECT_TRUE(with("vbr", vbrObject()));
    EXPECT_TRUE(with("id", "0f8fad5b-d9cb-469f-a165-70867728950e"));
}

TEST(BrushIndexRecords, EncodesCompactlyWithoutNullsAndRoundTrips) {
    ImportedGIMPBrush full = *ImportedGIMPBrush::fromJson(minimalRecord());
    full.thumbnailFilename = "0F8FAD5B-D9CB-469F-A165-70867728950E_thumb.png";
    full.selection = GIMPCellSelection::random;
    full.vbr = VBRParams{VBRShape::diamond, 10, 4, 0.5, 2, 30};
    full.bundledSourceID = "Diamond Soft.vbr";
    ImportedGIMPBrush bare = *ImportedGIMPBrush::fromJson(minimalRecord());
    bare.id = QUuid::createUuid();

    const QByteArray data = encodeBrushIndex({full, bare});
    EXPECT_FALSE(data.contains('\n'));
    EXPECT_FALSE(data.contains("null"));
    EXPECT_TRUE(data.contains(uuidText(bare.id).toLatin1()));
    const auto decoded = decodeBrushIndex(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->skippedRecords, 0);
    ASSERT_EQ(decoded->brushes.size(), 2u);
    EXPECT_EQ(decoded->brushes[0], full);
    EXPECT_EQ(decoded->brushes[1], bare);
    EXPECT_EQ(uuidText(full.id), QString("0F8FAD5B-D9CB-469F-A165-70867728950E"));
}

TEST(BrushIndexRecords, BadRecordsAreSkippedAndNonArraysRefused) {
    QJsonObject bad = minimalRecord();
    bad.remove("opacity");
    const QByteArray data = QJsonDocument(QJsonArray{minimalRecord(), bad, 42, minimalRecord()}).toJson();
    const auto decoded = decodeBrushIndex(data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->brushes.size(), 2u);
    EXPECT_EQ(decoded->skippedRecords, 2);

    // Overflowing literals never become infinite sizes.
    QByteArray overflow = QJsonDocument(QJsonArray{minimalRecord()}).toJson();
    overflow.replace("\"diameter\": 20", "\"diameter\": 1e999");
    const auto o = decodeBrushIndex(overflow);
    EXPECT_TRUE(!o || o->brushes.empty());

    EXPECT_FALSE(decodeBrushIndex("{}"));
    EXPECT_FALSE(decodeBrushIndex("[{"));
    EXPECT_FALSE(decodeBrushIndex(""));
}
