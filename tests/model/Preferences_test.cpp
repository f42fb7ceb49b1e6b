#include "support/LogCapture.h"
#include "support/TestDrawingState.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testing_support::TestDrawingState;

namespace {

// A state restarted over the same store after `fill` wrote into it.
template <typename Fill>
std::shared_ptr<DrawingState> restartedWith(TestDrawingState& t, Fill fill) {
    fill(*t.defaults);
    return t.makeAnother();
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

} // namespace

TEST(PreferenceWrites, SpacingIsClampedAndOnlyTheClampedValueIsStored) {
    TestDrawingState t;
    auto& s = *t.state;
    std::vector<double> seen;
    std::vector<std::optional<double>> storedWhenSeen;
    auto sub = s.gimpBrushSpacing.sink(
        [&](double v) {
            seen.push_back(v);
            storedWhenSeen.push_back(t.defaults->doubleValue("overink.gimpBrushSpacing"));
        },
        platform::Delivery::Immediate, platform::Initial::Skip);

    s.gimpBrushSpacing = 250.0;
    EXPECT_EQ(s.gimpBrushSpacing.get(), 200);
    EXPECT_EQ(t.defaults->doubleValue("overink.gimpBrushSpacing"), 200);
    ASSERT_EQ(seen, (std::vector<double>{250, 200}));
    EXPECT_FALSE(storedWhenSeen[1]); // 250 never reached the store

    s.gimpBrushSpacing = 0.5;
    EXPECT_EQ(s.gimpBrushSpacing.get(), 1);
    EXPECT_EQ(t.defaults->doubleValue("overink.gimpBrushSpacing"), 1);

    seen.clear();
    s.gimpBrushSpacing = kNaN;
    EXPECT_EQ(s.gimpBrushSpacing.get(), 200);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(std::isnan(seen[0]));
    EXPECT_EQ(seen[1], 200);

    s.gimpBrushSpacing = -kInf;
    EXPECT_EQ(s.gimpBrushSpacing.get(), 1);
    s.gimpBrushSpacing = 37.5;
    EXPECT_EQ(t.defaults->doubleValue("overink.gimpBrushSpacing"), 37.5);
}

TEST(PreferenceWrites, EachFieldWritesItsKeyInItsStoredForm) {
    TestDrawingState t;
    auto& s = *t.state;
    auto& d = *t.defaults;

    s.selectedTool = DrawingTool::arrow;
    EXPECT_EQ(d.stringValue("overink.selectedTool"), "arrow.up.right");
    s.selectedTool = std::nullopt; // passthrough writes nothing
    EXPECT_EQ(d.stringValue("overink.selectedTool"), "arrow.up.right");

    s.selectedColor = Color{0.1, 0.2, 0.3, 0.4};
    EXPECT_EQ(d.numberArray("overink.selectedColor"), (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
    s.selectedColor = Color{kNaN, 0, 0, 1}; // has no stored form
    EXPECT_EQ(d.numberArray("overink.selectedColor"), (std::vector<double>{0.1, 0.2, 0.3, 0.4}));

    s.lineWidth = 4.5;
    EXPECT_EQ(d.doubleValue("overink.lineWidth"), 4.5);
    s.lineWidth = kInf;
    EXPECT_EQ(d.doubleValue("overink.lineWidth"), 4.5);
    s.strokeOpacity = 0.25;
    EXPECT_EQ(d.doubleValue("overink.strokeOpacity"), 0.25);
    s.gimpBrushOpacity = 0.75;
    EXPECT_EQ(d.doubleValue("overink.gimpBrushOpacity"), 0.75);

    s.toolbarPenOrder.set({});
    EXPECT_EQ(d.stringArray("overink.toolbarPenOrder"), QStringList{});
    s.toolbarShapeOrder.set({DrawingTool::star, DrawingTool::rectangle});
    EXPECT_EQ(d.stringArray("overink.toolbarShapeOrder"), (QStringList{"star", "rectangle"}));
    s.smoothingEnabledTools.set({});
    EXPECT_EQ(d.stringArray("overink.smoothingEnabledTools"), QStringList{});
    s.smoothingEnabledTools.set({DrawingTool::pen, DrawingTool::chalk});
    EXPECT_EQ(d.stringArray("overink.smoothingEnabledTools")->size(), 2);
    s.smoothingAlgorithm = SmoothingAlgorithm::catmullRom;
    EXPECT_EQ(d.stringValue("overink.smoothingAlgorithm"), "Catmull-Rom");
    s.toolbarDockPosition = ToolbarDockPosition::middleLeftV;
    EXPECT_EQ(d.stringValue("overink.toolbarDockPosition"), "middleLeftV");
    s.showTooltips = false;
    EXPECT_EQ(d.boolValue("overink.showTooltips"), false);

    const QUuid brush = QUuid::createUuid();
    s.activeGIMPBrushID = brush;
    EXPECT_EQ(d.stringValue("overink.activeGIMPBrushID"), uuidText(brush));
    EXPECT_EQ(d.stringValue("overink.activeGIMPBrushID")->size(), 36);
    s.activeGIMPBrushID = std::nullopt; // removes the key, no empty text
    EXPECT_FALSE(d.contains("overink.activeGIMPBrushID"));

    s.savedHarmonies.set({SavedHarmony{QUuid::createUuid(), "", HarmonyType::triadic, 0.1, 0.2, 0.3}});
    ASSERT_TRUE(d.data("overink.savedHarmonies"));
    EXPECT_EQ(decodeSavedHarmonies(*d.data("overink.savedHarmonies")), s.savedHarmonies.get());
    const QByteArray before = *d.data("overink.savedHarmonies");
    s.savedHarmonies.set({SavedHarmony{QUuid::createUuid(), "x", HarmonyType::square, kNaN, 0, 0}});
    EXPECT_EQ(d.data("overink.savedHarmonies"), before); // encoding failed: left as it was
}

TEST(PreferenceWrites, EqualValuesAreWrittenToo) {
    TestDrawingState t;
    auto& s = *t.state;
    s.lineWidth = 11.0;
    EXPECT_EQ(t.defaults->doubleValue("overink.lineWidth"), 11);
    s.smoothingEnabledTools.set({DrawingTool::pen});
    EXPECT_TRUE(t.defaults->contains("overink.smoothingEnabledTools"));
}

TEST(PreferenceReads, StoredValuesAreReadBackWithoutRunningObservers) {
    TestDrawingState t;
    auto s = restartedWith(t, [](platform::UserDefaults& d) {
        d.setString("overink.selectedTool", "eraser");
        d.setNumberArray("overink.selectedColor", {0, 0.5, 1, 0.5});
        d.setDouble("overink.lineWidth", 63.5);
        d.setDouble("overink.strokeOpacity", 2.5);    // no upper bound
        d.setDouble("overink.gimpBrushSpacing", 500); // taken unclamped
        d.setDouble("overink.gimpBrushOpacity", 0.4);
        d.setStringArray("overink.toolbarPenOrder",
                         {"wand.and.sparkles", "pencil", "nonsense", "scribble", "paintbrush", "paintbrush.pointed"});
        d.setStringArray("overink.smoothingEnabledTools", {});
        d.setString("overink.smoothingAlgorithm", "Cubic B");
        d.setString("overink.toolbarDockPosition", "bottomRightV");
        d.setBool("overink.showTooltips", false);
    });
    EXPECT_EQ(s->selectedTool.get(), DrawingTool::eraser);
    EXPECT_EQ(s->selectedColor.get(), (Color{0, 0.5, 1, 0.5}));
    EXPECT_EQ(s->lineWidth.get(), 63.5);
    EXPECT_EQ(s->strokeOpacity.get(), 2.5);
    EXPECT_EQ(s->gimpBrushSpacing.get(), 500);
    EXPECT_EQ(s->gimpBrushOpacity.get(), 0.4);
    EXPECT_EQ(s->toolbarPenOrder.get(),
              (std::vector<DrawingTool>{DrawingTool::airbrush, DrawingTool::pen, DrawingTool::bezierPen,
                                        DrawingTool::calligraphyBrush, DrawingTool::brushPen}));
    EXPECT_TRUE(s->smoothingEnabledTools->empty()); // an empty set is kept
    EXPECT_EQ(s->smoothingAlgorithm.get(), SmoothingAlgorithm::bSpline);
    EXPECT_EQ(s->toolbarDockPosition.get(), ToolbarDockPosition::bottomRightV);
    EXPECT_FALSE(s->showTooltips.get());
    // No observer ran: nothing rewritten, move mode untouched, the next
    // spacing assignment is the first to clamp.
    EXPECT_EQ(t.defaults->doubleValue("overink.gimpBrushSpacing"), 500);
    EXPECT_FALSE(t.defaults->contains("overink.launchAtLogin"));
    s->gimpBrushSpacing = 500.0;
    EXPECT_EQ(s->gimpBrushSpacing.get(), 200);
}

TEST(PreferenceReads, RejectedValuesLeaveTheDefaults) {
    TestDrawingState t;
    auto s = restartedWith(t, [](platform::UserDefaults& d) {
        d.setString("overink.selectedTool", "pencil.tip");
        d.setNumberArray("overink.selectedColor", {1, 0, 0});
        d.setDouble("overink.lineWidth", 0);
        d.setDouble("overink.strokeOpacity", -1);
        d.setDouble("overink.gimpBrushOpacity", kNaN);
        d.setDouble("overink.gimpBrushSpacing", kInf);
        d.setStringArray("overink.toolbarPenOrder", {"pencil", "scribble", "paintbrush", "paintbrush.pointed"});
        d.setStringArray("overink.toolbarShapeOrder", {});
        d.setString("overink.smoothingAlgorithm", "chaikin");
        d.setString("overink.toolbarDockPosition", "TopLeftH");
        d.setString("overink.showTooltips", "false"); // wrong type
        d.setBool("overink.fontPresets", true);       // wrong type
        d.setData("overink.savedHarmonies", "{not json");
    });
    EXPECT_EQ(s->selectedTool.get(), DrawingTool::pen);
    EXPECT_EQ(s->selectedColor.get(), Color::red());
    EXPECT_EQ(s->lineWidth.get(), 11);
    EXPECT_EQ(s->strokeOpacity.get(), 1);
    EXPECT_EQ(s->gimpBrushOpacity.get(), 1);
    EXPECT_EQ(s->gimpBrushSpacing.get(), 10);
    EXPECT_EQ(s->toolbarPenOrder.get(), DrawingState::defaultPenOrder());
    EXPECT_EQ(s->toolbarShapeOrder.get(), DrawingState::defaultShapeOrder()); // empty order ignored
    EXPECT_EQ(s->smoothingAlgorithm.get(), SmoothingAlgorithm::chaikin);
    EXPECT_EQ(s->toolbarDockPosition.get(), ToolbarDockPosition::topCenterH);
    EXPECT_TRUE(s->showTooltips.get());
    EXPECT_TRUE(s->fontPresets->empty());
    EXPECT_TRUE(s->savedHarmonies->empty());

    auto s2 = restartedWith(t, [](platform::UserDefaults& d) {
        d.setString("overink.selectedTool", "drop.halffull");
        d.setDouble("overink.lineWidth", -3);
        d.setNumberArray("overink.selectedColor", {1, 0, kNaN, 1});
        d.setStringArray("overink.toolbarPenOrder",
                         {"pencil", "scribble", "paintbrush", "paintbrush.pointed", "wand.and.sparkles", "star"});
        d.setString("overink.lineWidth", "12"); // wrong type
    });
    EXPECT_EQ(s2->selectedTool.get(), DrawingTool::pen);
    EXPECT_EQ(s2->lineWidth.get(), 11);
    EXPECT_EQ(s2->selectedColor.get(), Color::red());
    EXPECT_EQ(s2->toolbarPenOrder.get(), DrawingState::defaultPenOrder()); // holds a shape
}

// A corrupt or hand-edited width of a million made every drag take seconds.
TEST(PreferenceReads, StoredWidthIsBroughtIntoTheToolbarsRange) {
    TestDrawingState t;
    testing_support::LogCapture log;
    const auto widthAfterStoring = [&](double stored) {
        t.defaults->setDouble("overink.lineWidth", stored);
        return t.makeAnother()->lineWidth.get();
    };
    EXPECT_EQ(widthAfterStoring(1e6), 100);
    EXPECT_EQ(log.countLines({"overink.lineWidth", "1e+06", "100"}), 1);
    EXPECT_EQ(widthAfterStoring(100.5), 100);
    EXPECT_EQ(widthAfterStoring(0.25), 1);
    EXPECT_EQ(widthAfterStoring(1), 1);
    EXPECT_EQ(widthAfterStoring(100), 100);
    EXPECT_EQ(widthAfterStoring(0), 11); // still refused, not clamped
    // Read back without writing: the stored value is left for the user to see.
    EXPECT_EQ(t.defaults->doubleValue("overink.lineWidth"), 0);
}

TEST(PreferenceReads, EachRefusedValueIsLoggedOnceWithItsKey) {
    TestDrawingState t;
    t.defaults->setString("overink.lineWidth", "wide");
    t.defaults->setStringArray("overink.toolbarShapeOrder", {});
    t.defaults->setString("overink.selectedTool", "drop.halffull"); // a rule, not a fault
    t.defaults->setString("overink.smoothingAlgorithm", "Catmull-Rom");
    testing_support::LogCapture log;
    t.makeAnother();
    EXPECT_EQ(log.countLines({"overink.lineWidth", "not accepted"}), 1);
    EXPECT_EQ(log.countLines({"overink.toolbarShapeOrder", "not accepted"}), 1);
    EXPECT_EQ(log.countLines({"overink.selectedTool"}), 0);
    EXPECT_EQ(log.countLines({"overink.smoothingAlgorithm"}), 0);
}

TEST(PreferenceReads, PassthroughKeepsTheLastToolForTheNextStart) {
    TestDrawingState t;
    t->selectedTool = DrawingTool::pen;
    t->selectedTool = std::nullopt;
    EXPECT_EQ(t.makeAnother()->selectedTool.get(), DrawingTool::pen);
}

TEST(PreferenceReads, SavedHarmoniesKeepTheRecordsThatDecode) {
    TestDrawingState t;
    const QByteArray data = R"([
        {"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","harmonyType":"Square","hue":0.5,"saturation":1,"brightness":1},
        {"id":"0F8FAD5B-D9CB-469F-A165-70867728950F","name":"bad","harmonyType":"Pentadic","hue":0.5,"saturation":1,"brightness":1},
        {"id":"1F8FAD5B-D9CB-469F-A165-70867728950E","name":"Sea","harmonyType":"Triadic","hue":0.25,"saturation":0.5,"brightness":0.75}
    ])";
    auto s = restartedWith(t, [&](platform::UserDefaults& d) { d.setData("overink.savedHarmonies", data); });
    ASSERT_EQ(s->savedHarmonies->size(), 2u);
    EXPECT_EQ(s->savedHarmonies->at(0).name, "");
    EXPECT_EQ(s->savedHarmonies->at(0).harmonyType, HarmonyType::square);
    EXPECT_EQ(s->savedHarmonies->at(1).name, "Sea");
}

TEST(PreferenceReads, FontPresetsFailAsAWhole) {
    TestDrawingState t;
    const QByteArray good = R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"Helvetica","size":18}])";
    auto s = restartedWith(t, [&](platform::UserDefaults& d) { d.setData("overink.fontPresets", good); });
    ASSERT_EQ(s->fontPresets->size(), 1u);
    EXPECT_EQ(s->fontPresets->front().size, 18);
    const QByteArray bad = R"([{"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","name":"Helvetica","size":18},
                               {"id":"0F8FAD5B-D9CB-469F-A165-70867728950F","name":"Menlo","size":"big"}])";
    EXPECT_TRUE(restartedWith(t, [&](platform::UserDefaults& d) {
                    d.setData("overink.fontPresets", bad);
                })->fontPresets->empty());
}

