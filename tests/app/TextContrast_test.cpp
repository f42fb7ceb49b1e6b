// Every text of ours stands out from its background by at least 4.5:1, in
// the toolkit's light palette and in a dark one: measured on the panels as
// they render, each piece of text's colour against the pixels around it.
#include "canvas/LoadingBrushBadge.h"
#include "colorpicker/ColorPickerRoot.h"
#include "panels/AboutView.h"
#include "panels/HelpView.h"
#include "panels/InfoPanelWindowController.h"
#include "panels/UpdateManager.h"
#include "platform/Updater.h"
#include "toolbar/DrawingToolbarView.h"
#include "toolbar/FontPickerRoot.h"
#include "toolbar/GIMPBrushPanelRoot.h"
#include "toolbar/GIMPBrushRow.h"
#include "toolbar/SettingsControls.h"
#include "toolbar/SettingsPanelRoot.h"
#include "toolbar/ToolbarPanels.h"
#include "ui/TooltipChip.h"

#include "support/BrushStoreFiles.h"
#include "support/TestDrawingState.h"
#include "support/TestUtil.h"
#include "support/TextContrast.h"

#include <QApplication>
#include <QPalette>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr double kLeast = 4.5;
// A symbol against the ground it stands on.
constexpr double kLeastForSymbols = 3;

// The roles of qt6ct's "darker" scheme, the dark palette the end-to-end
// shots take.
QPalette darkPalette() {
    QPalette p;
    const auto set = [&p](QPalette::ColorRole role, QColor c) {
        for (auto group : {QPalette::Active, QPalette::Inactive}) p.setColor(group, role, c);
    };
    set(QPalette::WindowText, QColor(0xff, 0xff, 0xff));
    set(QPalette::Button, QColor(0x42, 0x42, 0x45));
    set(QPalette::Light, QColor(0x97, 0x97, 0x97));
    set(QPalette::Midlight, QColor(0x5e, 0x5c, 0x5b));
    set(QPalette::Dark, QColor(0x30, 0x2f, 0x2e));
    set(QPalette::Mid, QColor(0x4a, 0x49, 0x47));
    set(QPalette::Text, QColor(0xff, 0xff, 0xff));
    set(QPalette::ButtonText, QColor(0xff, 0xff, 0xff));
    set(QPalette::Base, QColor(0x3d, 0x3d, 0x3d));
    set(QPalette::Window, QColor(0x22, 0x20, 0x20));
    set(QPalette::Highlight, QColor(0x12, 0x60, 0x8a));
    set(QPalette::HighlightedText, QColor(0xf9, 0xf9, 0xf9));
    set(QPalette::PlaceholderText, QColor(0xff, 0xff, 0xff, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Window, QColor(0x22, 0x20, 0x20));
    return p;
}

// The application's palette while it lives: the light one or the dark one.
struct Palette {
    explicit Palette(bool dark) : name(dark ? "dark" : "light") {
        if (dark) QApplication::setPalette(darkPalette());
    }
    ~Palette() { QApplication::setPalette(saved); }
    const QPalette saved = QApplication::palette();
    const char* name;
};

// Lays the widget out at its own size, shows it and measures every piece of
// text it draws, over a mid grey where it leaves pixels clear.
void expectLegible(const char* panel, const char* palette, QWidget& widget, std::size_t atLeast = 1) {
    widget.resize(widget.sizeHint().expandedTo(widget.minimumSize()).expandedTo(QSize(1, 1)));
    widget.show();
    drainEvents();
    const auto measured = textContrasts(widget, QColor(128, 128, 128));
    EXPECT_GE(measured.size(), atLeast) << panel << ", " << palette << ": its texts were not found";
    for (const TextContrast& c : measured) {
        EXPECT_GE(c.ratio, kLeast) << panel << ", " << palette << ": \"" << c.text.text.toStdString() << "\" in "
                                   << c.shown.name().toStdString() << " on " << c.background.name().toStdString();
    }
}

SavedHarmony harmony() {
    SavedHarmony h;
    h.id = QUuid::createUuid();
    h.name = QStringLiteral("Sunset");
    h.harmonyType = HarmonyType::triadic;
    h.hue = 0.05;
    h.saturation = 0.8;
    h.brightness = 0.9;
    return h;
}

std::shared_ptr<UpdateManager> updatesWithoutFeed() {
    return UpdateManager::create(std::make_shared<platform::Updater>(platform::UpdaterEnvironment{}), {});
}

} // namespace

