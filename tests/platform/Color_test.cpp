// How well text in one colour stands out from another, and the colour text
// is moved to when it does not.
#include "platform/Color.h"

#include <gtest/gtest.h>

namespace {

const Color kLightWindow{239 / 255.0, 239 / 255.0, 239 / 255.0, 1};
const Color kDarkWindow{34 / 255.0, 32 / 255.0, 32 / 255.0, 1};

// The least contrast of text in `ink` on `ground`, over black and over white
// when something shows through the ground.
double worstContrast(const Color& ink, const Color& ground) {
    double least = 21;
    for (const Color& behind : {Color::black(), Color::white()}) {
        const Color g = composited(ground, behind);
        least = std::min(least, contrastRatio(composited(ink, g), g));
    }
    return least;
}

} // namespace

TEST(Contrast, RatiosFollowTheWcagFormula) {
    EXPECT_NEAR(contrastRatio(Color::black(), Color::white()), 21, 1e-9);
    EXPECT_NEAR(contrastRatio(Color::white(), Color::white()), 1, 1e-9);
    EXPECT_NEAR(contrastRatio(Color::white(), Color::red()), contrastRatio(Color::red(), Color::white()), 1e-12);
    // #767676 on white is the classic threshold: 4.54:1.
    EXPECT_NEAR(contrastRatio(Color{118 / 255.0, 118 / 255.0, 118 / 255.0, 1}, Color::white()), 4.54, 0.01);
    EXPECT_EQ(composited(Color::black().withAlpha(0.5), Color::white()), (Color{0.5, 0.5, 0.5, 1}));
}

TEST(Contrast, FaintTextIsMovedJustFarEnoughToReadOnAnyGround) {
    // Legible already: left exactly as it is.
    EXPECT_EQ(legibleOn(Color::black(), kLightWindow), Color::black());
    EXPECT_EQ(legibleOn(Color::white().withAlpha(0.55), kDarkWindow), Color::white().withAlpha(0.55));

    // Translucent text grows more opaque, no further than it takes.
    const Color secondary = legibleOn(Color::black().withAlpha(0.5), kLightWindow);
    EXPECT_EQ(secondary.withAlpha(1), Color::black());
    EXPECT_GT(secondary.a, 0.5);
    EXPECT_LT(secondary.a, 0.6);
    EXPECT_NEAR(worstContrast(secondary, kLightWindow), kLegibleContrast, 0.01);

    // A light accent on a light panel darkens; a dark one on a dark panel
    // lightens.
    const Color lightAccent{0.188, 0.549, 0.776, 1};
    const Color darkAccent{0.071, 0.376, 0.541, 1};
    const Color onLight = legibleOn(lightAccent, kLightWindow);
    EXPECT_LT(relativeLuminance(onLight), relativeLuminance(lightAccent));
    EXPECT_GE(worstContrast(onLight, kLightWindow), kLegibleContrast);
    const Color onDark = legibleOn(darkAccent, kDarkWindow);
    EXPECT_GT(relativeLuminance(onDark), relativeLuminance(darkAccent));
    EXPECT_GE(worstContrast(onDark, kDarkWindow), kLegibleContrast);

    // On a translucent material text reads whatever shows through it.
    for (const Color& window : {kLightWindow, kDarkWindow}) {
        const Color material = window.withAlpha(0.94);
        const Color text = window == kLightWindow ? Color::black() : Color::white();
        for (double alpha : {0.25, 0.5}) {
            const Color ink = legibleOn(text.withAlpha(alpha), material);
            EXPECT_GE(worstContrast(ink, material), kLegibleContrast) << alpha;
        }
    }
    // A mid grey ground that neither black nor white reaches 4.6:1 on (4.58
    // and 4.59): the better of the two.
    const Color grey{0.46, 0.46, 0.46, 1};
    const Color best = legibleOn(Color{0.45, 0.45, 0.45, 1}, grey);
    EXPECT_EQ(best, Color::white());
    EXPECT_GT(contrastRatio(best, grey), contrastRatio(Color::black(), grey));
}
