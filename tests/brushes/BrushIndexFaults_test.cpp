// A brush index the program cannot use is kept before anything writes over
// it, and its brushes' images outlive later starts; a large store whose
// files are gone logs one line per cause.
#include "brushes/BrushFiles.h"
#include "support/BrushFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/LogCapture.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/WithoutPermissionOverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct BrushIndexFaults : ::testing::Test {
    TestDrawingState t;
    QString path(const QString& name) const { return t.brushStore + '/' + name; }
    QString index() const { return path("brushes.json"); }

    // Imports one small brush into the running state and waits until its
    // record is written.
    void importOne(const std::shared_ptr<DrawingState>& s) {
        VbrFields f;
        f.name = "new";
        const QString file = writeFile(t.dir->path() + "/sources/new.vbr", vbrFile(f));
        const auto before = s->importedGIMPBrushes->size();
        s->importGIMPBrushes({file}, false);
        ASSERT_TRUE(waitUntil([&] { return s->importedGIMPBrushes->size() > before; }));
        drainEvents();
        platform::ThrottledFileWriter::flushAll();
    }
    bool allExist(const QStringList& names) const {
        return std::all_of(names.begin(), names.end(), [&](const QString& n) { return QFile::exists(path(n)); });
    }
};

} // namespace

// An index over the size bound was overwritten by the next import with no
// copy kept, and the start after that removed its brushes' images.
TEST_F(BrushIndexFaults, AnIndexOverTheBoundIsKeptAsideAndItsBrushesImagesStay) {
    const auto a = storeBitmapBrush(t.brushStore, 2, "a"), b = storeBitmapBrush(t.brushStore, 1, "b");
    writeIndexFile(t.brushStore, {a, b});
    {
        QFile file(index());
        ASSERT_TRUE(file.resize(brushFiles::kMaxIndexFileBytes + 1)); // sparse: costs no disk
    }
    LogCapture log;
    auto s = t.makeAnother();
    s->removeUnrecordedBrushFiles();
    EXPECT_TRUE(s->importedGIMPBrushes->empty());
    EXPECT_EQ(QFileInfo(index() + ".bad").size(), brushFiles::kMaxIndexFileBytes + 1);
    EXPECT_EQ(log.countLines({index(), "cannot be read", "more than", "kept as " + index() + ".bad"}), 1);

    importOne(s);
    const auto written = decodeBrushIndex(readFile(index()));
    ASSERT_TRUE(written);
    ASSERT_EQ(written->brushes.size(), 1u);
    s.reset();

    // The index now reads whole: only images no copy names are removed.
    auto again = t.makeAnother();
    again->removeUnrecordedBrushFiles();
    EXPECT_TRUE(allExist(a.cellFilenames + b.cellFilenames));
    EXPECT_TRUE(allExist(written->brushes[0].cellFilenames));
    EXPECT_EQ(QFileInfo(index() + ".bad").size(), brushFiles::kMaxIndexFileBytes + 1);
}

// An index that can be neither read nor copied (here: no permission to
// read it) is the only record of the user's brushes: nothing writes over it.
TEST_F(BrushIndexFaults, AnIndexThatCannotBeKeptAsideIsNotWrittenOver) {
    const auto a = storeBitmapBrush(t.brushStore, 1, "a");
    writeIndexFile(t.brushStore, {a});
    const QByteArray original = readFile(index());
    QFile::setPermissions(index(), QFileDevice::WriteOwner);
    LogCapture log;
    std::shared_ptr<DrawingState> s;
    {
        WithoutPermissionOverride unprivileged;
        s = t.makeAnother();
    }
    EXPECT_TRUE(s->importedGIMPBrushes->empty());
    EXPECT_EQ(log.countLines({index(), "cannot be read", "not written over"}), 1);
    importOne(s);
    s.reset();
    QFile::setPermissions(index(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(readFile(index()), original);
    EXPECT_FALSE(QFile::exists(index() + ".bad"));
    auto again = t.makeAnother();
    ASSERT_EQ(again->importedGIMPBrushes->size(), 1u);
    EXPECT_EQ(again->importedGIMPBrushes.get()[0].id, a.id);
}

// The index behind a link to something that is not a regular file (here a
// folder) is not written through: the link goes aside, the index is written
// in its place, and what the link led to is left as it was.
TEST_F(BrushIndexFaults, AnIndexLinkedToAFolderIsReplacedNotWrittenThrough) {
    const QString elsewhere = t.dir->path() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(t.brushStore));
    ASSERT_TRUE(QFile::link(elsewhere, index()));
    LogCapture log;
    auto s = t.makeAnother();
    importOne(s);
    EXPECT_FALSE(QFileInfo(index()).isSymLink());
    const auto written = decodeBrushIndex(readFile(index()));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->brushes.size(), 1u);
    EXPECT_EQ(QFileInfo(index() + ".bad").symLinkTarget(), elsewhere);
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    EXPECT_EQ(log.countLines({index(), elsewhere, "a folder", "moved to"}), 1);
}

// A quarantined index that cannot be read might name any image: while one
// is there, the images no record names stay.
TEST_F(BrushIndexFaults, AQuarantinedIndexThatCannotBeReadKeepsEveryImage) {
    const auto recorded = storeBitmapBrush(t.brushStore, 1, "recorded");
    const auto lost = storeBitmapBrush(t.brushStore, 2, "in the copy");
    writeIndexFile(t.brushStore, {recorded});
    const QString copy = path("brushes.json.bad");
    writeFile(copy, encodeBrushIndex({lost}));
    QFile::setPermissions(copy, QFileDevice::WriteOwner);
    auto s = t.makeAnother();
    {
        WithoutPermissionOverride unprivileged;
        s->removeUnrecordedBrushFiles();
    }
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(allExist(lost.cellFilenames + recorded.cellFilenames));
}

// A store of a hundred thousand brushes whose cell images are gone logged a
// line per brush (sixty thousand lines in three seconds).
TEST_F(BrushIndexFaults, ManyBrushesWithoutImagesLogOneLinePerCause) {
    constexpr int kBrushes = 100000;
    std::vector<ImportedGIMPBrush> brushes;
    brushes.reserve(kBrushes);
    for (int i = 0; i < kBrushes; ++i) {
        ImportedGIMPBrush b;
        b.id = QUuid::createUuid();
        b.name = QStringLiteral("Brush %1").arg(i);
        b.cellFilenames = {uuidText(b.id) + "_0.png"};
        b.diameter = b.spacing = 10;
        brushes.push_back(std::move(b));
    }
    // Two whose images are folders: a second cause.
    for (int i : {7, 70000}) ASSERT_TRUE(QDir().mkpath(path(brushes[std::size_t(i)].cellFilenames[0])));
    writeIndexFile(t.brushStore, brushes);

    LogCapture log;
    auto s = t.makeAnother();
    ASSERT_TRUE(waitUntil([&] { return s->gimpStampCache.size() == kBrushes; }, 60000));
    drainEvents();
    const QStringList lines = log.text().split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.size(), 2) << log.text().left(2000).toStdString();
    EXPECT_EQ(log.countLines(
                  {"99998 cell images skipped (No such file or directory)", "(brush \"Brush 0\")", "and 99993 more"}),
              1);
    EXPECT_EQ(log.countLines({"2 cell images skipped (not a regular file)", path(brushes[7].cellFilenames[0]),
                              path(brushes[70000].cellFilenames[0])}),
              1);
}
