#include "colorpicker/ColorValues.h"
#include "model/BrushRecords.h"
#include "model/HarmonyType.h"
#include "model/SavedHarmony.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

namespace {
QString code(double r, double g, double b, ColorCodeFormat f) { return colorCodeString(Color{r, g, b, 1}, f); }
} // namespace

TEST(ColorCode, TableOfKnownColours) {
    struct Row {
        double r, g, b;
        const char *hex, *rgb, *hsl, *cmyk, *oklch;
    };
    const Row rows[] = {
        {1, 0, 0, "#FF0000", "255 0 0", "0° 100 50", "0 100 100 0", "62 0.26 29°"},
        {1, 1, 1, "#FFFFFF", "255 255 255", "0° 0 100", "0 0 0 0", "99 0.00 263°"},
        {0, 0, 0, "#000000", "0 0 0", "0° 0 0", "0 0 0 100", "0 0.00 0°"},
        {0.5, 0.5, 0.5, "#7F7F7F", "127 127 127", "0° 0 50", "0 0 0 50", "59 0.00 263°"},
        {0.2, 0.4, 0.6, "#336699", "51 102 153", "210° 49 40", "66 33 0 40", "49 0.10 250°"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hex);
        EXPECT_EQ(code(row.r, row.g, row.b, ColorCodeFormat::hex), QString::fromUtf8(row.hex));
        EXPECT_EQ(code(row.r, row.g, row.b, ColorCodeFormat::rgb), QString::fromUtf8(row.rgb));
        EXPECT_EQ(code(row.r, row.g, row.b, ColorCodeFormat::hsl), QString::fromUtf8(row.hsl));
        EXPECT_EQ(code(row.r, row.g, row.b, ColorCodeFormat::cmyk), QString::fromUtf8(row.cmyk));
        EXPECT_EQ(code(row.r, row.g, row.b, ColorCodeFormat::oklch), QString::fromUtf8(row.oklch));
    }
    EXPECT_EQ(code(1, 0, 0, ColorCodeFormat::hsv), QString::fromUtf8("0° 100 100"));
    EXPECT_EQ(code(1, 1, 1, ColorCodeFormat::hsv), QString::fromUtf8("0° 0 100"));
    EXPECT_EQ(code(0, 0, 0, ColorCodeFormat::hsv), QString::fromUtf8("0° 0 0"));
    EXPECT_EQ(code(0.2, 0.4, 0.6, ColorCodeFormat::hsv), QString::fromUtf8("210° 66 60"));
    // Truncation, not rounding: 0.29 × 100 is 28.999999999999996.
    EXPECT_EQ(code(0.29, 0.29, 0.29, ColorCodeFormat::hsl), QString::fromUtf8("0° 0 28"));
    // Opacity does not enter a code; a colour without a usable form reads as red.
    EXPECT_EQ(colorCodeString(Color{0.2, 0.4, 0.6, 0.1}, ColorCodeFormat::hex), "#336699");
    EXPECT_EQ(colorCodeString(Color{std::nan(""), 0, 0, 1}, ColorCodeFormat::rgb), "255 0 0");
}

TEST(ColorCode, HslAndOklchToTheDigitsGiven) {
    EXPECT_EQ(hslHueSaturation(0.2, 0.4, 0.6).saturation, 0.49999999999999994);
    const auto white = srgbToOKLCH(1, 1, 1);
    EXPECT_NEAR(white.lightness, 0.99999984, 5e-9);
    EXPECT_EQ(std::trunc(white.hueDegrees), 263);
    const auto black = srgbToOKLCH(0, 0, 0);
    EXPECT_EQ(black.chroma, 0);
    EXPECT_EQ(black.hueDegrees, 0);
    // Ties for the largest component go to red, then green.
    EXPECT_EQ(hslHueSaturation(1, 1, 0).hue, 1.0 / 6);
    EXPECT_NEAR(hslHueSaturation(0, 1, 1).hue, 0.5, 1e-15);
    EXPECT_NEAR(hslHueSaturation(1, 0, 0.5).hue * 360, 330, 1e-9);             // green below blue wraps
    EXPECT_NEAR(hslHueSaturation(0.9, 0.7, 0.7).saturation, 0.2 / 0.4, 1e-12); // l > 0.5 branch
}

