#include "support/TestDrawingState.h"

#include <gtest/gtest.h>

using testing_support::TestDrawingState;

TEST(DrawingStateCreation, EmptyStoreGivesTheInitialValuesAndWritesNothing) {
    TestDrawingState t;
    const auto& s = *t.state;
    EXPECT_EQ(s.selectedTool.get(), DrawingTool::pen);
    EXPECT_EQ(s.selectedColor.get(), Color::red());
    EXPECT_EQ(s.lineWidth.get(), 11);
    EXPECT_EQ(s.strokeOpacity.get(), 1);
    EXPECT_TRUE(s.strokes->empty());
    EXPECT_FALSE(s.currentStroke.get());
    EXPECT_FALSE(s.isOverlayVisible.get());
    EXPECT_TRUE(s.savedHarmonies->empty());
    EXPECT_FALSE(s.isQuittingIntentionally);
    EXPECT_FALSE(s.captureAll.get() || s.isToolbarVisible.get() || s.isTextEditing.get() || s.isLineEditing.get() ||
                 s.pendingDeleteEdit.get() || s.isPickingAttachWindow.get() || s.isAttachedToWindow.get() ||
                 s.isBezierEditing.get() || s.isMoveMode.get() || s.isSelectionExplicit.get() ||
                 s.isImportingBrushes.get());
    EXPECT_FALSE(s.canvasConstraintFrame.get());
    EXPECT_FALSE(s.rightDoubleClickLocation.get());
    EXPECT_EQ(s.editingLineWidthStep.get(), 0);
    EXPECT_FALSE(s.lastPlacedStrokeID.get());
    EXPECT_TRUE(s.fontPresets->empty());
    EXPECT_TRUE(s.importedGIMPBrushes->empty());
    EXPECT_FALSE(s.activeGIMPBrushID.get());
    EXPECT_EQ(s.gimpBrushOpacity.get(), 1);
    EXPECT_EQ(s.gimpBrushSpacing.get(), 10);
    EXPECT_EQ(s.textFontName.get(), "Arial Rounded MT Bold");
    EXPECT_EQ(s.textFontSize.get(), 0);
    EXPECT_EQ(s.toolbarPenOrder.get(), DrawingState::defaultPenOrder());
    EXPECT_EQ(s.toolbarShapeOrder.get().size(), 9u);
    EXPECT_EQ(s.toolbarShapeOrder.get().front(), DrawingTool::rectangle);
    EXPECT_EQ(s.smoothingEnabledTools.get(), DrawingToolSet{DrawingTool::pen});
    EXPECT_EQ(s.smoothingAlgorithm.get(), SmoothingAlgorithm::chaikin);
    EXPECT_EQ(s.toolbarDockPosition.get(), ToolbarDockPosition::topCenterH);
    EXPECT_TRUE(s.showTooltips.get());
    EXPECT_FALSE(s.launchAtLogin.get());
    EXPECT_TRUE(s.undoStack->empty() && s.redoStack->empty());
    EXPECT_TRUE(s.overlayControllers.empty());
    EXPECT_EQ(s.attachedDisplayID, 0u);
    EXPECT_TRUE(s.hiddenDisplayIDs->empty());
    EXPECT_EQ(s.currentDrawingDisplayID.get(), 0u);
    EXPECT_FALSE(s.currentOverlayFrame);
    EXPECT_TRUE(s.strokesHiddenForAttach.empty() && s.overlayPassthroughRects.empty());
    EXPECT_FALSE(t.defaults->contains("overink.selectedTool"));
    EXPECT_FALSE(t.defaults->contains("overink.launchAtLogin"));
}

TEST(DrawingStateCreation, DisplayChangesAfterTheStateIsGoneReachNothing) {
    TestDrawingState t;
    std::weak_ptr<DrawingState> weak = t.state;
    t.state.reset();
    EXPECT_TRUE(weak.expired());
    t.screens->setScreens({}); // must not touch the destroyed state
    EXPECT_EQ(t.screens->screensChanged.slotCount(), 0u);
}
