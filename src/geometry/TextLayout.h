#pragma once

// Text measurement and the layout of a text box, shared by the hit test,
// the drawn extent and the text painter so that what is hit is what is drawn.
//
// Sizes are in pixels (one canvas point = one logical pixel). Fonts are
// measured once, at a fixed reference pixel size without hinting, and scaled
// linearly: fitted sizes are fractional, and QFont only takes whole pixel
// sizes. The painter draws `TextLayout::font` under `TextLayout::transform()`
// and a scale of `TextLayout::scale`, which lands the glyphs exactly on the
// measured rectangles. Main thread only.

#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <vector>

// Layout constants of a text box.
inline constexpr double kTextBoxInset = 16;         // taken off the box's width and height
inline constexpr double kTextLineOrigin = 4;        // first line at the box corner + (4, 4)
inline constexpr double kTextLineStep = 1.3;        // × font size between line starts
inline constexpr double kTextFitReferenceSize = 12; // fitting measures at this size
inline constexpr double kTextMinimumFittedSize = 6;
inline constexpr int kTextMeasureReferencePixels = 256;

// The named family when it is installed, else the system font, at the
// measuring reference size. An empty name means the system font.
QFont resolvedTextFont(const QString& fontName);

// Width (advance) and line height of one line in the named font at `pixelSize`.
QSizeF measureTextLine(const QString& line, const QString& fontName, double pixelSize);

// The font size at which every line of `text` fits the inner box, never
// below 6.
double textSize(const QString& text, double innerWidth, double innerHeight, const QString& fontName);

// `p` rotated about `center` by minus `degrees` (undoes a drawn rotation).
QPointF rotatePoint(QPointF p, QPointF center, double degrees);

struct TextLayout {
    struct Line {
        int index = 0; // position among the text's lines, empty lines counted
        QString text;
        QRectF rect; // measured line, unrotated: advance × line height
        QRectF ink;  // the glyphs' pixels, unrotated; may reach past `rect`
    };

    QFont font;          // at kTextMeasureReferencePixels
    double fontSize = 0; // pixels
    double scale = 1;    // fontSize / reference
    double ascent = 0;   // at fontSize: baseline below a line's top
    QPointF center;      // rotation centre: the middle of the box
    double rotationDegrees = 0;
    std::vector<Line> lines; // non-empty lines only

    // Maps the unrotated layout into canvas coordinates.
    QTransform transform() const;
    // True when `p` (canvas coordinates) lies on a measured line: half-open
    // rectangles, after undoing the rotation.
    bool contains(QPointF p) const;
    // Canvas-space bounds of the measured lines, rotated: where contains()
    // can be true. Null without lines.
    QRectF measuredExtent() const;
    // Canvas-space bounds of every line's pixels: the measured rectangles
    // united with the glyphs' ink, rotated. Null when nothing is drawn.
    QRectF inkExtent() const;
};

// Lays out text in the box spanned by `start` (top-left) and `end`.
// `explicitFontSize` > 0 is used as it is; otherwise the text is fitted.
TextLayout layoutText(QPointF start, QPointF end, const QString& text, const QString& fontName, double explicitFontSize,
                      double rotationDegrees);

// The width of a text box for `text` in the named font (the system font
// when the name is empty or names no font) at `fontSize`: its widest line
// plus 18. The callers choose the box's height.
double textBoxSize(const QString& text, const QString& fontName, double fontSize);