TEST(Harmony, CompanionHuesWrapIntoTheUnitRange) {
    const auto a = companionHues(HarmonyType::analogous, 0.95);
    ASSERT_EQ(a.size(), 2u);
    EXPECT_NEAR(a[0], 0.8666666666666667, 1e-12);
    EXPECT_NEAR(a[1], 0.0333333333333333, 1e-12);
    EXPECT_EQ(companionHues(HarmonyType::complementary, 0), std::vector<double>{0.5});
    const auto b = companionHues(HarmonyType::analogous, 0);
    EXPECT_NEAR(b[0], 11.0 / 12, 1e-15);
    EXPECT_NEAR(b[1], 1.0 / 12, 1e-15);
    EXPECT_EQ(companionHues(HarmonyType::complementary, 0.5), std::vector<double>{0}); // exactly 1 is 0
    for (auto t : kAllHarmonyTypes)
        for (double h : companionHues(t, 0.999)) EXPECT_TRUE(h >= 0 && h < 1);

    const std::size_t counts[] = {3, 2, 5, 3, 4, 4, 3};
    for (std::size_t i = 0; i < kAllHarmonyTypes.size(); ++i) {
        SavedHarmony h{QUuid::createUuid(), "", kAllHarmonyTypes[i], 0.2, 1, 1};
        EXPECT_EQ(h.colors().size(), counts[i]) << rawValueText(kAllHarmonyTypes[i]).toStdString();
    }
    const auto colors = SavedHarmony{QUuid(), "", HarmonyType::triadic, 0, 1, 1}.colors();
    EXPECT_EQ(colors[0], (Color{1, 0, 0, 1}));
    EXPECT_NEAR(colors[1].g, 1, 1e-12); // a third of a turn: green
    EXPECT_NEAR(colors[2].b, 1, 1e-12);
}

TEST(ColorPanelHelpers, ContrastAndSelectionMatch) {
    EXPECT_EQ(contrastColor(Color{1, 1, 1, 1}), Color::black());
    EXPECT_EQ(contrastColor(Color{1, 1, 0, 0.2}), Color::black());
    EXPECT_EQ(contrastColor(Color{0, 0, 0.9, 1}), Color::white());
    EXPECT_EQ(contrastColor(Color{0.4, 0.4, 0.4, 1}), Color::white());
    // The first drawing colour is bright enough for black (5.9:1), though
    // its luma (0.45) is below one half; white would be 3.6:1.
    EXPECT_EQ(contrastColor(Color::red()), Color::black());
    for (double v = 0; v <= 1; v += 0.05)
        for (const Color c : {Color{v, 0, 0, 1}, Color{0, v, 0, 1}, Color{0, 0, v, 1}, Color{v, v, 1 - v, 1}})
            EXPECT_GE(contrastRatio(contrastColor(c), c), 4.58);

    // Where black and white stand out alike, white is taken: the grey whose
    // two contrasts are equal, found by halving, and a step either side.
    double darker = 0, brighter = 1;
    for (int i = 0; i < 60; ++i) {
        const double mid = (darker + brighter) / 2;
        const Color grey{mid, mid, mid, 1};
        (contrastRatio(Color::black(), grey) < contrastRatio(Color::white(), grey) ? darker : brighter) = mid;
    }
    const Color tie{darker, darker, darker, 1};
    ASSERT_NEAR(contrastRatio(Color::black(), tie), contrastRatio(Color::white(), tie), 1e-9);
    EXPECT_EQ(contrastColor(tie), Color::white());
    EXPECT_EQ(contrastColor(Color{darker + 0.01, darker + 0.01, darker + 0.01, 1}), Color::black());
    EXPECT_EQ(contrastColor(Color{darker - 0.01, darker - 0.01, darker - 0.01, 1}), Color::white());

    const Color sel{0.5, 0.5, 0.5, 1};
    EXPECT_TRUE(colorMatchesSelection(Color{0.509, 0.491, 0.509, 0.1}, sel));
    EXPECT_FALSE(colorMatchesSelection(Color{0.49, 0.5, 0.5, 1}, sel));
    EXPECT_FALSE(colorMatchesSelection(Color{0.5, 0.5, 0.51, 1}, sel));
}

TEST(SavedHarmonyJson, WritesEveryKeyAndDecodesRecordByRecord) {
    const SavedHarmony h{QUuid::createUuid(), "", HarmonyType::doubleSplitComplementary, 0.1, 0.2, 0.3};
    const auto data = encodeSavedHarmonies({h});
    ASSERT_TRUE(data);
    const QJsonObject o = QJsonDocument::fromJson(*data).array().at(0).toObject();
    EXPECT_EQ(o.size(), 6);
    EXPECT_EQ(o.value("name").toString(), "");
    EXPECT_EQ(o.value("harmonyType").toString(), "Double Split Complementary");
    EXPECT_EQ(o.value("id").toString(), uuidText(h.id));
    EXPECT_EQ(decodeSavedHarmonies(*data), std::vector<SavedHarmony>{h});

    QJsonObject noName = o;
    noName.remove("name");
    EXPECT_EQ(SavedHarmony::fromJson(noName), h);
    noName.insert("name", QJsonValue());
    EXPECT_EQ(SavedHarmony::fromJson(noName), h);
    for (auto key : {"id", "harmonyType", "hue", "saturation", "brightness"}) {
        QJsonObject missing = o;
        missing.remove(key);
        EXPECT_FALSE(SavedHarmony::fromJson(missing)) << key;
    }
    QJsonObject badType = o;
    badType.insert("harmonyType", "analogous");
    EXPECT_FALSE(SavedHarmony::fromJson(badType));

    const QJsonArray mixed{o, badType, 5, o};
    const auto decoded = decodeSavedHarmonies(QJsonDocument(mixed).toJson());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), 2u);
    EXPECT_FALSE(decodeSavedHarmonies("{}"));
    EXPECT_FALSE(encodeSavedHarmonies({SavedHarmony{QUuid(), "", HarmonyType::square, INFINITY, 0, 0}}));
}
