// The font picker's rules: the family list and its search, auto-size, typed
// and stepped sizes, the size field's locale text, and favourites' size
// labels.
#include "toolbar/FontPickerModel.h"

#include "model/DrawingState.h"
#include "support/TestDrawingState.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using testing_support::TestDrawingState;

namespace {

struct Picker {
    TestDrawingState t;
    QStringList installed{"Zapfino", "DejaVu Sans", "dejavu serif", "Noto Sans Mono", "Symbola"};
    int asked = 0;
    FontPickerModel model{t->textFontName, t->textFontSize, t.state, [this] {
                              ++asked;
                              return installed;
                          }};

    QStringList search(const QString& text) {
        model.searchText = text;
        return model.filteredFamilies();
    }
};

} // namespace

TEST(FontPickerModel, ListsTheSystemFontFirstThenTheDatabaseInItsOwnOrder) {
    Picker p;
    EXPECT_EQ(p.model.filteredFamilies(),
              (QStringList{"", "Zapfino", "DejaVu Sans", "dejavu serif", "Noto Sans Mono", "Symbola"}));
    EXPECT_EQ(FontPickerModel::displayName(""), "System Font");
    EXPECT_EQ(FontPickerModel::displayName("Zapfino"), "Zapfino");
    // No cache: a font installed meanwhile shows on the next evaluation.
    p.installed.append("Fresh Font");
    EXPECT_EQ(p.model.filteredFamilies().back(), "Fresh Font");
    EXPECT_EQ(p.asked, 2);
    // A nameless family from the database does not make a second system row.
    p.installed.prepend("");
    EXPECT_EQ(p.model.filteredFamilies().count(""), 1);
}

TEST(FontPickerModel, SearchIgnoresCaseKeepsSpacesAndMatchesTheSystemFontByItsName) {
    Picker p;
    for (const char* s : {"sys", "SYS", "sYs", "System Font", "m f"}) EXPECT_EQ(p.search(s), QStringList{""}) << s;
    EXPECT_EQ(p.search("DEJAVU"), (QStringList{"DejaVu Sans", "dejavu serif"}));
    EXPECT_EQ(p.search("sans"), (QStringList{"DejaVu Sans", "Noto Sans Mono"}));
    // Spaces are part of the search.
    EXPECT_EQ(p.search("Sans "), QStringList{"Noto Sans Mono"});
    EXPECT_EQ(p.search(" sans"), (QStringList{"DejaVu Sans", "Noto Sans Mono"}));
    EXPECT_TRUE(p.search("xyzzy").isEmpty());
    EXPECT_EQ(p.search("").size(), 6);
}

TEST(FontPickerModel, PickingAFamilyChangesOnlyTheName) {
    Picker p;
    p.t->textFontSize = 31;
    p.model.selectFamily("Symbola");
    EXPECT_EQ(p.t->textFontName.get(), "Symbola");
    EXPECT_TRUE(p.model.isSelected("Symbola"));
    EXPECT_FALSE(p.model.isSelected(""));
    EXPECT_EQ(p.t->textFontSize.get(), 31);
    p.model.selectFamily("");
    EXPECT_TRUE(p.model.isSelected(""));
    EXPECT_TRUE(p.t->textFontName->isEmpty());
}

TEST(FontPickerModel, AutoSizeIsZeroAndTurningItOffGives24) {
    Picker p;
    p.t->textFontSize = 0;
    EXPECT_TRUE(p.model.isAutoSize());
    EXPECT_FALSE(p.model.showsSizeRow());
    p.model.setAutoSize(false);
    EXPECT_EQ(p.t->textFontSize.get(), 24);
    EXPECT_TRUE(p.model.showsSizeRow());
    p.t->textFontSize = 57;
    p.model.setAutoSize(true);
    EXPECT_EQ(p.t->textFontSize.get(), 0);
    // The size before auto-size is not remembered.
    p.model.setAutoSize(false);
    EXPECT_EQ(p.t->textFontSize.get(), 24);
}

