// The index read in slices on several threads reads exactly what the plain
// reader reads, bad records, broken texts and layouts included.
#include "brushes/BrushFiles.h"
#include "support/BrushStoreFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

void expectSameReading(const QByteArray& text) {
    const auto plain = decodeBrushIndex(text);
    for (qsizetype slice : {qsizetype(1), qsizetype(2), qsizetype(3), brushFiles::kIndexSlice}) {
        const auto concurrent = brushFiles::decodeBrushIndexConcurrently(text, slice);
        ASSERT_EQ(concurrent.has_value(), plain.has_value()) << slice << ": " << text.left(200).toStdString();
        if (!plain) continue;
        EXPECT_EQ(concurrent->brushes, plain->brushes) << slice;
        EXPECT_EQ(concurrent->skippedRecords, plain->skippedRecords) << slice;
    }
}

} // namespace

TEST(BrushIndexDecoding, SlicesReadWhatThePlainReaderReads) {
    std::vector<ImportedGIMPBrush> brushes;
    for (int i = 0; i < 9; ++i) brushes.push_back(testing_support::parametricBrush(1 + i, 0.5, std::nullopt));
    const QByteArray good = encodeBrushIndex(brushes);
    expectSameReading(good);
    expectSameReading(QJsonDocument::fromJson(good).toJson(QJsonDocument::Indented));
    expectSameReading("\xEF\xBB\xBF" + good);

    // Bad records are skipped in place, whatever slice they fall in.
    QJsonArray array = QJsonDocument::fromJson(good).array();
    QJsonObject bad = array[4].toObject();
    bad.remove("opacity");
    array[4] = bad;
    array.insert(0, 7);
    array.append("text");
    array.append(QJsonArray{1, 2});
    const QByteArray withBad = QJsonDocument(array).toJson(QJsonDocument::Compact);
    expectSameReading(withBad);
    EXPECT_EQ(brushFiles::decodeBrushIndexConcurrently(withBad, 1)->skippedRecords, 4);

    // Texts that are not JSON, or not an array, in any part.
    for (const QByteArray& broken : QList<QByteArray>{
             good.left(good.size() - 1), good + "x", good + ",[]", "[" + good.mid(1, 200), "[1,,2,3,4]", "[1,2,3,4,]",
             "[1,2,3,{\"a\":\"}\"}]", "[1,2,3,{\"a\":\"]\\\"\"},{]", "[1 2,3,4]", "[\"\\\",1,2,3]", "{\"a\":[1,2,3]}",
             "[1,2,3,4] [", "[1,2,3,tru]", "[nul,1,2,3]", "[-,1,2,3]", "[1,2,3,\"\x01\"]"})
        expectSameReading(broken);
}
