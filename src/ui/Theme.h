#pragma once

// The colours, text styles and symbol sizes that panels and controls paint
// with, taken from the Qt palette so light and dark desktops both look right.

#include "platform/Color.h"

#include <QFont>
#include <QPalette>
#include <QRectF>
#include <QString>

class QPainter;
class QWidget;

namespace ui {

enum class TextStyle {
    caption,
    caption2,
};

enum class SymbolWeight {
    regular,
    medium,
    semibold,
    bold,
};

// A colour of the theme by its role, for tables of looks.
enum class ThemeColor {
    accent,
    primary,
    secondary,
    tertiary,
    orange,
    purple,
    green,
    blue,
    red,
};

struct Theme {
    Color accent;
    // Text and symbols: full, softer (legible as text on the material),
    // faint (for symbols and lines; text in it goes through legible()).
    Color primary;
    Color secondary;
    Color tertiary;
    Color orange;
    Color purple;
    Color green;
    Color blue;
    Color red;
    // The panels' background ("regular material").
    Color material;
    bool dark = false;

    // `compositing`: translucent pixels show as such. Without a compositing
    // manager the material is opaque, since X could only show or hide each
    // of its pixels.
    static Theme fromPalette(const QPalette& palette, bool compositing);
    // The widget's palette (the application's without one) and the running
    // compositing manager.
    static Theme current(const QWidget* widget = nullptr);
    // The toolkit's light palette, whatever the desktop's: for what stands on
    // a ground of fixed white, such as a brush's sample tile.
    static Theme light(bool compositing);

    Color color(ThemeColor role) const;
    // Text in `ink` as it must be drawn on the material (or on
    // `background`) to read well: at least 4.5:1 against it.
    Color legible(const Color& ink) const { return legibleOn(ink, material); }
    Color legible(const Color& ink, const Color& background) const { return legibleOn(ink, background); }
};

// Text styles as pixel sizes (one point is one logical pixel).
double textPixelSize(TextStyle style);
QFont font(TextStyle style);
// The system font at a pixel size ("system N").
QFont systemFont(double pixelSize, QFont::Weight weight = QFont::Normal);

// The square box a symbol takes when set in a font of `pointSize` with that
// weight: every control sizes its symbols through this one mapping.
double symbolBoxSide(double pointSize, SymbolWeight weight = SymbolWeight::regular);
// That box centred in `frame`.
QRectF symbolRect(const QRectF& frame, double pointSize, SymbolWeight weight = SymbolWeight::regular);

// The rectangle moved and sized to whole device pixels of the painter's
// device (only translations are taken into account).
QRectF snapToDevicePixels(const QPainter& painter, const QRectF& rect);

// Draws the symbol tinted, centred in `frame` at the size the mapping gives,
// on whole device pixels so that it stays sharp at any pixel ratio.
void drawSymbol(QPainter& painter, const QRectF& frame, const QString& name, const Color& tint, double pointSize,
                SymbolWeight weight = SymbolWeight::regular);

// Sets the widget's text (its palette's window text) in that colour.
void setTextColor(QWidget* widget, const Color& color);
// Gives a text field's placeholder a colour that reads well on the field.
void makePlaceholderLegible(QWidget* field);

} // namespace ui
