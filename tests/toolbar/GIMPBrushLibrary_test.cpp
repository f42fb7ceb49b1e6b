// The brush library: what it says for an empty store, its header and Clear
// All, the rows in display order, choosing the active brush, the list's
// height, thumbnails loaded once and only for rows in view, and importing
// through the open panel.
#include "brushes/BrushThumbnails.h"
#include "model/DrawingState.h"
#include "support/BrushFileWriter.h"
#include "support/BrushStoreFiles.h"
#include "support/FakeDialogs.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/GIMPBrushRow.h"
#include "toolbar/ToolbarTestSupport.h"
#include "ui/BorderlessButton.h"
#include "ui/DismissBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::ModalResponse;

namespace {

ImportedGIMPBrush shipped(double aspect, double hardness = 1) {
    return parametricBrush(aspect, hardness, QStringLiteral("Shipped %1.vbr").arg(aspect));
}
ImportedGIMPBrush own(double aspect = 1, double hardness = 1) {
    return parametricBrush(aspect, hardness, std::nullopt);
}

struct Library {
    TestDrawingState t;
    std::shared_ptr<DismissBox> box = std::make_shared<DismissBox>();
    int dismissals = 0;
    std::unique_ptr<GIMPBrushLibraryPanel> panel;

    explicit Library(std::vector<ImportedGIMPBrush> brushes = {}) {
        box->dismiss = [this] { ++dismissals; };
        t->importedGIMPBrushes = std::move(brushes);
    }
    ~Library() {
        panel.reset();
        drainEvents();
    }
    GIMPBrushLibraryPanel& open() {
        panel = std::make_unique<GIMPBrushLibraryPanel>(t.state, box);
        panel->setFixedWidth(240);
        panel->show();
        settle();
        return *panel;
    }
    void settle() { drainEvents(); }
    std::vector<QUuid> rowIDs() const {
        std::vector<QUuid> ids;
        for (const GIMPBrushRow* row : panel->rows()) ids.push_back(row->brush().id);
        return ids;
    }
};

QByteArray smallGbr(const QByteArray& name) {
    GbrFields f;
    f.width = f.height = 10;
    f.name = name;
    return gbrFile(f);
}

} // namespace

TEST(BrushLibrary, AnEmptyStoreSaysHowToStartAndShowsNoHeaderOrList) {
    Library l;
    l.t->selectedTool = DrawingTool::gimpBrush;
    auto& panel = l.open();
    EXPECT_TRUE(panel.importButton()->isVisible());
    EXPECT_EQ(panel.importButton()->text(), "Import Brushes…");
    EXPECT_TRUE(panel.emptyText()->isVisible());
    EXPECT_EQ(panel.emptyText()->text(), "Import a brush above, then select it to start drawing.");
    EXPECT_FALSE(panel.title()->isVisible());
    EXPECT_FALSE(panel.clearAllButton()->isVisible());
    EXPECT_FALSE(panel.list()->isVisible());

    l.t->selectedTool = DrawingTool::pen;
    l.settle();
    EXPECT_EQ(panel.emptyText()->text(), "No brushes imported yet");
    l.t->selectedTool = std::nullopt;
    l.settle();
    EXPECT_EQ(panel.emptyText()->text(), "No brushes imported yet");
}

TEST(BrushLibrary, OnlyShippedBrushesCannotBeCleared) {
    Library l({shipped(1), shipped(2), shipped(3)});
    auto& panel = l.open();
    EXPECT_FALSE(panel.emptyText()->isVisible());
    EXPECT_EQ(panel.title()->text(), "Brushes (3)");
    EXPECT_FALSE(panel.clearAllButton()->isEnabled());
    EXPECT_EQ(panel.clearAllButton()->tint(), ui::ThemeColor::tertiary);
    EXPECT_EQ(panel.clearAllButton()->chip()->text(), "Only built-in brushes remain — these can't be removed");
}

TEST(BrushLibrary, ClearAllRemovesTheImportedBrushesAndKeepsTheShippedOnes) {
    const ImportedGIMPBrush mine = own();
    Library l({shipped(1), mine, shipped(2), shipped(3)});
    l.t->activeGIMPBrushID = mine.id;
    l.t->selectedTool = DrawingTool::gimpBrush;
    auto& panel = l.open();
    EXPECT_EQ(panel.title()->text(), "Brushes (4)");
    EXPECT_TRUE(panel.clearAllButton()->isEnabled());
    EXPECT_EQ(panel.clearAllButton()->tint(), ui::ThemeColor::secondary);
    EXPECT_EQ(panel.clearAllButton()->chip()->text(), "Remove the 1 imported brush; built-in brushes are kept");

    click(panel.clearAllButton());
    l.settle();
    ASSERT_EQ(l.t->importedGIMPBrushes->size(), 3u);
    for (const auto& b : l.t->importedGIMPBrushes.get()) EXPECT_TRUE(b.bundledSourceID);
    EXPECT_EQ(panel.title()->text(), "Brushes (3)");
    EXPECT_EQ(panel.rows().size(), 3u);
    EXPECT_FALSE(panel.clearAllButton()->isEnabled());
    // The active brush was among them: none is active, the pen is back.
    EXPECT_FALSE(l.t->activeGIMPBrushID.get());
    EXPECT_EQ(l.t->selectedTool.get(), DrawingTool::pen);
    EXPECT_TRUE(panel.isVisible()) << "Clear All leaves the panel open";
    EXPECT_EQ(l.dismissals, 0);

    EXPECT_EQ(GIMPBrushLibraryModel::clearAllHelpText(3), "Remove the 3 imported brushes; built-in brushes are kept");
}

