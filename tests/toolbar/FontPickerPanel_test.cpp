// The font picker's content on screen (offscreen): its column, the family
// list's taps, lazy painting and face cache, the search field, auto-size,
// the size field and stepper, favourites, and a picked family reaching a
// placed text stroke.
#include "toolbar/FontPickerPanel.h"

#include "canvas/DrawingCanvasView.h"
#include "model/DrawingState.h"
#include "model/StrokeText.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "toolbar/FontFamilyListView.h"
#include "toolbar/FontFavoriteRow.h"
#include "toolbar/SizeStepper.h"
#include "toolbar/ToolbarTestSupport.h"
#include "ui/BorderlessButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <tuple>

#include <gtest/gtest.h>

using testing_support::click;
using testing_support::drainEvents;
using testing_support::TestDrawingState;
using testing_support::waitUntil;

namespace {

struct Picker {
    TestDrawingState t;
    QStringList installed;
    std::unique_ptr<FontPickerPanel> panel;

    explicit Picker(double size = 0, QStringList families = {"Alpha", "Beta Sans", "Gamma Serif"})
        : installed(std::move(families)) {
        t->textFontName = QString();
        t->textFontSize = size;
    }
    FontPickerPanel& open(bool realFonts = false) {
        if (realFonts) panel = std::make_unique<FontPickerPanel>(t->textFontName, t->textFontSize, t.state);
        else
            panel = std::make_unique<FontPickerPanel>(t->textFontName, t->textFontSize, t.state,
                                                      [this] { return installed; });
        panel->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        panel->resize(panel->sizeHint());
        panel->show();
        settle();
        return *panel;
    }
    void settle() {
        drainEvents();
        if (panel) panel->resize(panel->sizeHint());
        QApplication::processEvents();
    }
    FontFamilyListView& list() { return *panel->familyList(); }
    // Taps the row of an entry, scrolling it into view first.
    void tapFamily(const QString& entry) {
        const int row = static_cast<int>(list().entries().indexOf(entry));
        ASSERT_GE(row, 0) << entry.toStdString();
        list().scrollToRow(row);
        click(list().viewport(), QRectF(list().rowRect(row)).center());
        settle();
    }
    void type(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        field->insert(text);
    }
    bool key(QWidget* w, int k) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        return e.isAccepted();
    }
    bool shown(QWidget* w) { return w->isVisibleTo(panel.get()); }
};

QStringList manyFamilies(int n) {
    QStringList names;
    for (int i = 0; i < n; ++i) names << QStringLiteral("Family %1").arg(i, 4, 10, QLatin1Char('0'));
    return names;
}

} // namespace

TEST(FontPickerPanel, LaysOutItsColumn260Wide) {
    Picker p;
    auto& panel = p.open();
    EXPECT_EQ(panel.width(), 260);
    EXPECT_EQ(panel.searchField()->placeholderText(), QStringLiteral("Search fonts\u2026"));
    EXPECT_EQ(panel.searchField()->geometry().topLeft(), QPoint(10, 10));
    EXPECT_EQ(panel.searchField()->width(), 240);
    EXPECT_EQ(panel.familyList()->height(), 180);
    EXPECT_EQ(panel.familyList()->y(), panel.searchField()->geometry().bottom() + 1 + 10 + 1);
    EXPECT_EQ(panel.autoSizeCheckbox()->text(), "Auto-size (proportional to box)");
    EXPECT_EQ(panel.saveButton()->text(), "Save to Favorites");
    EXPECT_EQ(panel.saveButton()->symbol(), "star");
    EXPECT_EQ(panel.saveButton()->width(), 260 - 24);
    EXPECT_EQ(panel.saveButton()->x(), 12);
    // No favourites: no divider and no heading.
    EXPECT_FALSE(p.shown(panel.favoritesSection()));
    EXPECT_EQ(panel.height(), panel.saveButton()->parentWidget()->geometry().bottom() + 1);
}

