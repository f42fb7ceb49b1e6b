#pragma once

// The colours and fonts of the colour picker, taken in this one place from
// the theme of the widget that draws, its help texts and its symbol buttons.

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;
class SymbolButton;

struct PickerStyle {
    QColor primary;   // text and outlines
    QColor secondary; // labels, symbols and hints that step back
    QColor faint;     // text that steps back further, still legible
    QFont menu;       // pop-up menus, size 11
    QFont mono;       // code texts and the percentage, monospaced size 11
    QFont caption;    // "Opacity", the section header
    QFont caption2;   // harmony names, the empty-list hint
};

// The style for `widget`'s palette (the application's when null).
PickerStyle pickerStyle(const QWidget* widget);

// A help text shown as a tooltip chip beside the picker, following the
// tooltip setting that the toolbar applies.
void setHelpText(QWidget* widget, const QString& text);
QString helpText(const QWidget* widget);

// A button that is only a symbol `symbolSize` points wide, with a little room
// around it for the pointer; its colour (SymbolButton::setColor) comes from
// the style. It dims while held down, not while disabled.
SymbolButton* makePickerSymbolButton(const QString& symbol, double symbolSize, QWidget* parent);
