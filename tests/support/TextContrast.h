#pragma once

// Where a widget draws text and how well each text stands out: the widget
// is painted once into an image and once through a paint engine that only
// notes every piece of text (its rectangle, colour and opacity); each
// piece's background is read from the image around it.

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

namespace testing_support {

struct DrawnText {
    QString text;
    // In the widget's coordinates.
    QRectF rect;
    // The pen's colour with the painter's opacity taken into its alpha.
    QColor color;
    // The widget that drew it.
    const QWidget* widget = nullptr;
};

// Every piece of text the widget and its children draw.
std::vector<DrawnText> drawnTexts(QWidget& widget);

// The widget as it paints itself over an opaque `backdrop`.
QImage renderedOver(QWidget& widget, QColor backdrop);

// WCAG 2 relative luminance and contrast ratio of opaque sRGB colours.
double relativeLuminance(QColor c);
double contrastRatio(QColor a, QColor b);

// The colour most pixels of the rectangle have.
QColor dominantColor(const QImage& image, const QRect& rect);

struct TextContrast {
    DrawnText text;
    QColor background;
    // The text colour as it shows over the background.
    QColor shown;
    double ratio = 0;
};

// Each piece of text of an enabled widget with its contrast against the
// background it stands on (the rendering's dominant colour around it).
std::vector<TextContrast> textContrasts(QWidget& widget, QColor backdrop);

} // namespace testing_support