TEST(BrushLibrary, RowsFollowTheDisplayOrderAndKeepTheirWidgets) {
    const ImportedGIMPBrush round = shipped(1, 0.5), hard = shipped(1, 1), long2 = shipped(2), mine = own(5);
    Library l({round, mine, hard, long2});
    auto& panel = l.open();
    std::vector<QUuid> expected;
    for (const auto& b : l.t->sortedGIMPBrushes()) expected.push_back(b.id);
    EXPECT_EQ(l.rowIDs(), expected);
    EXPECT_EQ(expected.front(), long2.id) << "the most elongated first";

    GIMPBrushRow* first = panel.row(round.id);
    first->setHovered(true);
    l.t->activeGIMPBrushID = hard.id;
    l.settle();
    EXPECT_EQ(panel.row(round.id), first);
    EXPECT_TRUE(first->isHovered());
    EXPECT_TRUE(panel.row(hard.id)->isActive());
    EXPECT_FALSE(first->isActive());
}

TEST(BrushLibrary, ATapSelectsTheBrushAndTheToolAndASecondTapOnlyClearsTheBrush) {
    const ImportedGIMPBrush a = own(1), b = own(2);
    Library l({a, b});
    l.t->selectedTool = DrawingTool::arrow;
    auto& panel = l.open();
    click(panel.row(a.id), QPointF(30, 23));
    l.settle();
    EXPECT_EQ(l.t->activeGIMPBrushID.get(), a.id);
    EXPECT_EQ(l.t->selectedTool.get(), DrawingTool::gimpBrush);
    EXPECT_TRUE(panel.row(a.id)->isActive());

    click(panel.row(b.id), QPointF(30, 23));
    l.settle();
    EXPECT_EQ(l.t->activeGIMPBrushID.get(), b.id);

    l.t->selectedTool = DrawingTool::line;
    click(panel.row(b.id), QPointF(30, 23));
    l.settle();
    EXPECT_FALSE(l.t->activeGIMPBrushID.get());
    EXPECT_EQ(l.t->selectedTool.get(), DrawingTool::line) << "deselecting leaves the tool";
    EXPECT_FALSE(panel.row(b.id)->isActive());
    EXPECT_EQ(l.dismissals, 0) << "selecting leaves the panel open";
}

TEST(BrushLibrary, TheDeleteControlDeletesItsBrushAndItsRowGoes) {
    const ImportedGIMPBrush a = own(1), b = own(2);
    Library l({a, b});
    auto& panel = l.open();
    GIMPBrushRow* row = panel.row(a.id);
    row->setHovered(true);
    click(row->deleteButton());
    l.settle();
    ASSERT_EQ(l.t->importedGIMPBrushes->size(), 1u);
    EXPECT_EQ(l.t->importedGIMPBrushes.get()[0].id, b.id);
    EXPECT_EQ(panel.rows().size(), 1u);
    EXPECT_EQ(panel.row(a.id), nullptr);
}

TEST(BrushLibrary, TheListIsAsTallAsItsRowsUpTo276PointsThenScrolls) {
    Library l({own(1), own(2), own(3)});
    auto& panel = l.open();
    EXPECT_EQ(panel.list()->height(), 3 * 47);
    std::vector<ImportedGIMPBrush> many;
    for (int i = 0; i < 12; ++i) many.push_back(own(1 + i));
    l.t->importedGIMPBrushes = many;
    l.settle();
    EXPECT_EQ(panel.list()->height(), 276);
    EXPECT_GT(panel.list()->verticalScrollBar()->maximum(), 0);
    // The tiles keep the list's full width: the indicator lies over them.
    EXPECT_EQ(panel.rows().front()->tileRect().width(), 208);
}

