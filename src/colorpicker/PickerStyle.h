#pragma once

// The colours and fonts of the colour picker, and where its help texts are
// kept: read in this one place, from the palette of the widget that draws.

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

struct PickerStyle {
    QColor primary;   // text and outlines
    QColor secondary; // labels, symbols and hints that step back
    QFont menu;       // pop-up menus, size 11
    QFont mono;       // code texts and the percentage, monospaced size 11
    QFont caption;    // "Opacity", the section header
    QFont caption2;   // harmony names, the empty-list hint
};

// The style for `widget`'s palette (the application's when null).
PickerStyle pickerStyle(const QWidget* widget);

// A help text that the tooltip module shows for the widget; kept on the
// widget rather than as a Qt tooltip.
inline constexpr const char* kHelpProperty = "overink.help";
void setHelpText(QWidget* widget, const QString& text);
QString helpText(const QWidget* widget);