TEST(TextContrast, TheToolbarAndItsPanelsReadInBothPalettes) {
    for (bool dark : {false, true}) {
        Palette palette(dark);
        TestDrawingState t;
        t->fontPresets = {FontPreset{QUuid::createUuid(), QStringLiteral("DejaVu Sans"), 18}};
        t->savedHarmonies = {harmony()};
        auto box = std::make_shared<DismissBox>();
        {
            ToolbarPanels panels(t.state);
            DrawingToolbarView toolbar(t.state, panels);
            expectLegible("toolbar", palette.name, toolbar); // the width's value
        }
        {
            TooltipChip chip;
            chip.setText(QStringLiteral("Capture screen + drawing (3s)"));
            expectLegible("tooltip chip", palette.name, chip);
        }
        {
            FontPickerRoot fonts(t.state);
            expectLegible("font picker", palette.name, fonts, 5);
        }
        {
            GIMPBrushPanelRoot brushes(t.state, box);
            expectLegible("brush panel", palette.name, brushes, 5);
        }
        {
            ColorPickerRoot colors(t.state, PanelOpenDirection::below, box);
            expectLegible("colour picker", palette.name, colors, 8);
        }
        t->savedHarmonies = std::vector<SavedHarmony>{};
        {
            ColorPickerRoot empty(t.state, PanelOpenDirection::below, box);
            expectLegible("colour picker without harmonies", palette.name, empty, 8);
        }
        {
            LoadingBrushBadge badge;
            expectLegible("loading badge", palette.name, badge);
        }
    }
}

TEST(TextContrast, TheSettingsAndInformationPanelsReadInBothPalettes) {
    for (bool dark : {false, true}) {
        Palette palette(dark);
        TestDrawingState t;
        auto box = std::make_shared<DismissBox>();
        auto updates = updatesWithoutFeed();
        {
            SettingsPanelRoot settings(t.state, box, SettingsPanelServices{}, [updates] { return updates; });
            // "Not checked yet." and the rest of the update rows, the
            // smoothing section's rows open.
            settings.toggleSmoothing();
            waitUntil([&] { return settings.smoothingHeader()->chevronAngle() == 90; });
            expectLegible("settings panel", palette.name, settings, 12);
        }
        FakeScreenProvider screens({TestDrawingState::defaultScreen()});
        for (bool about : {true, false}) {
            InfoPanelWindowController panel(platform::Size(480, 560), nullptr, false, QStringLiteral("info"), screens,
                                            [about](std::shared_ptr<DismissRef> dismiss) -> QWidget* {
                                                if (about) return new AboutView(std::move(dismiss));
                                                return new HelpView(std::move(dismiss));
                                            });
            expectLegible(about ? "about panel" : "help panel", palette.name, *panel.window()->widget(), 5);
        }
    }
}

// The brush rows' tiles are white in either palette: the symbols on them
// (the delete control, the placeholder of a brush without a sample) stand
// out from the white by 3:1 in both.
TEST(TextContrast, TheSymbolsOnTheBrushRowsWhiteTileStandOutInBothPalettes) {
    QTemporaryDir store;
    for (bool dark : {false, true}) {
        Palette palette(dark);
        GIMPBrushRow row(
            parametricBrush(1, 1, std::nullopt), false, [] {}, [] {}, store.path());
        row.resize(212, 46);
        row.show();
        row.setHovered(true);
        drainEvents();
        ASSERT_TRUE(row.deleteButton()->isVisible());
        const QImage shot = row.grab().toImage();
        const QRect tile = row.tileRect().toAlignedRect();
        const QColor ground = shot.pixelColor(tile.left() + 6, tile.top() + 4);
        // The strongest pixel of a symbol: its solid core.
        const auto strongest = [&](const QRect& area) {
            double best = 1;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    best = std::max(best, contrastRatio(shot.pixelColor(x, y), ground));
            return best;
        };
        EXPECT_GE(strongest(row.deleteButton()->geometry()), kLeastForSymbols) << palette.name << ": delete control";
        const QRect placeholder(tile.center() - QPoint(12, 12), QSize(24, 24));
        EXPECT_GE(strongest(placeholder), kLeastForSymbols) << palette.name << ": placeholder";
        EXPECT_GE(contrastRatio(ground, Qt::black), 15) << palette.name << ": the tile stays white";
    }
}
