// The font picker on a real X server: held open from the text tool with the
// real pointer, a search typed, a family and a size chosen, and text placed
// afterwards drawn on the overlay in that face.
#include "RealToolbar.h"
#include "app/OverlayWindowController.h"
#include "canvas/DrawingCanvasView.h"
#include "geometry/TextLayout.h"
#include "model/DrawingState.h"
#include "support/TestUtil.h"
#include "support/X11TestUtil.h"
#include "toolbar/FontFamilyListView.h"
#include "toolbar/FontPickerPanel.h"
#include "toolbar/FontPickerRoot.h"
#include "toolbar/FontPickerWindowController.h"
#include "toolbar/TextToolSlot.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

bool pickerUp(const FontPickerWindowController* picker) {
    if (!picker) return false;
    platform::Window* w = picker->window();
    if (!w->isVisible() || !w->windowHandle() || !w->windowHandle()->isExposed()) return false;
    return waitUntilPlaced(
        w->xid(), [w] { return platform::toGlobal(w->frame()).toRect(); }, 10000);
}

// The canvas of the overlay on the primary display.
DrawingCanvasView* overlayCanvas(DrawingState& state) {
    for (const auto& [id, controller] : state.overlayControllers) {
        auto* overlay = dynamic_cast<OverlayWindowController*>(controller.get());
        if (overlay && overlay->window())
            if (auto* canvas = overlay->window()->widget()->findChild<DrawingCanvasView*>()) return canvas;
    }
    return nullptr;
}

// Left and right ends of the red pixels inside `area` of the screen.
std::pair<int, int> redSpan(const QImage& screen, const QRect& area) {
    int left = area.right() + 1, right = area.left() - 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = screen.pixelColor(x, y);
            if (c.red() > 200 && c.green() < 90 && c.blue() < 90) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

} // namespace

TEST(FontPickerOnX11, HoldingTheTextToolOpensItAndThePickedFaceDraws) {
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    if (!QFontDatabase::hasFamily(mono)) GTEST_SKIP() << "needs fonts-dejavu-core";
    RealToolbar t;
    ASSERT_TRUE(t.showAndSettle());
    DrawingState& state = t.state();
    ASSERT_TRUE(state.isOverlayVisible);
    DrawingToolbarView& v = *t.view();

    // Held for longer than 0.4 s: the picker opens while the button is down.
    moveMouse(RealToolbar::centreOf(v.textSlot()));
    pace(200);
    xdotool({"mousedown", "1"});
    ASSERT_TRUE(waitUntil([&] { return pickerUp(v.panels().fontPicker()); }, 10000))
        << (v.panels().fontPicker() ? "the picker is made but not shown where it stands" : "no picker");
    xdotool({"mouseup", "1"});
    ASSERT_TRUE(settle());
    ASSERT_TRUE(v.panels().fontPicker());
    FontPickerWindowController& picker = *v.panels().fontPicker();
    FontPickerPanel* panel = picker.root()->panel();
    EXPECT_EQ(state.selectedTool.get(), DrawingTool::text) << "the hold still counts as a click";
    EXPECT_TRUE(panel->searchText().isEmpty());
    EXPECT_EQ(panel->familyList()->entries().front(), QString());

    // Typed search: one family left.
    clickOn(RealToolbar::centreOf(panel->searchField()));
    ASSERT_TRUE(waitUntil([&] { return picker.window()->keyboard().isKeyWindow() && panel->searchField()->hasFocus(); },
                          10000));
    xdotool({"type", "--delay", "50", "sans mono"});
    ASSERT_TRUE(waitUntil([&] { return panel->familyList()->entries() == QStringList{mono}; }, 10000))
        << "the field held \"" << panel->searchField()->text().toStdString() << "\", the list \""
        << panel->familyList()->entries().join(QStringLiteral("\", \"")).toStdString() << "\"";

    // A click on its row picks it; the panel stays.
    FontFamilyListView* list = panel->familyList();
    paceNewClick();
    clickOn(list->viewport()->mapToGlobal(list->rowRect(0).center()));
    ASSERT_TRUE(waitUntil([&] { return state.textFontName.get() == mono; }, 10000));
    EXPECT_EQ(list->selectedName(), mono);

    // Auto-size off, then 48 typed into the size field.
    if (panel->autoSizeCheckbox()->isChecked()) {
        paceNewClick();
        clickOn(RealToolbar::centreOf(panel->autoSizeCheckbox()));
        ASSERT_TRUE(waitUntil([&] { return state.textFontSize.get() == 24; }, 10000));
    }
    ASSERT_TRUE(waitUntil([&] { return panel->sizeField()->isVisible(); }, 10000));
    paceNewClick();
    clickOn(RealToolbar::centreOf(panel->sizeField()));
    ASSERT_TRUE(waitUntil([&] { return panel->sizeField()->hasFocus(); }, 10000));
    xdotool({"key", "ctrl+a"});
    xdotool({"type", "--delay", "50", "48"});
    pressKey("Return");
    ASSERT_TRUE(waitUntil([&] { return state.textFontSize.get() == 48; }, 10000));
    EXPECT_TRUE(picker.window()->isVisible());

    // Text committed on the overlay takes the chosen face and size.
    DrawingCanvasView* canvas = overlayCanvas(state);
    ASSERT_TRUE(canvas);
    state.selectedColor = Color{1, 0, 0, 1};
    state.strokeOpacity = 1;
    const QRectF box(100, 400, 600, 120);
    const QString text = QStringLiteral("iiiiiiii");
    canvas->textBox().setFrame(box);
    canvas->textBox().setPendingText(text);
    canvas->textBox().setActive(true);
    ASSERT_TRUE(canvas->commitPendingText());
    ASSERT_EQ(state.strokes->size(), 1u);
    EXPECT_EQ(state.strokes->back().fontName, mono);
    EXPECT_EQ(state.strokes->back().explicitFontSize, 48);

    // On screen, the i's are as far apart as in the monospaced face, more
    // than twice as far as the system font would set them.
    const double monoWidth = measureTextLine(text, mono, 48).width();
    const double systemWidth = measureTextLine(text, QString(), 48).width();
    ASSERT_GT(monoWidth, 1.5 * systemWidth);
    const QPoint origin = canvas->mapToGlobal(box.topLeft().toPoint());
    const QRect area(origin, box.size().toSize());
    std::pair<int, int> span;
    ASSERT_TRUE(waitUntil(
        [&] {
            span = redSpan(grabRoot(), area);
            return span.second > span.first;
        },
        10000));
    const int inked = span.second - span.first + 1;
    EXPECT_NEAR(inked, monoWidth, monoWidth * 0.12) << "system font: " << systemWidth;
}
