// The colour picker's model over the drawing state: what opening writes,
// how the wheel, the swatches and saved harmonies move the selection, the
// limit of eight, renaming with its keyboard requests, and the opacity.
#include "colorpicker/ColorPickerModel.h"

#include "model/DrawingState.h"
#include "platform/NotificationCenter.h"
#include "support/ColorPickerKeyRequests.h"
#include "support/TestDrawingState.h"
#include "ui/NotificationNames.h"

#include <gtest/gtest.h>

#include <QStringList>

using testing_support::ColorPickerKeyRequests;
using testing_support::TestDrawingState;

namespace {

// Every colour written to the selection, in order.
struct SelectionWrites {
    std::vector<Color> colors;
    platform::Subscription sub;
    explicit SelectionWrites(DrawingState& s)
        : sub(s.selectedColor.sink([this](const Color& c) { colors.push_back(c); }, platform::Delivery::Immediate,
                                   platform::Initial::Skip)) {}
};

SavedHarmony harmony(HarmonyType type, double h, double s, double b, const QString& name = {}) {
    return SavedHarmony{QUuid::createUuid(), name, type, h, s, b};
}

::testing::AssertionResult sameRGB(const Color& a, const Color& b, double tolerance = 1e-12) {
    if (std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.r << ", " << a.g << ", " << a.b << ") vs (" << b.r << ", " << b.g
                                         << ", " << b.b << ")";
}

} // namespace

TEST(ColorPickerModel, OpeningOnRedWritesNothing_OpeningOnAGreyRewritesItOpaque) {
    TestDrawingState t;
    t->selectedColor = Color{1, 0, 0, 0.5};
    {
        ColorPickerModel model(t.state);
        SelectionWrites writes(*t.state);
        model.appeared();
        EXPECT_EQ(model.hue, 0);
        EXPECT_EQ(model.saturation, 1);
        EXPECT_EQ(model.brightness, 1);
        EXPECT_TRUE(writes.colors.empty());
        EXPECT_EQ(t->selectedColor->a, 0.5) << "nothing changed, so nothing was rewritten";
    }

    t->selectedColor = Color{0.5, 0.5, 0.5, 0.4};
    ColorPickerModel model(t.state);
    SelectionWrites writes(*t.state);
    // Edits before the content is on screen write nothing.
    model.setBrightness(0.2);
    EXPECT_TRUE(writes.colors.empty());
    model.brightness = 1;
    model.appeared();
    EXPECT_EQ(model.hue, 0);
    EXPECT_EQ(model.saturation, 0);
    EXPECT_EQ(model.brightness, 0.5);
    // Saturation and brightness changed: two writes, both the same grey,
    // opaque, and never the white in between.
    ASSERT_EQ(writes.colors.size(), 2u);
    for (const Color& c : writes.colors) EXPECT_EQ(c, (Color{0.5, 0.5, 0.5, 1}));
}

TEST(ColorPickerModel, WheelEditsWriteOneColourPerChangedValue) {
    TestDrawingState t;
    t->selectedColor = Color{1, 0, 0, 1};
    ColorPickerModel model(t.state);
    model.appeared();
    SelectionWrites writes(*t.state);

    model.setHueSaturation(0.5, 0.5);
    ASSERT_EQ(writes.colors.size(), 2u);
    EXPECT_EQ(writes.colors[0], colorFromHSB(0.5, 0.5, 1));
    EXPECT_EQ(writes.colors[1], colorFromHSB(0.5, 0.5, 1));
    // Same hue, new saturation: one write.
    model.setHueSaturation(0.5, 0.25);
    EXPECT_EQ(writes.colors.size(), 3u);
    model.setHueSaturation(0.5, 0.25);
    EXPECT_EQ(writes.colors.size(), 3u) << "an unchanged value writes nothing";
    model.setBrightness(0.4);
    EXPECT_EQ(writes.colors.size(), 4u);
    EXPECT_EQ(t->selectedColor.get(), colorFromHSB(0.5, 0.25, 0.4));
}

TEST(ColorPickerModel, SwatchesSelectWithoutMovingTheWheel) {
    TestDrawingState t;
    t->selectedColor = Color{1, 0, 0, 1};
    ColorPickerModel model(t.state);
    model.appeared();
    model.harmonyType = HarmonyType::complementary;
    EXPECT_EQ(t->selectedColor.get(), (Color{1, 0, 0, 1})) << "a menu change alone writes nothing";

    auto colors = model.harmonyColors();
    ASSERT_EQ(colors.size(), 2u);
    EXPECT_TRUE(sameRGB(colors[1], Color{0, 1, 1, 1}));
    EXPECT_TRUE(model.matchesSelection(colors[0]));
    model.selectSwatch(colors[1]);
    EXPECT_EQ(t->selectedColor.get(), colors[1]);
    EXPECT_TRUE(model.matchesSelection(colors[1]));
    EXPECT_FALSE(model.matchesSelection(colors[0]));
    EXPECT_EQ(model.hue, 0);
    EXPECT_EQ(model.harmonyColors(), colors);

    // A saved harmony equal to what is shown changes nothing: the companion
    // stays selected.
    model.applySavedHarmony(harmony(HarmonyType::complementary, 0, 1, 1));
    EXPECT_EQ(t->selectedColor.get(), colors[1]);
    // A different one moves everything, and the selection follows.
    model.applySavedHarmony(harmony(HarmonyType::triadic, 0.5, 0.5, 0.5));
    EXPECT_EQ(model.harmonyType, HarmonyType::triadic);
    EXPECT_EQ(t->selectedColor.get(), colorFromHSB(0.5, 0.5, 0.5));
    EXPECT_EQ(model.harmonyColors().size(), 3u);
    // The wheel selects its own colour again.
    model.setHueSaturation(0.25, 1);
    EXPECT_EQ(t->selectedColor.get(), colorFromHSB(0.25, 1, 0.5));
}

TEST(ColorPickerModel, SavesUpToEightHarmoniesAndDeletesByIdentity) {
    TestDrawingState t;
    ColorPickerModel model(t.state);
    model.appeared();
    model.setHueSaturation(0.3, 0.6);
    model.harmonyType = HarmonyType::square;
    model.saveCurrentHarmony();
    model.saveCurrentHarmony();
    const auto& list = t->savedHarmonies.get();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_NE(list[0].id, list[1].id);
    for (const auto& h : list) {
        EXPECT_EQ(h.name, "");
        EXPECT_EQ(h.harmonyType, HarmonyType::square);
        EXPECT_EQ(h.hue, 0.3);
        EXPECT_EQ(h.saturation, 0.6);
        EXPECT_EQ(h.brightness, 1);
    }
    while (model.canSaveHarmony()) model.saveCurrentHarmony();
    EXPECT_EQ(t->savedHarmonies->size(), 8u);
    model.saveCurrentHarmony();
    EXPECT_EQ(t->savedHarmonies->size(), 8u);

    // A longer list from storage stays whole and can be thinned out; the
    // same id twice goes in one deletion.
    std::vector<SavedHarmony> stored;
    for (int i = 0; i < 10; ++i) stored.push_back(harmony(HarmonyType::triadic, i / 10.0, 1, 1));
    stored[7].id = stored[2].id;
    t->savedHarmonies = stored;
    model.saveCurrentHarmony();
    EXPECT_EQ(t->savedHarmonies->size(), 10u);
    model.beginRename(stored[2]);
    model.deleteSavedHarmony(stored[2]);
    ASSERT_EQ(t->savedHarmonies->size(), 8u);
    EXPECT_EQ(t->savedHarmonies.get()[2].id, stored[3].id);
    EXPECT_EQ(t->savedHarmonies.get()[6].id, stored[8].id);
    EXPECT_EQ(model.renamingHarmonyID.get(), stored[2].id) << "deleting does not touch the renaming";
}

TEST(ColorPickerModel, RenamingAsksForTheKeyboardAndGivesItBack) {
    TestDrawingState t;
    const auto a = harmony(HarmonyType::analogous, 0.1, 1, 1);
    const auto b = harmony(HarmonyType::tetradic, 0.2, 1, 1, "keep");
    t->savedHarmonies = {a, b};
    ColorPickerModel model(t.state);
    ColorPickerKeyRequests keys;

    model.beginRename(a);
    EXPECT_EQ(model.renamingHarmonyID.get(), a.id);
    model.renameFieldAppeared();
    EXPECT_EQ(keys.posted, QStringList{"ColorPickerRequestKey"});

    // Every keystroke is stored as typed.
    model.renameHarmony(0, a.id, "  ");
    EXPECT_EQ(t->savedHarmonies.get()[0].name, "  ");
    model.renameHarmony(0, a.id, "");
    EXPECT_EQ(t->savedHarmonies.get()[0].name, "");
    // A row that no longer matches its place writes nothing.
    model.renameHarmony(1, a.id, "wrong");
    model.renameHarmony(5, a.id, "wrong");
    EXPECT_EQ(t->savedHarmonies.get()[1].name, "keep");

    model.renameFieldFocusChanged(true);
    EXPECT_EQ(model.renamingHarmonyID.get(), a.id);
    model.endRename();
    EXPECT_FALSE(model.renamingHarmonyID.get());
    EXPECT_EQ(keys.posted, (QStringList{"ColorPickerRequestKey", "ColorPickerResignKey"}));

    model.beginRename(b);
    model.renameFieldFocusChanged(false);
    EXPECT_FALSE(model.renamingHarmonyID.get());
    EXPECT_EQ(keys.posted.size(), 3);
    EXPECT_EQ(keys.posted.last(), "ColorPickerResignKey");
}

TEST(ColorPickerModel, OpacityStaysWithinItsRangeAndShowsAsAWholePercentage) {
    TestDrawingState t;
    ColorPickerModel model(t.state);
    model.setOpacity(0);
    EXPECT_EQ(t->strokeOpacity.get(), 0.05);
    model.setOpacity(1.5);
    EXPECT_EQ(t->strokeOpacity.get(), 1);
    model.setOpacity(std::nan(""));
    EXPECT_EQ(t->strokeOpacity.get(), 1);
    model.setOpacity(0.3);
    EXPECT_EQ(t->strokeOpacity.get(), 0.3);
    EXPECT_EQ(ColorPickerModel::opacityPercentText(0.05), "5%");
    EXPECT_EQ(ColorPickerModel::opacityPercentText(1), "100%");
    EXPECT_EQ(ColorPickerModel::opacityPercentText(0.125), "13%");
    EXPECT_EQ(ColorPickerModel::opacityPercentText(0.994), "99%");
}

TEST(ColorPickerModel, CodesFollowTheChosenFormat) {
    TestDrawingState t;
    ColorPickerModel model(t.state);
    const Color blue{0.2, 0.4, 0.6, 1};
    EXPECT_EQ(model.codeString(blue), "#336699");
    model.codeFormat = ColorCodeFormat::cmyk;
    EXPECT_EQ(model.codeString(blue), "66 33 0 40");
}
