// The brush panel on a real X server, with the real pointer: it opens from
// the brush slot's chevron with the shipped brushes, a click chooses one,
// its editor's slider drags and writes the brush's cell at the end, a brush
// imported while it is open gets a row, and that row's delete control
// appears under the pointer and deletes it.
#include "RealToolbar.h"
#include "brushes/GIMPBrushParser.h"
#include "model/DrawingState.h"
#include "support/BrushFileWriter.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/GIMPBrushPanelWindowController.h"
#include "toolbar/GIMPBrushRow.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/PanelSlider.h"

#include <QFile>
#include <QImageReader>

#include <gtest/gtest.h>

using namespace testing_support;
using platform::Rect;
using Parameter = VBRParamsEditorModel::Parameter;

namespace {

// The panel with the shipped brushes, opened by a click on the chevron.
GIMPBrushPanelWindowController* openPanel(RealToolbar& t) {
    DrawingToolbarView& v = *t.view();
    if (!waitUntil([&] { return t.state().importedGIMPBrushes->size() >= 10; }, 10000)) return nullptr;
    drainEvents();
    clickOn(v.gimpBrushSlot()->mapToGlobal(QPoint(29, 12)));
    if (!waitUntil([&] { return panelUp(v.panels().gimpBrushPanel()); }, 3000)) return nullptr;
    return v.panels().gimpBrushPanel();
}

VBRParams storedParams(const DrawingState& state, const QUuid& id) {
    for (const auto& b : state.importedGIMPBrushes.get())
        if (b.id == id && b.vbr) return *b.vbr;
    return VBRParams{};
}

QPoint onSlider(const PanelSlider* slider, double value) {
    return slider->mapToGlobal(slider->knobCentre(value).toPoint());
}

} // namespace

TEST(BrushPanelOnX11, ClicksChooseAShippedBrushAndItsEditorsDragWritesItsCellOnce) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    GIMPBrushPanelWindowController* panel = openPanel(t);
    ASSERT_TRUE(panel);
    const Rect slot = *t.view()->gimpBrushRef->frameOnScreen();
    EXPECT_EQ(panel->window()->frame().midX(), slot.midX());
    EXPECT_EQ(panel->window()->frame().maxY(), t.window()->frame().minY());

    GIMPBrushRow* row = panel->root()->library()->rows().front();
    const ImportedGIMPBrush brush = row->brush();
    ASSERT_TRUE(brush.vbr);
    moveMouse(RealToolbar::centreOf(row));
    EXPECT_TRUE(waitUntil([&] { return row->isHovered(); }, 3000));
    EXPECT_FALSE(row->deleteButton()->isVisible()) << "shipped brushes cannot be deleted";
    clickOn(RealToolbar::centreOf(row));
    EXPECT_TRUE(waitUntil([&] { return t.state().activeGIMPBrushID.get() == brush.id; }, 3000));
    EXPECT_EQ(t.state().selectedTool.get(), DrawingTool::gimpBrush);
    EXPECT_TRUE(waitUntil([&] { return row->isActive(); }, 3000));

    // The editor came, and the panel made room for it.
    PanelSlider* radius = panel->root()->editor()->slider(Parameter::radius);
    ASSERT_TRUE(waitUntil([&] { return radius->isVisible(); }, 3000));
    PanelSlider* angle = panel->root()->editor()->slider(Parameter::angle);
    ASSERT_TRUE(waitUntil(
        [&] {
            const QRectF window = platform::toGlobal(panel->window()->frame());
            return window.bottom() >= angle->mapToGlobal(QPoint(0, angle->height())).y();
        },
        3000));

    const QString cell = t.state().gimpBrushesDirectory() + '/' + brush.cellFilenames.front();
    ASSERT_TRUE(QFile::remove(cell));
    paceNewClick();
    moveMouse(onSlider(radius, brush.vbr->radius));
    pace(200);
    xdotool({"mousedown", "1"});
    for (double r : {30.0, 50.0, 70.0, 90.0}) {
        moveMouse(onSlider(radius, r));
        pace(30);
    }
    EXPECT_TRUE(waitUntil([&] { return storedParams(t.state(), brush.id).radius > 60; }, 3000));
    drainEvents();
    EXPECT_FALSE(QFile::exists(cell)) << "nothing written while the slider is held";
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(cell); }, 3000));
    const VBRParams stored = storedParams(t.state(), brush.id);
    EXPECT_NEAR(stored.radius, 90, 3);
    EXPECT_EQ(stored.radius, std::round(stored.radius)) << "the radius snaps to whole pixels";
    const QSize rendered = GIMPBrushParser::renderVBR(stored)->size();
    EXPECT_TRUE(waitUntil([&] { return QImageReader(cell).size() == rendered; }, 3000)) << "the cell of the new radius";

    pressKey("Escape");
    EXPECT_TRUE(waitUntil([&] { return !panel->window()->isVisible(); }, 3000));
}

TEST(BrushPanelOnX11, ClicksDeleteABrushImportedWhileThePanelIsOpen) {
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    GIMPBrushPanelWindowController* panel = openPanel(t);
    ASSERT_TRUE(panel);
    GIMPBrushLibraryPanel* library = panel->root()->library();
    const std::size_t shipped = library->rows().size();

    const QString file = t.dir.path() + "/mine.vbr";
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    VbrFields fields;
    fields.name = "Mine";
    out.write(vbrFile(fields));
    out.close();
    t.state().importGIMPBrushes({file}, false);
    ASSERT_TRUE(waitUntil([&] { return library->rows().size() == shipped + 1; }, 5000));
    GIMPBrushRow* mine = library->rows().back();
    ASSERT_FALSE(mine->brush().bundledSourceID);

    // The list scrolls to it under the pointer's wheel.
    moveMouse(RealToolbar::centreOf(library->rows().front()));
    for (int i = 0; i < 20; ++i) click(5);
    ASSERT_TRUE(waitUntil([&] { return mine->visibleRegion().boundingRect().height() == mine->height(); }, 3000));
    moveMouse(RealToolbar::centreOf(mine));
    ASSERT_TRUE(waitUntil([&] { return mine->deleteButton()->isVisible(); }, 3000));
    paceNewClick();
    clickOn(RealToolbar::centreOf(mine->deleteButton()));
    EXPECT_TRUE(waitUntil([&] { return t.state().importedGIMPBrushes->size() == shipped; }, 3000));
    EXPECT_TRUE(waitUntil([&] { return library->rows().size() == shipped; }, 3000));
    EXPECT_TRUE(panel->window()->isVisible()) << "deleting leaves the panel open";
}