TEST(FontPickerModel, TypedSizesAreKeptUnclampedButNegativeOnesAreIgnored) {
    Picker p;
    p.t->textFontSize = 20;
    p.model.setTypedSize(5);
    EXPECT_EQ(p.t->textFontSize.get(), 5);
    p.model.setTypedSize(500);
    EXPECT_EQ(p.t->textFontSize.get(), 500);
    p.model.setTypedSize(14.7);
    EXPECT_DOUBLE_EQ(p.t->textFontSize.get(), 14.7);
    for (double bad : {-5.0, -0.25, std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        p.model.setTypedSize(bad);
        EXPECT_DOUBLE_EQ(p.t->textFontSize.get(), 14.7) << bad;
    }
    EXPECT_FALSE(p.model.isAutoSize());
    p.model.setTypedSize(0);
    EXPECT_TRUE(p.model.isAutoSize());
    EXPECT_FALSE(p.model.showsSizeRow());
}

TEST(FontPickerModel, TheStepperMovesByOneWithin6To400) {
    Picker p;
    p.t->textFontSize = 7;
    p.model.stepDown();
    EXPECT_EQ(p.t->textFontSize.get(), 6);
    EXPECT_FALSE(p.model.canStepDown());
    p.model.stepDown();
    EXPECT_EQ(p.t->textFontSize.get(), 6);

    p.t->textFontSize = 14.7;
    p.model.stepUp();
    EXPECT_DOUBLE_EQ(p.t->textFontSize.get(), 15.7);
    p.t->textFontSize = 399.5;
    p.model.stepUp();
    EXPECT_EQ(p.t->textFontSize.get(), 400);
    EXPECT_FALSE(p.model.canStepUp());
    p.model.stepUp();
    EXPECT_EQ(p.t->textFontSize.get(), 400);
    EXPECT_TRUE(p.model.canStepDown());

    // Typed sizes outside the range: the step that leads back into it lands
    // on its end; the other is not offered.
    p.t->textFontSize = 500;
    EXPECT_FALSE(p.model.canStepUp());
    p.model.stepDown();
    EXPECT_EQ(p.t->textFontSize.get(), 400);
    p.t->textFontSize = 5;
    EXPECT_FALSE(p.model.canStepDown());
    p.model.stepUp();
    EXPECT_EQ(p.t->textFontSize.get(), 6);
}

TEST(FontPickerModel, TheSizeFieldSpeaksTheLocale) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(FontPickerModel::sizeFieldText(14.7, english), "14.7");
    EXPECT_EQ(FontPickerModel::sizeFieldText(24, english), "24");
    EXPECT_EQ(FontPickerModel::sizeFieldText(1000, english), "1,000");
    EXPECT_EQ(FontPickerModel::sizeFieldText(0.1 + 0.2, english), "0.3");
    EXPECT_EQ(FontPickerModel::sizeFieldText(100, english), "100");
    EXPECT_EQ(FontPickerModel::sizeFieldText(14.7, german), "14,7");
    EXPECT_EQ(FontPickerModel::sizeFieldText(1500.25, german), "1.500,25");
    // A size fitted to a display shows at most two decimals.
    EXPECT_EQ(FontPickerModel::sizeFieldText(31.742774193548, english), "31.74");
    EXPECT_EQ(FontPickerModel::sizeFieldText(31.742774193548, german), "31,74");
    EXPECT_EQ(FontPickerModel::sizeFieldText(17.996, english), "18");
    EXPECT_EQ(FontPickerModel::sizeFieldText(0.125, english), "0.13");

    EXPECT_EQ(FontPickerModel::parseSizeField("14.7", english), 14.7);
    EXPECT_EQ(FontPickerModel::parseSizeField(" 18 ", english), 18);
    EXPECT_EQ(FontPickerModel::parseSizeField("1,000", english), 1000);
    EXPECT_EQ(FontPickerModel::parseSizeField("-5", english), -5);
    EXPECT_EQ(FontPickerModel::parseSizeField("14,7", german), 14.7);
    EXPECT_FALSE(FontPickerModel::parseSizeField("", english));
    EXPECT_FALSE(FontPickerModel::parseSizeField("12pt", english));
    EXPECT_FALSE(FontPickerModel::parseSizeField("inf", english));
    EXPECT_FALSE(FontPickerModel::parseSizeField("nan", english));
    EXPECT_FALSE(FontPickerModel::parseSizeField("1e999", english));
}

TEST(FontPickerModel, AFavouritesSizeLabelIsItsWholePoints) {
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(14.7), "14 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(0), "0 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(400), "400 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(-0.9), "0 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(1e300), "9223372036854775807 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(-1e300), "-9223372036854775808 pt");
    EXPECT_EQ(FontPickerModel::favoriteSizeLabel(std::nan("")), "0 pt");
}