TEST(PreferenceReads, MissingPreferredFontLeavesTheSystemFont) {
    TestDrawingState t;
    t.fontInstalled = false;
    EXPECT_EQ(t.makeAnother()->textFontName.get(), "");
}

TEST(LaunchAtLogin, FieldFollowsTheLoginItemAndAssignmentsApplyIt) {
    TestDrawingState t;
    ASSERT_TRUE(t.loginItem->registerItem());
    auto s = restartedWith(t, [](platform::UserDefaults& d) { d.setBool("overink.launchAtLogin", false); });
    EXPECT_TRUE(s->launchAtLogin.get()); // the registration wins over the stored switch

    s->launchAtLogin = false;
    EXPECT_EQ(t.loginItem->status(), platform::LoginItem::Status::NotRegistered);
    EXPECT_EQ(t.defaults->boolValue("overink.launchAtLogin"), false);
    EXPECT_FALSE(t.makeAnother()->launchAtLogin.get());

    s->launchAtLogin = true;
    EXPECT_EQ(t.loginItem->status(), platform::LoginItem::Status::Enabled);
    EXPECT_TRUE(t.makeAnother()->launchAtLogin.get());

    // Already enabled: the registration is left alone.
    QFile file(t.loginItem->filePath());
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("# kept\n");
    file.close();
    s->launchAtLogin = true;
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().endsWith("# kept\n"));
}

