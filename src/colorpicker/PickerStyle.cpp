// The colour picker's colours, fonts and help texts.
#include "colorpicker/PickerStyle.h"

#include "ui/SymbolButton.h"
#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QFontDatabase>
#include <QWidget>

#include <cmath>

PickerStyle pickerStyle(const QWidget* widget) {
    const ui::Theme theme = ui::Theme::current(widget);
    PickerStyle style;
    style.primary = theme.primary.toQColor();
    style.secondary = theme.secondary.toQColor();
    style.faint = theme.legible(theme.secondary.opacity(0.5)).toQColor();
    style.menu = ui::systemFont(11);
    // Asked once: the font database's answer costs more than a paint.
    static const QFont kFixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    style.mono = kFixed;
    style.mono.setPixelSize(11);
    style.caption = ui::font(ui::TextStyle::caption);
    style.caption2 = ui::font(ui::TextStyle::caption2);
    return style;
}

void setHelpText(QWidget* widget, const QString& text) {
    if (!widget) return;
    TooltipChipModifier* chip = TooltipChipModifier::of(widget);
    if (!chip) chip = TooltipChipModifier::attach(widget);
    chip->update(text, std::nullopt, TooltipPlacement::side());
}

QString helpText(const QWidget* widget) {
    const TooltipChipModifier* chip = TooltipChipModifier::of(widget);
    return chip ? chip->text() : QString();
}

SymbolButton* makePickerSymbolButton(const QString& symbol, double symbolSize, QWidget* parent) {
    constexpr int kRoom = 2;
    // The symbol's box is 1.25 times its point size.
    constexpr double kBoxPerPoint = 1.25;
    auto* button = new SymbolButton(parent);
    button->setSymbol(symbol);
    button->setPointSize(symbolSize / kBoxPerPoint);
    button->setSide(std::ceil(symbolSize) + 2 * kRoom);
    button->setDisabledOpacity(1);
    button->setCursor(Qt::ArrowCursor);
    return button;
}
