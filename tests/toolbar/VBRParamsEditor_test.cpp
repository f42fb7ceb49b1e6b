// The parametric brush editor: when it shows, how its sliders snap, what
// its headers say, re-rendering during a drag and the one file write at
// its end, and a brush deleted mid-drag.
#include "brushes/GIMPBrushParser.h"
#include "model/DrawingState.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/ToolbarTestSupport.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/PanelSlider.h"

#include <QDir>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

using namespace testing_support;
using Parameter = VBRParamsEditorModel::Parameter;

namespace {

struct Editor {
    TestDrawingState t;
    ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
    QWidget host;
    VBRParamsEditor* editor = nullptr;

    Editor() {
        QDir().mkpath(t.brushStore);
        t->importedGIMPBrushes = {brush};
        t->activeGIMPBrushID = brush.id;
        editor = new VBRParamsEditor(t.state, &host);
        host.setFixedWidth(212);
        host.show();
        settle();
    }
    ~Editor() { drainEvents(); }
    void settle() { drainEvents(); }
    VBRParams stored() const { return *t->importedGIMPBrushes.get().front().vbr; }
    QString cellFile() const { return t.brushStore + '/' + brush.cellFilenames.front(); }
    // The slider's x for a value.
    QPointF at(Parameter p, double value) const { return editor->slider(p)->knobCentre(value); }
};

} // namespace

TEST(VBRParamsEditor, ShowsOnlyForAnActiveParametricBrush) {
    Editor e;
    EXPECT_TRUE(e.editor->isVisible());
    e.t->activeGIMPBrushID = std::nullopt;
    e.settle();
    EXPECT_FALSE(e.editor->isVisible());
    const ImportedGIMPBrush bitmap = storeBitmapBrush(e.t.brushStore, 1);
    e.t->importedGIMPBrushes.modify([&](auto& list) { list.push_back(bitmap); });
    e.t->activeGIMPBrushID = bitmap.id;
    e.settle();
    EXPECT_FALSE(e.editor->isVisible());
    e.t->activeGIMPBrushID = QUuid::createUuid();
    e.settle();
    EXPECT_FALSE(e.editor->isVisible());
    e.t->activeGIMPBrushID = e.brush.id;
    e.settle();
    EXPECT_TRUE(e.editor->isVisible());
}

TEST(VBRParamsEditor, ValuesSnapToEachSlidersStepAndShowInTheirOwnForm) {
    Editor e;
    auto& model = e.editor->model();
    model.write(Parameter::radius, 37.4);
    EXPECT_EQ(e.stored().radius, 37);
    model.write(Parameter::spikes, 5.5);
    EXPECT_EQ(e.stored().spikes, 6) << "halves away from zero";
    model.write(Parameter::hardness, 0.456);
    EXPECT_NEAR(e.stored().hardness, 0.46, 1e-12);
    model.write(Parameter::aspectRatio, 2.34);
    EXPECT_NEAR(e.stored().aspectRatio, 2.3, 1e-12);
    model.write(Parameter::angle, 44.5);
    EXPECT_EQ(e.stored().angle, 45);
    e.settle();
    EXPECT_EQ(e.editor->valueLabel(Parameter::radius)->text(), "37 px");
    EXPECT_EQ(e.editor->valueLabel(Parameter::spikes)->text(), "6");
    EXPECT_EQ(e.editor->valueLabel(Parameter::hardness)->text(), "0.46");
    EXPECT_EQ(e.editor->valueLabel(Parameter::aspectRatio)->text(), "2.3");
    EXPECT_EQ(e.editor->valueLabel(Parameter::angle)->text(), "45°");
    EXPECT_EQ(e.editor->label(Parameter::aspectRatio)->text(), "Aspect Ratio");
    EXPECT_DOUBLE_EQ(e.editor->slider(Parameter::radius)->value(), 37) << "the knob shows the snapped value";
    // Twice the radius is the brush's diameter.
    EXPECT_EQ(e.t->importedGIMPBrushes.get().front().diameter, 74);
}

TEST(VBRParamsEditor, ADragReRendersAtEveryStepAndWritesTheCellOnceAtTheEnd) {
    Editor e;
    PanelSlider* slider = e.editor->slider(Parameter::radius);
    int renders = 0;
    auto count = e.t->importedGIMPBrushes.sink([&](const auto&) { ++renders; }, platform::Delivery::Immediate,
                                               platform::Initial::Skip);
    press(slider, e.at(Parameter::radius, 20));
    e.settle();
    EXPECT_EQ(e.stored().radius, 20);
    const auto firstStamp = e.t->gimpStampCache.value(e.brush.id);
    for (double r : {40.0, 60.0, 80.0, 100.0}) {
        drag(slider, e.at(Parameter::radius, r));
        e.settle();
        EXPECT_NEAR(e.stored().radius, r, 1);
        EXPECT_FALSE(QFile::exists(e.cellFile())) << "nothing written during the drag";
    }
    const int duringDrag = renders;
    EXPECT_GE(duringDrag, 5);
    EXPECT_NE(e.t->gimpStampCache.value(e.brush.id).front().size(), firstStamp.front().size())
        << "the next stroke uses the new shape at once";
    release(slider, e.at(Parameter::radius, 100));
    waitUntil([&] { return QFile::exists(e.cellFile()); });
    e.settle();
    ASSERT_TRUE(QFile::exists(e.cellFile()));
    const QImage cell(e.cellFile());
    EXPECT_EQ(cell.width(), GIMPBrushParser::renderVBR(e.stored())->width());

    // Nothing more is written afterwards.
    QFile::remove(e.cellFile());
    e.t->activeGIMPBrushID = e.brush.id;
    e.settle();
    EXPECT_FALSE(QFile::exists(e.cellFile()));
}

TEST(VBRParamsEditor, ABrushDeletedMidDragGetsNoWriteAndTheEditorGoes) {
    Editor e;
    PanelSlider* slider = e.editor->slider(Parameter::hardness);
    press(slider, e.at(Parameter::hardness, 0.3));
    drag(slider, e.at(Parameter::hardness, 0.5));
    e.settle();
    const ImportedGIMPBrush doomed = e.t->importedGIMPBrushes.get().front();
    e.t->deleteGIMPBrush(doomed);
    e.settle();
    EXPECT_FALSE(e.editor->isVisible());
    release(slider, e.at(Parameter::hardness, 0.6));
    e.settle();
    EXPECT_TRUE(e.t->importedGIMPBrushes->empty());
    EXPECT_FALSE(QFile::exists(e.cellFile()));
}

TEST(VBRParamsEditor, APressWithoutAMoveStillWritesTheCellOnce) {
    Editor e;
    PanelSlider* slider = e.editor->slider(Parameter::angle);
    const QPointF knob = e.at(Parameter::angle, 0);
    press(slider, knob);
    release(slider, knob);
    waitUntil([&] { return QFile::exists(e.cellFile()); });
    EXPECT_TRUE(QFile::exists(e.cellFile()));
}