TEST(ChangeObservers, SelectingAToolLeavesMoveMode) {
    TestDrawingState t;
    auto& s = *t.state;
    s.isMoveMode = true;
    s.selectedTool = std::nullopt;
    EXPECT_TRUE(s.isMoveMode.get());
    s.selectedTool = DrawingTool::pen; // also when it already is the tool
    EXPECT_FALSE(s.isMoveMode.get());
    s.isMoveMode = true;
    s.selectedTool = DrawingTool::pen;
    EXPECT_FALSE(s.isMoveMode.get());
}

TEST(ChangeObservers, ExplicitSelectionEndsWhenTheLastPlacedStrokeChanges) {
    TestDrawingState t;
    auto& s = *t.state;
    const QUuid a = QUuid::createUuid();
    s.lastPlacedStrokeID = a;
    s.isSelectionExplicit = true;
    s.lastPlacedStrokeID = a;
    EXPECT_TRUE(s.isSelectionExplicit.get());
    s.lastPlacedStrokeID = QUuid::createUuid();
    EXPECT_FALSE(s.isSelectionExplicit.get());
    s.isSelectionExplicit = true;
    s.lastPlacedStrokeID = std::nullopt;
    EXPECT_FALSE(s.isSelectionExplicit.get());
}

TEST(FontPresets, NearDuplicatesAreIgnoredAndTheNewestTwelveKept) {
    TestDrawingState t;
    auto& s = *t.state;
    s.addFontPreset("Helvetica", 20);
    s.addFontPreset("Helvetica", 20.3);
    ASSERT_EQ(s.fontPresets->size(), 1u);
    s.addFontPreset("helvetica", 20); // names compare exactly
    s.addFontPreset("Helvetica", 20.5);
    ASSERT_EQ(s.fontPresets->size(), 3u);
    EXPECT_EQ(s.fontPresets->front().size, 20.5);

    for (int i = 0; i < 9; ++i) s.addFontPreset(QStringLiteral("Font %1").arg(i), 12);
    ASSERT_EQ(s.fontPresets->size(), 12u);
    EXPECT_EQ(s.fontPresets->back().name, "Helvetica");
    EXPECT_EQ(s.fontPresets->back().size, 20);
    s.addFontPreset("Font 9", 12); // the 13th evicts the oldest
    ASSERT_EQ(s.fontPresets->size(), 12u);
    EXPECT_EQ(s.fontPresets->front().name, "Font 9");
    EXPECT_EQ(s.fontPresets->back().name, "helvetica");
    EXPECT_EQ(decodeFontPresets(*t.defaults->data("overink.fontPresets")), s.fontPresets.get());
}

