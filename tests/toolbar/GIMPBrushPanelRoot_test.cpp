// The brush panel's content: the opacity and spacing rows, the corners of
// its background by the toolbar's side, and the editor at its end.
#include "model/DrawingState.h"
#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/GIMPBrushLibraryPanel.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/ToolbarTestSupport.h"
#include "toolbar/VBRParamsEditor.h"
#include "ui/DismissBox.h"
#include "ui/PanelSlider.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

struct Root {
    TestDrawingState t;
    std::unique_ptr<GIMPBrushPanelRoot> root;
    GIMPBrushPanelRoot& open() {
        root = std::make_unique<GIMPBrushPanelRoot>(t.state, std::make_shared<DismissBox>());
        root->show();
        drainEvents();
        return *root;
    }
    ~Root() {
        root.reset();
        drainEvents();
    }
};

} // namespace

TEST(BrushPanelRoot, PercentagesShowTheIntegerPart) {
    EXPECT_EQ(GIMPBrushPanelRoot::opacityText(0.05), "5%");
    EXPECT_EQ(GIMPBrushPanelRoot::opacityText(0.999), "99%");
    EXPECT_EQ(GIMPBrushPanelRoot::opacityText(1), "100%");
    EXPECT_EQ(GIMPBrushPanelRoot::spacingText(200), "200%");
    EXPECT_EQ(GIMPBrushPanelRoot::spacingText(12.7), "12%");
}

TEST(BrushPanelRoot, SlidersEditOpacityAndSpacingAndFollowThem) {
    Root r;
    r.t->gimpBrushOpacity = 0.8;
    r.t->gimpBrushSpacing = 25;
    auto& root = r.open();
    EXPECT_EQ(root.width(), 240);
    EXPECT_EQ(root.opacityValue()->text(), "80%");
    EXPECT_EQ(root.spacingValue()->text(), "25%");

    PanelSlider* opacity = root.opacitySlider();
    click(opacity, opacity->knobCentre(0.05));
    EXPECT_NEAR(r.t->gimpBrushOpacity.get(), 0.05, 1e-9);
    PanelSlider* spacing = root.spacingSlider();
    click(spacing, spacing->knobCentre(200));
    EXPECT_NEAR(r.t->gimpBrushSpacing.get(), 200, 1e-9);
    EXPECT_EQ(root.opacityValue()->text(), "5%");
    EXPECT_EQ(root.spacingValue()->text(), "200%");

    r.t->gimpBrushSpacing = 12.7;
    EXPECT_EQ(root.spacingValue()->text(), "12%");
    EXPECT_NEAR(spacing->value(), 12.7, 1e-9);
}

TEST(BrushPanelRoot, CornersAwayFromTheToolbarAreRounded) {
    Root r;
    r.t->toolbarDockPosition = ToolbarDockPosition::middleLeftV;
    auto& root = r.open();
    // Beside a left-edge toolbar the panel opens to the right: rounded on its right.
    EXPECT_EQ(root.corners(), (ui::PanelChrome::Corners{0, 10, 10, 0}));
    QImage shot(root.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    root.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_GT(qAlpha(shot.pixel(0, 0)), 200);
    EXPECT_LT(qAlpha(shot.pixel(root.width() - 1, 0)), 100);
    EXPECT_LT(qAlpha(shot.pixel(root.width() - 1, root.height() - 1)), 100);

    // Under a top toolbar: rounded at its bottom.
    r.t->toolbarDockPosition = ToolbarDockPosition::topCenterH;
    EXPECT_EQ(root.corners(), (ui::PanelChrome::Corners{0, 0, 10, 10}));
}

TEST(BrushPanelRoot, TheSettingsEndWithTheSpacingSliderUnlessAParametricBrushIsActive) {
    Root r;
    auto& root = r.open();
    EXPECT_FALSE(root.editor()->isVisible());
    const int without = root.sizeHint().height();
    const ImportedGIMPBrush brush = parametricBrush(1, 1, std::nullopt);
    r.t->importedGIMPBrushes = {brush};
    r.t->activeGIMPBrushID = brush.id;
    drainEvents();
    EXPECT_TRUE(root.editor()->isVisible());
    EXPECT_GT(root.sizeHint().height(), without + 5 * 30) << "the list and the five sliders";
    EXPECT_GT(root.editor()->geometry().top(), root.spacingSlider()->geometry().bottom());
}
