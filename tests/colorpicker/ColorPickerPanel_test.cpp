// The colour picker's content on screen (offscreen): its layout, what
// opening writes, swatch taps and their outline, the save button at eight,
// the opacity row, the six code formats, renaming with the keyboard, and
// saved harmonies read back from storage.
#include "colorpicker/ColorPickerPanel.h"

#include "colorpicker/ColorWheelView.h"
#include "colorpicker/HarmonySwatchRowView.h"
#include "colorpicker/PickerStyle.h"
#include "colorpicker/SavedHarmonyRow.h"
#include "model/DrawingState.h"
#include "platform/NotificationCenter.h"
#include "support/ColorPickerKeyRequests.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "ui/NotificationNames.h"
#include "ui/SymbolButton.h"

#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>

#include <gtest/gtest.h>

using testing_support::ColorPickerKeyRequests;
using testing_support::TestDrawingState;
using testing_support::waitUntil;

namespace {

struct Panel {
    TestDrawingState t;
    int dismissals = 0;
    std::shared_ptr<DismissBox> dismissBox = std::make_shared<DismissBox>();
    std::unique_ptr<ColorPickerPanel> panel;

    explicit Panel(Color selection = Color{1, 0, 0, 1}, std::vector<SavedHarmony> saved = {}) {
        t->selectedColor = selection;
        t->savedHarmonies = std::move(saved);
    }
    ColorPickerPanel& open() {
        dismissBox->dismiss = [this] { ++dismissals; };
        panel = std::make_unique<ColorPickerPanel>(t.state, dismissBox);
        panel->show();
        settle();
        return *panel;
    }
    void settle() {
        QApplication::sendPostedEvents();
        QApplication::processEvents();
    }
};

void click(QWidget* w, QPointF p) {
    const QPointF global = w->mapToGlobal(p);
    QMouseEvent press(QEvent::MouseButtonPress, p, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Sends a key to the widget the way the application would, and says
// whether someone took it.
bool key(QWidget* w, int k, const QString& text = {}) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

SavedHarmony harmony(HarmonyType type, double h, const QString& name = {}) {
    return SavedHarmony{QUuid::createUuid(), name, type, h, 0.8, 0.9};
}

QImage grabbed(QWidget* w) { return w->grab().toImage(); }

} // namespace

TEST(ColorPickerPanel, LaysOutItsColumnAndFitsItsHeightToTheList) {
    Panel p;
    auto& panel = p.open();
    EXPECT_EQ(panel.width(), 246);
    EXPECT_EQ(panel.wheel()->geometry(), QRect(12, panel.wheel()->y(), 222, 222));
    EXPECT_EQ(panel.swatchRow()->geometry().size(), QSize(222, 44));
    EXPECT_LE(panel.formatMenu()->width(), 72);
    EXPECT_LE(panel.harmonyMenu()->geometry().right(), panel.formatMenu()->geometry().left());
    QStringList formats, harmonies;
    for (int i = 0; i < panel.formatMenu()->count(); ++i) formats << panel.formatMenu()->itemText(i);
    for (int i = 0; i < panel.harmonyMenu()->count(); ++i) harmonies << panel.harmonyMenu()->itemText(i);
    EXPECT_EQ(formats, (QStringList{"Hex", "RGB", "HSL", "HSV", "CMYK", "OKLCH"}));
    EXPECT_EQ(harmonies.first(), "Analogous");
    EXPECT_EQ(panel.harmonyMenu()->currentText(), "Complementary");
    EXPECT_EQ(panel.formatMenu()->currentText(), "Hex");
    EXPECT_TRUE(panel.emptyHarmoniesText()->isVisible());
    EXPECT_EQ(panel.emptyHarmoniesText()->text(), "No saved harmonies");

    std::vector<int> heights;
    platform::Subscription sub = panel.heightChanged.connect([&](int h) { heights.push_back(h); });
    const int before = panel.height();
    panel.model().saveCurrentHarmony();
    panel.model().saveCurrentHarmony();
    ASSERT_TRUE(waitUntil([&] { return panel.height() > before; }));
    EXPECT_EQ(panel.width(), 246);
    EXPECT_FALSE(panel.emptyHarmoniesText()->isVisible());
    ASSERT_EQ(panel.harmonyRows().size(), 2u);
    EXPECT_EQ(panel.harmonyRows()[0]->height(), 28);
    EXPECT_EQ(panel.harmonyRows()[1]->y() - panel.harmonyRows()[0]->geometry().bottom() - 1, 2);
    ASSERT_FALSE(heights.empty());
    EXPECT_EQ(heights.back(), panel.height());
}

TEST(ColorPickerPanel, OpeningOnRedWritesNothing_OnAGreyRewritesItOpaque) {
    {
        Panel p(Color{1, 0, 0, 1});
        int writes = 0;
        auto sub = p.t->selectedColor.sink([&](const Color&) { ++writes; }, platform::Delivery::Immediate,
                                           platform::Initial::Skip);
        p.open();
        EXPECT_EQ(writes, 0);
    }
    Panel p(Color{0.25, 0.25, 0.25, 0.5});
    auto& panel = p.open();
    EXPECT_EQ(p.t->selectedColor.get(), (Color{0.25, 0.25, 0.25, 1}));
    EXPECT_EQ(panel.wheel()->saturation(), 0);
    EXPECT_EQ(panel.wheel()->brightness(), 0.25);
    // The knob went to the right half for the brightness read.
    EXPECT_NEAR(panel.wheel()->ringAngle(), std::asin(0.5), 1e-12);
}

TEST(ColorPickerPanel, ASwatchTapMovesTheOutlineNotTheWheel) {
    Panel p(Color{1, 0, 0, 1});
    auto& panel = p.open();
    panel.harmonyMenu()->activated(static_cast<int>(HarmonyType::doubleSplitComplementary));
    EXPECT_EQ(panel.model().harmonyType, HarmonyType::doubleSplitComplementary);
    EXPECT_EQ(panel.wheel()->harmonyType(), HarmonyType::doubleSplitComplementary);
    const auto rects = panel.swatchRow()->swatchRects();
    ASSERT_EQ(rects.size(), 5u);
    for (const auto& r : rects) EXPECT_NEAR(r.width(), (222 - 4) / 5.0, 1e-9);
    EXPECT_EQ(rects.back().right(), 222);

    auto outlined = [&](int i) {
        const QImage img = grabbed(panel.swatchRow());
        const QColor top = img.pixelColor(static_cast<int>(rects[i].center().x()), 0);
        return top.red() > 240 && top.green() > 240 && top.blue() > 240;
    };
    p.settle();
    EXPECT_TRUE(outlined(0));
    EXPECT_FALSE(outlined(2));

    const auto colors = panel.model().harmonyColors();
    click(panel.swatchRow(), rects[2].center());
    p.settle();
    EXPECT_EQ(p.t->selectedColor.get(), colors[2]);
    EXPECT_TRUE(outlined(2));
    EXPECT_FALSE(outlined(0));
    EXPECT_EQ(panel.wheel()->hue(), 0);
    EXPECT_EQ(panel.model().harmonyColors(), colors);

    // A drag on the wheel selects the wheel's colour again, at once.
    const QPointF centre = panel.wheel()->geometry().center();
    click(panel.wheel(), panel.wheel()->mapFromParent(centre.toPoint()) + QPointF(0, -87));
    EXPECT_TRUE(panel.model().matchesSelection(panel.model().harmonyColors()[0]));
    EXPECT_EQ(p.t->selectedColor.get(), panel.model().harmonyColors()[0]);
}

TEST(ColorPickerPanel, TheEighthSavedHarmonyDisablesTheSaveButton) {
    std::vector<SavedHarmony> seven;
    for (int i = 0; i < 7; ++i) seven.push_back(harmony(HarmonyType::triadic, i / 7.0));
    Panel p(Color{1, 0, 0, 1}, seven);
    auto& panel = p.open();
    const PickerStyle style = pickerStyle(&panel);
    SymbolButton* save = panel.saveButton();
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(helpText(save), "Save current harmony");
    EXPECT_EQ(save->color(), style.primary);
    EXPECT_TRUE(save->toolTip().isEmpty());

    click(save, save->rect().center());
    EXPECT_EQ(p.t->savedHarmonies->size(), 8u);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(helpText(save), "Maximum of 8 saved harmonies");
    EXPECT_EQ(save->color(), style.secondary);
    click(save, save->rect().center());
    EXPECT_EQ(p.t->savedHarmonies->size(), 8u);
    EXPECT_EQ(panel.harmonyRows().size(), 8u);

    // Deleting one through its row frees the button again.
    click(panel.harmonyRows()[3]->deleteButton(), panel.harmonyRows()[3]->deleteButton()->rect().center());
    p.settle();
    EXPECT_EQ(p.t->savedHarmonies->size(), 7u);
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(helpText(save), "Save current harmony");
}

TEST(ColorPickerPanel, RowsShowTheirNameOrTheirKindAndApplyOnATap) {
    const auto unnamed = harmony(HarmonyType::splitComplementary, 0.6);
    const auto spaces = harmony(HarmonyType::square, 0.3, "   ");
    Panel p(Color{1, 0, 0, 1}, {unnamed, spaces});
    auto& panel = p.open();
    ASSERT_EQ(panel.harmonyRows().size(), 2u);
    SavedHarmonyRow* row = panel.harmonyRows()[0];
    EXPECT_EQ(row->nameLabel()->text(), "Split Complementary");
    EXPECT_EQ(panel.harmonyRows()[1]->nameLabel()->text(), "   ");
    EXPECT_EQ(helpText(row->renameButton()), "Rename");

    // The padding at the row's ends is outside the tap area.
    click(row, QPointF(2, row->height() / 2.0));
    EXPECT_EQ(panel.model().hue, 0);
    click(row, QPointF(row->width() / 2.0, row->height() / 2.0));
    EXPECT_EQ(panel.model().harmonyType, HarmonyType::splitComplementary);
    EXPECT_EQ(panel.model().hue, 0.6);
    EXPECT_EQ(p.t->selectedColor.get(), colorFromHSB(0.6, 0.8, 0.9));
    EXPECT_EQ(panel.harmonyMenu()->currentText(), "Split Complementary");
    EXPECT_EQ(panel.wheel()->hue(), 0.6);
}

TEST(ColorPickerPanel, OpacityRowFollowsAndWritesTheStrokeOpacity) {
    Panel p;
    p.t->strokeOpacity = 0.125;
    auto& panel = p.open();
    QSlider* slider = panel.opacitySlider();
    EXPECT_EQ(panel.opacityPercent()->text(), "13%");
    EXPECT_EQ(slider->value(), 125);
    EXPECT_EQ(slider->accessibleName(), "Stroke opacity");
    EXPECT_EQ(p.t->strokeOpacity.get(), 0.125) << "showing the opacity does not write it";

    slider->setValue(slider->minimum());
    EXPECT_EQ(p.t->strokeOpacity.get(), 0.05);
    EXPECT_EQ(panel.opacityPercent()->text(), "5%");
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(p.t->strokeOpacity.get(), 0.05);
    slider->setValue(slider->maximum());
    EXPECT_EQ(p.t->strokeOpacity.get(), 1);
    EXPECT_EQ(panel.opacityPercent()->text(), "100%");
}

TEST(ColorPickerPanel, ShowsTheCodeInEachOfTheSixFormats) {
    Panel p(Color{1, 0, 0, 1});
    auto& panel = p.open();
    const QStringList expected{"#FF0000", "255 0 0", "0° 100 50", "0° 100 100", "0 100 100 0", "62 0.26 29°"};
    const Color red = panel.model().harmonyColors()[0];
    for (int i = 0; i < 6; ++i) {
        panel.formatMenu()->activated(i);
        EXPECT_EQ(panel.model().codeString(red), expected[i]);
        // Every code fits its swatch, shrunk at most to 40%.
        const double width = panel.swatchRow()->swatchRects()[0].width();
        const QFont font = panel.swatchRow()->codeFont(expected[i], width);
        EXPECT_GE(font.pixelSize(), 4);
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(expected[i]), width - 6 + 0.5) << expected[i].toStdString();
    }
    EXPECT_EQ(p.t->selectedColor.get(), (Color{1, 0, 0, 1}));
}

TEST(ColorPickerPanel, RenamingTakesTheKeyboardAndKeepsEscAndDelete) {
    const auto first = harmony(HarmonyType::triadic, 0.1, "old");
    const auto second = harmony(HarmonyType::analogous, 0.2);
    Panel p(Color{1, 0, 0, 1}, {first, second});
    auto& panel = p.open();
    panel.activateWindow();
    QApplication::setActiveWindow(&panel);
    ColorPickerKeyRequests keys;

    SavedHarmonyRow* row = panel.harmonyRows()[0];
    click(row->renameButton(), row->renameButton()->rect().center());
    p.settle();
    ASSERT_NE(row->renameField(), nullptr);
    EXPECT_EQ(keys.posted, QStringList{"ColorPickerRequestKey"});
    HarmonyNameField* field = row->renameField();
    EXPECT_EQ(field->placeholderText(), "Triadic");
    EXPECT_EQ(field->text(), "old");
    ASSERT_TRUE(waitUntil([&] { return panel.isRenameFieldFocused(); }));

    // Each keystroke reaches the drawing state; the field keeps its focus.
    field->selectAll();
    EXPECT_TRUE(key(field, Qt::Key_Delete));
    EXPECT_EQ(p.t->savedHarmonies.get()[0].name, "");
    key(field, Qt::Key_N, "N");
    key(field, Qt::Key_U, "u");
    EXPECT_EQ(p.t->savedHarmonies.get()[0].name, "Nu");
    EXPECT_EQ(row->renameField(), field);
    EXPECT_TRUE(panel.isRenameFieldFocused());

    // Esc is the field's: it ends the renaming and goes no further.
    EXPECT_TRUE(key(field, Qt::Key_Escape));
    p.settle();
    EXPECT_EQ(row->renameField(), nullptr);
    EXPECT_FALSE(panel.model().renamingHarmonyID.get());
    EXPECT_EQ(keys.posted, (QStringList{"ColorPickerRequestKey", "ColorPickerResignKey"}));
    EXPECT_EQ(row->nameLabel()->text(), "Nu");
    EXPECT_FALSE(panel.isRenameFieldFocused());
    EXPECT_EQ(p.dismissals, 0);

    // Return ends it too.
    click(row->renameButton(), row->renameButton()->rect().center());
    p.settle();
    ASSERT_NE(row->renameField(), nullptr);
    key(row->renameField(), Qt::Key_Return);
    p.settle();
    EXPECT_EQ(row->renameField(), nullptr);
    EXPECT_EQ(keys.posted.size(), 4);
    EXPECT_EQ(keys.posted.last(), "ColorPickerResignKey");
}

TEST(ColorPickerPanel, DeletingTheHarmonyUnderRenameGivesTheKeyboardBack) {
    const auto first = harmony(HarmonyType::triadic, 0.1);
    const auto second = harmony(HarmonyType::analogous, 0.2);
    Panel p(Color{1, 0, 0, 1}, {first, second});
    auto& panel = p.open();
    panel.activateWindow();
    QApplication::setActiveWindow(&panel);
    ColorPickerKeyRequests keys;

    SavedHarmonyRow* row = panel.harmonyRows()[1];
    click(row->renameButton(), row->renameButton()->rect().center());
    p.settle();
    ASSERT_TRUE(waitUntil([&] { return panel.isRenameFieldFocused(); }));
    // Saving meanwhile keeps the field, its focus and its row.
    panel.model().saveCurrentHarmony();
    p.settle();
    EXPECT_EQ(panel.harmonyRows()[1], row);
    EXPECT_TRUE(panel.isRenameFieldFocused());
    EXPECT_EQ(keys.posted.size(), 1);

    click(row->deleteButton(), row->deleteButton()->rect().center());
    p.settle();
    ASSERT_EQ(p.t->savedHarmonies->size(), 2u);
    EXPECT_FALSE(panel.isRenameFieldFocused());
    EXPECT_EQ(keys.posted, (QStringList{"ColorPickerRequestKey", "ColorPickerResignKey"}));

    // Closing the picker in the middle of a renaming keeps what was typed.
    row = panel.harmonyRows()[0];
    click(row->renameButton(), row->renameButton()->rect().center());
    p.settle();
    ASSERT_TRUE(waitUntil([&] { return panel.isRenameFieldFocused(); }));
    key(row->renameField(), Qt::Key_A, "a");
    p.panel.reset();
    p.settle();
    EXPECT_EQ(p.t->savedHarmonies.get()[0].name, "a");
}

// A stored list with a bad record still shows its good ones, and the
// next save keeps them.
TEST(ColorPickerPanel, SavedHarmoniesFromStorageSurviveABadRecord) {
    TestDrawingState t;
    const auto good = harmony(HarmonyType::tetradic, 0.4, "kept");
    QJsonArray stored{good.toJson(), QJsonObject{{"id", "not a uuid"}, {"harmonyType", "Square"}},
                      QJsonObject{{"id", QUuid::createUuid().toString(QUuid::WithoutBraces)},
                                  {"harmonyType", "Pentadic"},
                                  {"hue", 0.1},
                                  {"saturation", 1},
                                  {"brightness", 1}}};
    t.defaults->setData("overink.savedHarmonies", QJsonDocument(stored).toJson());
    auto state = t.makeAnother();
    ColorPickerPanel panel(state, {});
    panel.show();
    ASSERT_EQ(panel.harmonyRows().size(), 1u);
    EXPECT_EQ(panel.harmonyRows()[0]->nameLabel()->text(), "kept");

    click(panel.saveButton(), panel.saveButton()->rect().center());
    const auto data = t.defaults->data("overink.savedHarmonies");
    ASSERT_TRUE(data);
    const auto reread = decodeSavedHarmonies(*data);
    ASSERT_TRUE(reread);
    ASSERT_EQ(reread->size(), 2u);
    EXPECT_EQ((*reread)[0], good);
    EXPECT_EQ(panel.harmonyRows().size(), 2u);
}
