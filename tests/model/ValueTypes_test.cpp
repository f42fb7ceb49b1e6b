#include "model/DrawingOp.h"
#include "model/DrawingStroke.h"
#include "model/DrawingTool.h"
#include "model/FontPreset.h"
#include "model/SmoothingAlgorithm.h"
#include "model/ToolbarDockPosition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

TEST(DrawingTool, StoredValuesAndLabelsFollowToolbarOrder) {
    const char* raw[] = {"hand.raised",
                         "pencil",
                         "scribble",
                         "paintbrush",
                         "paintbrush.pointed",
                         "drop.halffull",
                         "pencil.tip",
                         "wand.and.sparkles",
                         "paintbrush.pointed.fill",
                         "line.diagonal",
                         "arrow.up.right",
                         "rectangle",
                         "circle",
                         "triangle",
                         "diamond",
                         "pentagon",
                         "hexagon",
                         "octagon",
                         "seal",
                         "star",
                         "textformat",
                         "eraser"};
    const char* labels[] = {"Move",   "Pen",      "Bezier",     "Brush Pen", "Calligraphy", "Watercolor",
                            "Chalk",  "Airbrush", "GIMP Brush", "Line",      "Arrow",       "Rect",
                            "Circle", "Triangle", "Diamond",    "Pentagon",  "Hexagon",     "Octagon",
                            "Seal",   "Star",     "Text",       "Erase"};
    for (std::size_t i = 0; i < kAllDrawingTools.size(); ++i) {
        const DrawingTool t = kAllDrawingTools[i];
        EXPECT_EQ(toolIndex(t), static_cast<int>(i));
        EXPECT_EQ(rawValueText(t), raw[i]);
        EXPECT_EQ(displayName(t), labels[i]);
        EXPECT_EQ(drawingToolFromRaw(QString::fromLatin1(raw[i])), t);
    }
    EXPECT_FALSE(drawingToolFromRaw(u"Pencil"));
    EXPECT_FALSE(drawingToolFromRaw(u"pencil "));
    EXPECT_FALSE(drawingToolFromRaw(u""));
}

TEST(ToolbarDockPosition, RawValuesAreCaseNamesAndBottomCornersShareLabels) {
    const char* labels[] = {"Top Center",         "Top Left",      "Top Right",    "Top Left Vertical",
                            "Top Right Vertical", "Middle Left",   "Middle Right", "Bottom Left",
                            "Bottom Right",       "Bottom Center", "Bottom Left",  "Bottom Right"};
    for (std::size_t i = 0; i < kAllToolbarDockPositions.size(); ++i) {
        const auto p = kAllToolbarDockPositions[i];
        EXPECT_EQ(displayName(p), labels[i]);
        EXPECT_EQ(toolbarDockPositionFromRaw(rawValueText(p)), p);
        EXPECT_EQ(isVertical(p), rawValueText(p).endsWith('V'));
    }
    EXPECT_EQ(rawValueText(ToolbarDockPosition::bottomRightH), "bottomRightH");
    EXPECT_FALSE(toolbarDockPositionFromRaw(u"TopCenterH"));
    EXPECT_FALSE(smoothingAlgorithmFromRaw(u"bSpline"));
}

namespace {
DrawingStroke polygonWithEverything() {
    DrawingStroke s;
    s.tool = DrawingTool::triangle;
    s.points = {{1, 2}, {3, 4}};
    s.startPoint = {10, 20};
    s.endPoint = {30, 40};
    s.controlPoint = QPointF(5, 5);
    s.customVertices = std::vector<QPointF>{{10, 20}, {30, 20}, {20, 40}};
    s.bezierHandleIn = std::vector<QPointF>{{0, 0}, {1, 1}, {0, 0}};
    s.bezierHandleOut = std::vector<QPointF>{{0, 0}, {-1, -1}, {0, 0}};
    s.erasures = {ErasureStamp{{12, 22}, 4, QUuid::createUuid()}};
    return s;
}
} // namespace

TEST(DrawingStroke, NewStrokesHaveDistinctIdsAndTheCreationDefaults) {
    DrawingStroke a, b;
    EXPECT_NE(a.id, b.id);
    EXPECT_FALSE(a.id.isNull());
    EXPECT_EQ(a.displayID, 0u);
    EXPECT_EQ(a.gimpSpacing, 25.0);
    EXPECT_EQ(a.gimpCellSelection, GIMPCellSelection::sequential);
    EXPECT_EQ(a.offset, QSizeF(0, 0));
    EXPECT_FALSE(a.controlPoint || a.customVertices || a.gimpBrushID);
}