TEST(FontPickerPanel, ListsTheSystemFontFirstAndATapMovesTheCheckmark) {
    Picker p(18);
    p.t->textFontName = "Beta Sans";
    auto& panel = p.open();
    EXPECT_EQ(p.list().entries(), (QStringList{"", "Alpha", "Beta Sans", "Gamma Serif"}));
    EXPECT_EQ(p.list().selectedName(), "Beta Sans");
    EXPECT_EQ(p.list().rowRect(1).height(), 28);

    p.tapFamily("");
    EXPECT_TRUE(p.t->textFontName->isEmpty());
    EXPECT_EQ(p.list().selectedName(), "");
    EXPECT_EQ(p.t->textFontSize.get(), 18) << "the size stays";
    p.tapFamily("Gamma Serif");
    EXPECT_EQ(p.t->textFontName.get(), "Gamma Serif");
    EXPECT_TRUE(panel.isVisible()) << "the panel stays open";

    // A press that ends on another row is no tap.
    auto* vp = p.list().viewport();
    testing_support::press(vp, QRectF(p.list().rowRect(1)).center());
    testing_support::release(vp, QRectF(p.list().rowRect(2)).center());
    EXPECT_EQ(p.t->textFontName.get(), "Gamma Serif");
}

TEST(FontPickerPanel, TheSelectedRowIsTintedWithTheAccent) {
    Picker p(18);
    p.t->textFontName = "Alpha";
    p.open();
    const QImage image = p.list().viewport()->grab().toImage();
    const QColor accent = p.list().palette().color(QPalette::Highlight);
    auto background = [&](int row) {
        return image.pixelColor(p.list().rowRect(row).center().x(), p.list().rowRect(row).top() + 2);
    };
    // The chosen row's background leans to the accent; the others stay clear.
    const QColor chosen = background(1), plain = background(2);
    EXPECT_NE(chosen, plain);
    EXPECT_LT(std::abs(chosen.hueF() - accent.hueF()), 0.05);
}

TEST(FontPickerPanel, SearchingKeepsTheSystemFontForSysAndAnEmptyListLeavesTheRest) {
    Picker p(24);
    auto& panel = p.open();
    const int height = panel.height();
    panel.searchField()->setText("sys");
    EXPECT_EQ(panel.searchText(), "sys");
    EXPECT_EQ(p.list().entries(), QStringList{""});
    panel.searchField()->setText("SERIF");
    EXPECT_EQ(p.list().entries(), QStringList{"Gamma Serif"});
    panel.searchField()->setText("nothing like it");
    EXPECT_TRUE(p.list().entries().isEmpty());
    p.settle();
    EXPECT_EQ(panel.height(), height);
    EXPECT_TRUE(p.shown(panel.sizeRow()));
    panel.searchField()->clear();
    EXPECT_EQ(p.list().entries().size(), 4);
}

TEST(FontPickerPanel, OnlyRowsInViewArePaintedAndFacesAreKeptWithinBounds) {
    Picker p(0, manyFamilies(2000));
    p.open();
    auto& list = p.list();
    ASSERT_TRUE(waitUntil([&] { return list.paintedRows() > 0; }));
    const auto [first, last] = list.visibleRows();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 180 / 28);
    EXPECT_LE(list.faceLoads(), last + 1);
    EXPECT_LE(list.paintedRows(), 2 * (last + 1));

    // Scrolling back over rows already seen loads no face again.
    const auto loads = list.faceLoads();
    list.verticalScrollBar()->setValue(28 * 3);
    list.viewport()->repaint();
    list.verticalScrollBar()->setValue(0);
    list.viewport()->repaint();
    EXPECT_EQ(list.faceLoads(), loads + 3);

    // All the way down and back: one face per row shown, the cache bounded.
    for (int y = 0; y <= list.verticalScrollBar()->maximum(); y += 28 * 6) {
        list.verticalScrollBar()->setValue(y);
        list.viewport()->repaint();
    }
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    list.viewport()->repaint();
    EXPECT_EQ(list.visibleRows().second, 2000);
    EXPECT_GE(list.faceLoads(), 2001);
    EXPECT_LE(list.faceLoads(), 2001 + 8);
    EXPECT_EQ(list.cachedFaces(), FontFamilyListView::kFaceCacheSize);
}

