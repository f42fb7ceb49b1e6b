#include "colorpicker/PickerStyle.h"

#include "ui/TooltipChipModifier.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace {

QFont sized(QFont font, int pixels, bool bold = false) {
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

PickerStyle pickerStyle(const QWidget* widget) {
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    const QFont system = widget ? widget->font() : QApplication::font();
    PickerStyle style;
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    const bool dark = 0.2126 * window.redF() + 0.7152 * window.greenF() + 0.0722 * window.blueF() < 0.5;
    style.primary = palette.color(QPalette::Active, QPalette::WindowText);
    style.primary.setAlpha(255);
    style.secondary = style.primary;
    style.secondary.setAlphaF(dark ? 0.55f : 0.5f);
    style.menu = sized(system, 11);
    // Asked once: the font database's answer costs more than a paint.
    static const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    style.mono = sized(fixed, 11);
    style.caption = sized(system, 10);
    style.caption2 = sized(system, 10);
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
