#include "support/TestDrawingState.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using testing_support::TestDrawingState;

namespace {

ImportedGIMPBrush brush(const QString& name) {
    ImportedGIMPBrush b;
    b.id = QUuid::createUuid();
    b.name = name;
    b.cellFilenames = {uuidText(b.id) + "_0.png"};
    b.diameter = 20;
    b.spacing = 25;
    b.opacity = 1;
    return b;
}

struct BrushIndex : ::testing::Test {
    TestDrawingState t;
    QString indexPath() const { return t.brushStore + "/brushes.json"; }
    QString asidePath() const { return indexPath() + ".bad"; }

    void writeIndex(const QByteArray& bytes) {
        QDir().mkpath(t.brushStore);
        QFile f(indexPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::shared_ptr<DrawingState> startWithActive(const QUuid& id) {
        t.defaults->setString("overink.activeGIMPBrushID", uuidText(id));
        return t.makeAnother();
    }
};

} // namespace

TEST_F(BrushIndex, ValidIndexIsLoadedInOrderAndTheActiveBrushRestored) {
    const auto a = brush("A"), b = brush("B");
    const QByteArray bytes = encodeBrushIndex({a, b});
    writeIndex(bytes);
    auto s = startWithActive(b.id);
    EXPECT_EQ(s->importedGIMPBrushes.get(), (std::vector<ImportedGIMPBrush>{a, b}));
    EXPECT_EQ(s->activeGIMPBrushID.get(), b.id);
    EXPECT_EQ(read(indexPath()), bytes); // not rewritten at start
    EXPECT_FALSE(QFile::exists(asidePath()));

    // A lower-case stored identifier still names the brush.
    t.defaults->setString("overink.activeGIMPBrushID", uuidText(a.id).toLower());
    EXPECT_EQ(t.makeAnother()->activeGIMPBrushID.get(), a.id);
}

TEST_F(BrushIndex, ActiveBrushNeedsItsRecordInTheIndex) {
    const auto a = brush("A");
    EXPECT_FALSE(startWithActive(a.id)->activeGIMPBrushID.get()); // no index at all
    writeIndex("[]");
    EXPECT_FALSE(startWithActive(a.id)->activeGIMPBrushID.get());
    writeIndex(encodeBrushIndex({brush("B")}));
    EXPECT_FALSE(startWithActive(a.id)->activeGIMPBrushID.get());
    t.defaults->setString("overink.activeGIMPBrushID", "not a uuid");
    EXPECT_FALSE(t.makeAnother()->activeGIMPBrushID.get());
}

TEST_F(BrushIndex, UndecodableIndexIsKeptAsideBeforeAnythingOverwritesIt) {
    const QByteArray garbage = "[{\"id\": truncated";
    writeIndex(garbage);
    {
        QFile stale(asidePath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("older copy");
    }
    auto s = t.makeAnother();
    EXPECT_TRUE(s->importedGIMPBrushes->empty());
    EXPECT_FALSE(s->activeGIMPBrushID.get());
    EXPECT_EQ(read(asidePath()), garbage);
    EXPECT_EQ(read(indexPath()), garbage);

    writeIndex(R"({"brushes": []})"); // valid JSON, but no array
    EXPECT_TRUE(t.makeAnother()->importedGIMPBrushes->empty());
    EXPECT_EQ(read(asidePath()), R"({"brushes": []})");
}

TEST_F(BrushIndex, BadRecordsAreSkippedAndTheFileKeptAside) {
    const auto a = brush("A"), c = brush("C");
    QJsonArray array = QJsonDocument::fromJson(encodeBrushIndex({a, c})).array();
    QJsonObject bad = brush("B").toJson();
    bad.remove("opacity");
    array.insert(1, bad);
    const QByteArray bytes = QJsonDocument(array).toJson();
    writeIndex(bytes);
    auto s = startWithActive(c.id);
    EXPECT_EQ(s->importedGIMPBrushes.get(), (std::vector<ImportedGIMPBrush>{a, c}));
    EXPECT_EQ(s->activeGIMPBrushID.get(), c.id);
    // The next index write drops the bad record; its bytes survive here.
    EXPECT_EQ(read(asidePath()), bytes);
}