TEST(FontPickerPanel, RowsAreDrawnInTheirOwnFace) {
    const QString sans = QStringLiteral("DejaVu Sans"), mono = QStringLiteral("DejaVu Sans Mono");
    if (!QFontDatabase::hasFamily(mono) || !QFontDatabase::hasFamily(sans)) GTEST_SKIP() << "needs the DejaVu fonts";
    Picker p(0, {sans, mono});
    p.open();
    const QImage shot = p.list().viewport()->grab().toImage();
    // Where the ink of a row's name ends, from the row's left padding.
    auto inkWidth = [&](int row) {
        const QRect r = p.list().rowRect(row);
        const QRgb background = shot.pixel(r.right() - 2, r.top() + 2);
        int right = -1;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x < r.right() - 2; ++x)
                if (shot.pixel(x, y) != background) right = std::max(right, x);
        return right + 1 - 12;
    };
    auto advance = [](const QString& family, const QString& text) {
        QFont f(family);
        f.setPixelSize(13);
        return QFontMetricsF(f).horizontalAdvance(text);
    };
    // Each name is wider in one face than in the other; each row's ink is
    // as wide as its name in its own face.
    for (const auto& [row, own, other] : {std::tuple{1, sans, mono}, std::tuple{2, mono, sans}}) {
        const QString name = own;
        ASSERT_GT(std::abs(advance(own, name) - advance(other, name)), 3);
        EXPECT_LT(std::abs(inkWidth(row) - advance(own, name)), std::abs(inkWidth(row) - advance(other, name)))
            << name.toStdString();
        EXPECT_NEAR(inkWidth(row), advance(own, name), 1.5) << name.toStdString();
    }
}

TEST(FontPickerPanel, TheCheckboxTogglesBetweenAutoSizeAnd24) {
    Picker p(0);
    auto& panel = p.open();
    EXPECT_TRUE(panel.autoSizeCheckbox()->isChecked());
    EXPECT_FALSE(p.shown(panel.sizeRow()));
    const int autoHeight = panel.height();

    click(panel.autoSizeCheckbox());
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 24);
    EXPECT_FALSE(panel.autoSizeCheckbox()->isChecked());
    EXPECT_TRUE(p.shown(panel.sizeRow()));
    EXPECT_EQ(panel.sizeField()->text(), "24");
    EXPECT_GT(panel.height(), autoHeight) << "the panel grows with the size row";

    click(panel.autoSizeCheckbox());
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 0);
    EXPECT_FALSE(p.shown(panel.sizeRow()));
    EXPECT_EQ(panel.height(), autoHeight);

    // The state changed elsewhere: the checkbox follows without writing.
    p.t->textFontSize = 30;
    EXPECT_FALSE(panel.autoSizeCheckbox()->isChecked());
    EXPECT_EQ(p.t->textFontSize.get(), 30);
    EXPECT_EQ(panel.sizeField()->text(), "30");
}

TEST(FontPickerPanel, TheSizeFieldShowsAFittedSizeRoundedAndKeepsItWhenLeftAsShown) {
    // A re-opened text whose size was fitted to its display.
    Picker p(31.742774193548);
    auto& panel = p.open();
    QLineEdit* field = panel.sizeField();
    EXPECT_EQ(field->text(), "31.74");
    // Committing the field untouched, by Return or by leaving it, changes
    // nothing.
    field->setFocus();
    p.key(field, Qt::Key_Return);
    EXPECT_EQ(p.t->textFontSize.get(), 31.742774193548);
    field->setFocus();
    panel.searchField()->setFocus();
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 31.742774193548);
    EXPECT_EQ(field->text(), "31.74");
    // A typed value is taken as typed.
    p.type(field, "31.7");
    p.key(field, Qt::Key_Return);
    EXPECT_EQ(p.t->textFontSize.get(), 31.7);
}