TEST(BrushLibrary, ThumbnailsLoadOnceAndOnlyForRowsInView) {
    std::vector<ImportedGIMPBrush> many;
    for (int i = 0; i < 20; ++i) many.push_back(own(1 + i, 0.5));
    Library l(many);
    const auto before = brushThumbnails::stats().renders;
    auto& panel = l.open();
    waitUntil([&] {
        return std::none_of(panel.rows().begin(), panel.rows().end(), [](auto* r) { return r->model().isRendering(); });
    });
    l.settle();
    const auto shown = brushThumbnails::stats().renders - before;
    // 276 points show six rows; one more is built ahead.
    EXPECT_GE(shown, 6u);
    EXPECT_LE(shown, 8u);
    EXPECT_FALSE(panel.rows()[5]->model().image().isNull());
    EXPECT_TRUE(panel.rows()[15]->model().image().isNull());

    // Changes that leave a row's key alone load nothing.
    l.t->activeGIMPBrushID = many[3].id;
    l.t->selectedTool = DrawingTool::gimpBrush;
    l.settle();
    EXPECT_EQ(brushThumbnails::stats().renders - before, shown);

    panel.list()->verticalScrollBar()->setValue(panel.list()->verticalScrollBar()->maximum());
    waitUntil([&] { return !panel.rows().back()->model().image().isNull(); });
    l.settle();
    EXPECT_LE(brushThumbnails::stats().renders - before, 20u);
}

TEST(BrushLibrary, ImportClosesThePanelFirstAndCancellingImportsNothing) {
    FakeOpenPanels panels;
    Library l({own()});
    auto& panel = l.open();
    std::vector<bool> importing;
    auto watch = l.t->isImportingBrushes.sink([&](bool v) { importing.push_back(v); }, platform::Delivery::Immediate,
                                              platform::Initial::Skip);
    click(panel.importButton());
    EXPECT_EQ(l.dismissals, 1);
    ASSERT_EQ(panels.shown.size(), 1u);
    const platform::OpenPanel& shownPanel = panels.shown.front();
    EXPECT_TRUE(shownPanel.allowsMultipleSelection);
    EXPECT_TRUE(shownPanel.canChooseFiles);
    EXPECT_FALSE(shownPanel.canChooseDirectories);
    EXPECT_EQ(shownPanel.title, "Import GIMP Brushes");
    EXPECT_EQ(shownPanel.message, "Select .gbr, .gih, or .vbr brush files");
    EXPECT_EQ(shownPanel.prompt, "Import");
    EXPECT_EQ(shownPanel.allowedExtensions, (QStringList{"gbr", "gih", "vbr"}));
    EXPECT_TRUE(l.t->isImportingBrushes.get()) << "the overlays step aside while the panel is up";
    l.settle();
    EXPECT_FALSE(l.t->isImportingBrushes.get());
    EXPECT_EQ(importing, (std::vector<bool>{true, false}));
    EXPECT_EQ(l.t->importedGIMPBrushes->size(), 1u);
}

TEST(BrushLibrary, SeveralFilesArriveOneByOneAsUserBrushesAndABadOneIsSkipped) {
    FakeOpenPanels panels;
    Library l;
    const QString sources = l.t.dir->path() + "/sources";
    QStringList files;
    files << writeFile(sources + "/one.gbr", smallGbr("One"));
    files << writeFile(sources + "/broken.gbr", "GIMP? not a brush at all");
    files << writeFile(sources + "/two.gbr", smallGbr("Two"));
    VbrFields v;
    v.name = "Three";
    files << writeFile(sources + "/three.vbr", vbrFile(v));
    files << writeFile(sources + "/notes.txt", "a text file");
    panels.answer(ModalResponse::ok, files);
    auto& panel = l.open();
    const auto active = l.t->activeGIMPBrushID.get();

    std::vector<std::size_t> sizes;
    auto watch = l.t->importedGIMPBrushes.sink([&](const auto& list) { sizes.push_back(list.size()); },
                                               platform::Delivery::Immediate, platform::Initial::Skip);
    click(panel.importButton());
    ASSERT_TRUE(waitUntil([&] { return l.t->importedGIMPBrushes->size() == 3; }));
    l.settle();
    EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 2, 3})) << "each brush joins as soon as it is read";
    QStringList names;
    for (const auto& b : l.t->importedGIMPBrushes.get()) {
        names << b.name;
        EXPECT_FALSE(b.bundledSourceID);
    }
    EXPECT_EQ(names, (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(l.t->activeGIMPBrushID.get(), active) << "importing chooses no brush";
    EXPECT_EQ(panel.rows().size(), 3u);
    EXPECT_EQ(panel.title()->text(), "Brushes (3)");
}

TEST(BrushLibrary, ASecondImportWhileAFilePanelIsUpOnlyClosesThePanel) {
    FakeOpenPanels panels;
    Library l;
    auto& panel = l.open();
    l.t->lowerOverlaysForPanel(); // a save panel of a screenshot is up
    click(panel.importButton());
    EXPECT_EQ(l.dismissals, 1);
    EXPECT_TRUE(panels.shown.empty());
    l.settle();
    EXPECT_TRUE(l.t->isImportingBrushes.get()) << "the overlays stay down for the panel still up";
    l.t->raiseOverlaysAfterPanel();
}
