// Reads the brushes that GIMP itself ships (Debian's gimp-data), when they
// are installed: real files written by a real writer.

#include "brushes/GIMPBrushParser.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

const char* const kGimpBrushes = "/usr/share/gimp/2.0/brushes";

// "key:value" from a pipe's parameter line.
int pipeParameter(const QByteArray& file, const char* key) {
    const qsizetype start = file.indexOf('\n') + 1;
    const QByteArray line = file.mid(start, file.indexOf('\n', start) - start);
    const auto m = QRegularExpression(QStringLiteral("(?:^| )%1:(\\d+)").arg(key)).match(QString::fromUtf8(line));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

TEST(GimpDataBrushes, EveryShippedBrushReadsSanely) {
    if (!QFileInfo(kGimpBrushes).isDir()) GTEST_SKIP() << "gimp-data is not installed";
    int counts[3] = {0, 0, 0};
    QDirIterator it(kGimpBrushes, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString ext = info.suffix().toLower();
        const int kind = ext == "gbr" ? 0 : ext == "gih" ? 1 : ext == "vbr" ? 2 : -1;
        if (kind < 0) continue;
        SCOPED_TRACE(info.filePath().toStdString());
        QFile f(info.filePath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        const auto brush = GIMPBrushParser::parse(data, info.suffix());
        ASSERT_TRUE(brush);
        ++counts[kind];

        ASSERT_TRUE(brush->name);
        EXPECT_FALSE(brush->name->isEmpty());
        EXPECT_GE(brush->spacing, 1);
        EXPECT_EQ(brush->opacity, 1);
        ASSERT_FALSE(brush->cells.empty());
        int largest = 0;
        for (const QImage& cell : brush->cells) {
            EXPECT_EQ(cell.format(), kCellMaskFormat);
            largest = std::max({largest, cell.width(), cell.height()});
        }
        if (kind != 2) { // a parametric brush's diameter is twice its radius
            EXPECT_EQ(largest, int(brush->diameter));
        }

        if (kind == 0) {
            const QImage& cell = brush->cells[0];
            EXPECT_EQ(quint32(cell.width()), GIMPBrushParser::readUInt32BE(data, 8));
            EXPECT_EQ(quint32(cell.height()), GIMPBrushParser::readUInt32BE(data, 12));
        } else if (kind == 1) {
            EXPECT_EQ(int(brush->cells.size()), pipeParameter(data, "ncells"));
            const int cellWidth = pipeParameter(data, "cellwidth"), cellHeight = pipeParameter(data, "cellheight");
            for (const QImage& cell : brush->cells) {
                EXPECT_LE(cell.width(), cellWidth);
                EXPECT_LE(cell.height(), cellHeight);
            }
        } else {
            ASSERT_TRUE(brush->vbr);
            EXPECT_EQ(brush->diameter, 2 * brush->vbr->radius);
            const QImage& cell = brush->cells[0];
            EXPECT_EQ(cell.width() % 2, 1);
            EXPECT_EQ(cell.height() % 2, 1);
            EXPECT_LE(std::max(cell.width(), cell.height()), int(std::ceil(2 * M_SQRT2 * brush->vbr->radius)) + 1);
        }
    }
    // The package ships all three kinds.
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[1], 0);
    EXPECT_GT(counts[2], 0);
    std::printf("read %d .gbr, %d .gih and %d .vbr brushes\n", counts[0], counts[1], counts[2]);
}