TEST(FontPickerPanel, TheSizeFieldTakesAnyNumberButANegativeOne) {
    Picker p(24);
    auto& panel = p.open();
    QLineEdit* field = panel.sizeField();
    EXPECT_EQ(field->width(), 52);

    p.type(field, "14.7");
    p.key(field, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(p.t->textFontSize.get(), 14.7);
    EXPECT_EQ(field->text(), "14.7");
    p.type(field, "500");
    p.key(field, Qt::Key_Return);
    EXPECT_EQ(p.t->textFontSize.get(), 500);
    p.type(field, "5");
    p.key(field, Qt::Key_Enter);
    EXPECT_EQ(p.t->textFontSize.get(), 5);

    // A negative size and a word are refused; the field shows the size again.
    p.type(field, "-5");
    p.key(field, Qt::Key_Return);
    EXPECT_EQ(p.t->textFontSize.get(), 5);
    EXPECT_EQ(field->text(), "5");
    EXPECT_TRUE(p.shown(panel.sizeRow()));
    EXPECT_FALSE(panel.autoSizeCheckbox()->isChecked());
    p.type(field, "big");
    p.key(field, Qt::Key_Return);
    EXPECT_EQ(p.t->textFontSize.get(), 5);
    EXPECT_EQ(field->text(), "5");

    // Leaving the field commits too.
    p.type(field, "33");
    panel.searchField()->setFocus();
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 33);

    // 0 turns auto-size on and hides the row (and the field going away does
    // not commit a second time).
    p.type(field, "0");
    p.key(field, Qt::Key_Return);
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 0);
    EXPECT_TRUE(panel.autoSizeCheckbox()->isChecked());
    EXPECT_FALSE(p.shown(panel.sizeRow()));
}

TEST(FontPickerPanel, EscInTheSizeFieldDropsTheTypingAndGoesOn) {
    Picker p(24);
    auto& panel = p.open();
    p.type(panel.sizeField(), "80");
    EXPECT_FALSE(p.key(panel.sizeField(), Qt::Key_Escape)) << "the panel ends the typing";
    EXPECT_EQ(panel.sizeField()->text(), "24");
    panel.searchField()->setFocus();
    p.settle();
    EXPECT_EQ(p.t->textFontSize.get(), 24);
    // Delete edits the field.
    p.type(panel.sizeField(), "123");
    EXPECT_TRUE(p.key(panel.sizeField(), Qt::Key_Backspace));
    EXPECT_EQ(panel.sizeField()->text(), "12");
}

TEST(FontPickerPanel, TheStepperStopsAt6And400) {
    Picker p(7);
    auto& panel = p.open();
    SizeStepper* stepper = panel.stepper();
    const QPointF up(stepper->width() / 2.0, 3), down(stepper->width() / 2.0, stepper->height() - 3);
    click(stepper, down);
    EXPECT_EQ(p.t->textFontSize.get(), 6);
    EXPECT_FALSE(stepper->canStepDown());
    click(stepper, down);
    EXPECT_EQ(p.t->textFontSize.get(), 6);
    click(stepper, up);
    EXPECT_EQ(p.t->textFontSize.get(), 7);
    EXPECT_EQ(panel.sizeField()->text(), "7");

    p.t->textFontSize = 399;
    click(stepper, up);
    EXPECT_EQ(p.t->textFontSize.get(), 400);
    EXPECT_FALSE(stepper->canStepUp());
    click(stepper, up);
    EXPECT_EQ(p.t->textFontSize.get(), 400);

    // Held down, it repeats until the end of the range.
    p.t->textFontSize = 396;
    testing_support::press(stepper, up);
    EXPECT_TRUE(waitUntil([&] { return p.t->textFontSize.get() == 400; }, 3000));
    testing_support::release(stepper, up);
    EXPECT_EQ(p.t->textFontSize.get(), 400);
}