TEST(PreferenceFile, WhatOneRunWritesTheNextReadsBackIdentically) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/defaults.json";
    std::vector<SavedHarmony> harmonies{
        {QUuid::createUuid(), "Dusk", HarmonyType::doubleSplitComplementary, 0.95, 0.3333333333333333, 0.1}};
    QUuid presetID;
    {
        TestDrawingState t({TestDrawingState::defaultScreen()}, platform::UserDefaults::fileBacked(path));
        auto& s = *t.state;
        s.selectedTool = DrawingTool::hexagon;
        s.selectedColor = Color{0.1, 0.7000000000000001, 1.0 / 3, 0.9};
        s.lineWidth = 7.25;
        s.strokeOpacity = 0.6;
        s.savedHarmonies.set(harmonies);
        s.addFontPreset("DejaVu Sans", 18.5);
        presetID = s.fontPresets->front().id;
        s.gimpBrushOpacity = 0.35;
        s.gimpBrushSpacing = 42.0;
        s.toolbarPenOrder.set({DrawingTool::brushPen, DrawingTool::airbrush, DrawingTool::pen, DrawingTool::bezierPen,
                               DrawingTool::calligraphyBrush});
        auto shapes = DrawingState::defaultShapeOrder();
        std::reverse(shapes.begin(), shapes.end());
        s.toolbarShapeOrder.set(shapes);
        s.smoothingEnabledTools.set({DrawingTool::pen, DrawingTool::brushPen});
        s.smoothingAlgorithm = SmoothingAlgorithm::catmullRom;
        s.toolbarDockPosition = ToolbarDockPosition::bottomLeftH;
        s.showTooltips = false;
        ASSERT_TRUE(t.defaults->flush());
    }
    TestDrawingState t({TestDrawingState::defaultScreen()}, platform::UserDefaults::fileBacked(path));
    auto& s = *t.state;
    EXPECT_EQ(s.selectedTool.get(), DrawingTool::hexagon);
    EXPECT_EQ(s.selectedColor.get(), (Color{0.1, 0.7000000000000001, 1.0 / 3, 0.9}));
    EXPECT_EQ(s.lineWidth.get(), 7.25);
    EXPECT_EQ(s.strokeOpacity.get(), 0.6);
    EXPECT_EQ(s.savedHarmonies.get(), harmonies);
    ASSERT_EQ(s.fontPresets->size(), 1u);
    EXPECT_EQ(s.fontPresets->front(), (FontPreset{presetID, "DejaVu Sans", 18.5}));
    EXPECT_EQ(s.gimpBrushOpacity.get(), 0.35);
    EXPECT_EQ(s.gimpBrushSpacing.get(), 42);
    EXPECT_EQ(s.toolbarPenOrder->front(), DrawingTool::brushPen);
    EXPECT_EQ(s.toolbarShapeOrder->front(), DrawingTool::star);
    EXPECT_EQ(s.smoothingEnabledTools.get(), (DrawingToolSet{DrawingTool::pen, DrawingTool::brushPen}));
    EXPECT_EQ(s.smoothingAlgorithm.get(), SmoothingAlgorithm::catmullRom);
    EXPECT_EQ(s.toolbarDockPosition.get(), ToolbarDockPosition::bottomLeftH);
    EXPECT_FALSE(s.showTooltips.get());
}