TEST(DrawingStroke, BakeOffsetMovesGeometryButNotArms) {
    DrawingStroke s = polygonWithEverything();
    const DrawingStroke unchanged = s;
    s.bakeOffset();
    EXPECT_EQ(s, unchanged); // zero offset: bit for bit the same

    s.offset = QSizeF(100, -5);
    s.bakeOffset();
    EXPECT_EQ(s.offset, QSizeF(0, 0));
    EXPECT_EQ(s.points[1], QPointF(103, -1));
    EXPECT_EQ(s.startPoint, QPointF(110, 15));
    EXPECT_EQ(s.endPoint, QPointF(130, 35));
    EXPECT_EQ(*s.controlPoint, QPointF(105, 0));
    EXPECT_EQ((*s.customVertices)[2], QPointF(120, 35));
    EXPECT_EQ(s.erasures[0].center, QPointF(112, 17));
    EXPECT_EQ(s.erasures[0].radius, 4);
    EXPECT_EQ(s.erasures[0].passID, unchanged.erasures[0].passID);
    EXPECT_EQ(s.bezierHandleIn, unchanged.bezierHandleIn);
    EXPECT_EQ(s.bezierHandleOut, unchanged.bezierHandleOut);
}

TEST(DrawingStroke, BoundingRectGrowsByTheFullWidthAndIgnoresControlPointAndOffset) {
    DrawingStroke text;
    text.tool = DrawingTool::text;
    text.text = "a long text that overflows its box";
    text.rotationDegrees = 45;
    text.startPoint = {100, 50};
    text.endPoint = {40, 80};
    text.lineWidth = 3;
    EXPECT_EQ(text.boundingRect(), QRectF(37, 47, 66, 36));

    DrawingStroke curve;
    curve.tool = DrawingTool::line;
    curve.startPoint = {0, 0};
    curve.endPoint = {100, 0};
    curve.controlPoint = QPointF(50, 500);
    curve.offset = QSizeF(1000, 1000);
    curve.lineWidth = 2;
    EXPECT_EQ(curve.boundingRect(), QRectF(-2, -2, 104, 4));

    DrawingStroke pen; // no points: still the ends, grown
    pen.lineWidth = 5;
    EXPECT_EQ(pen.boundingRect(), QRectF(-5, -5, 10, 10));

    pen.points = {{10, 10}, {20, -30}};
    EXPECT_EQ(pen.boundingRect(), QRectF(-5, -35, 30, 50));
    EXPECT_EQ(polygonWithEverything().boundingRect(), QRectF(-10, -9, 51, 60));
}

TEST(DrawingStroke, EqualityIsExact) {
    DrawingStroke a = polygonWithEverything();
    DrawingStroke b = a;
    EXPECT_EQ(a, b);
    b.points.mutableVector()[0].setX(1 + 1e-13); // QPointF alone would call these equal
    EXPECT_NE(a, b);
    b = a;
    b.erasures.mutableVector()[0].radius = 4.0000001;
    EXPECT_NE(a, b);
    b = a;
    b.customVertices.reset();
    EXPECT_NE(a, b);
    b = a;
    b.color.a = 0.5;
    EXPECT_NE(a, b);
}

TEST(DrawingOp, DisplayOfAnOperation) {
    DrawingStroke s;
    s.displayID = 7;
    EXPECT_EQ(DrawingOp::add(s).displayID(), 7u);
    const auto e = DrawingOp::erase(QUuid::createUuid(), 9, {});
    EXPECT_EQ(e.displayID(), 9u);
    EXPECT_TRUE(e.isErase());
    EXPECT_FALSE(e.asAdd());
    EXPECT_NE(DrawingOp::add(s), e);
}

TEST(FontPreset, JsonRoundTripAndWholeListRules) {
    const std::vector<FontPreset> presets{{QUuid::createUuid(), "Helvetica", 24}, {QUuid::createUuid(), "", 0}};
    const auto data = encodeFontPresets(presets);
    ASSERT_TRUE(data);
    EXPECT_EQ(decodeFontPresets(*data), presets);
    const QJsonObject first = QJsonDocument::fromJson(*data).array().at(0).toObject();
    EXPECT_EQ(first.keys(), (QStringList{"id", "name", "size"}));
    EXPECT_EQ(first.value("id").toString(), uuidText(presets[0].id));

    // Any bad record fails the whole list.
    EXPECT_FALSE(decodeFontPresets(R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"A","size":3},
                                       {"id":"0F8FAD5B-D9CB-469F-A165-70867728950F","name":"B"}])"));
    EXPECT_FALSE(decodeFontPresets(R"({"id":"x"})"));
    EXPECT_FALSE(decodeFontPresets("not json"));
    EXPECT_EQ(decodeFontPresets("[]"), std::vector<FontPreset>{});
    EXPECT_FALSE(encodeFontPresets({{QUuid::createUuid(), "A", std::nan("")}}));
}