TEST(FontPickerPanel, SaveToFavoritesCallsTheStateAndTheListShowsTheResult) {
    Picker p(14.7);
    p.t->textFontName = "Beta Sans";
    auto& panel = p.open();
    const int before = panel.height();
    click(panel.saveButton());
    p.settle();
    ASSERT_EQ(p.t->fontPresets->size(), 1u);
    EXPECT_EQ(p.t->fontPresets->front().name, "Beta Sans");
    EXPECT_DOUBLE_EQ(p.t->fontPresets->front().size, 14.7);
    EXPECT_TRUE(p.shown(panel.favoritesSection()));
    EXPECT_EQ(panel.favoritesHeading()->text(), "Favorites");
    ASSERT_EQ(panel.favoriteRows().size(), 1u);
    EXPECT_EQ(panel.favoriteRows()[0]->nameText(), "Beta Sans");
    EXPECT_EQ(panel.favoriteRows()[0]->sizeText(), "14 pt");
    EXPECT_EQ(panel.favoriteRows()[0]->height(), 28);
    EXPECT_GT(panel.height(), before) << "the panel grows with the first favourite";

    // Saving the same again changes nothing; an auto-size system font is new
    // and comes first.
    click(panel.saveButton());
    p.t->textFontName = "";
    p.t->textFontSize = 0;
    click(panel.saveButton());
    p.settle();
    ASSERT_EQ(panel.favoriteRows().size(), 2u);
    EXPECT_EQ(panel.favoriteRows()[0]->nameText(), "System Font");
    EXPECT_EQ(panel.favoriteRows()[0]->sizeText(), "0 pt");
    EXPECT_GT(panel.favoriteRows()[1]->y(), panel.favoriteRows()[0]->y());
    EXPECT_EQ(panel.favoritesSection()->geometry().bottom() + 1, panel.height());
    EXPECT_EQ(panel.favoriteRows()[1]->geometry().bottom() + 1 + 6, panel.favoritesSection()->height());

    // Apply sets both fields and leaves the panel open.
    click(panel.favoriteRows()[1]->applyButton());
    EXPECT_EQ(p.t->textFontName.get(), "Beta Sans");
    EXPECT_DOUBLE_EQ(p.t->textFontSize.get(), 14.7);
    click(panel.favoriteRows()[0]->applyButton());
    EXPECT_TRUE(p.t->textFontName->isEmpty());
    EXPECT_EQ(p.t->textFontSize.get(), 0);
    EXPECT_TRUE(panel.isVisible());
}

TEST(FontPickerPanel, AFamilyPickedHereIsTheFaceOfTheNextPlacedText) {
    const QString serif = QStringLiteral("DejaVu Serif");
    if (!QFontDatabase::hasFamily(serif)) GTEST_SKIP() << "needs fonts-dejavu-extra";
    Picker p(20);
    p.open(true);
    ASSERT_EQ(p.list().entries().front(), "");
    p.panel->searchField()->setText("dejavu ser");
    p.tapFamily(serif);
    EXPECT_EQ(p.t->textFontName.get(), serif);

    DrawingCanvasView canvas(p.t.state, 1);
    canvas.textBox().setFrame(QRectF(10, 20, 200, 70));
    canvas.textBox().setPendingText(QStringLiteral("note"));
    canvas.textBox().setActive(true);
    p.t->isTextEditing = true;
    ASSERT_TRUE(canvas.commitPendingText());
    ASSERT_EQ(p.t->strokes->size(), 1u);
    EXPECT_EQ(p.t->strokes->front().fontName, serif);
    EXPECT_EQ(p.t->strokes->front().explicitFontSize, 20);
    EXPECT_EQ(QFontInfo(layoutText(p.t->strokes->front()).font).family(), serif);
}
