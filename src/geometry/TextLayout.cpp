#include "geometry/TextLayout.h"

#include "platform/CanvasRect.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace {

// One resolved font with its metrics at the reference size. The hit test
// runs on every pointer move, and both the family lookup and shaping a line
// are costly, so fonts and line measurements are kept.
struct MeasuredFont {
    QFont font;
    QFontMetricsF metrics;
    QHash<QString, double> advances;
    QHash<QString, QRectF> inks;

    explicit MeasuredFont(const QFont& f) : font(f), metrics(f) {}

    double advance(const QString& line) {
        return remembered(advances, line, [&] { return metrics.horizontalAdvance(line); });
    }
    // Ink bounds relative to the line's origin on its baseline.
    QRectF ink(const QString& line) {
        return remembered(inks, line, [&] { return metrics.boundingRect(line); });
    }

    template <typename T, typename Measure>
    static T remembered(QHash<QString, T>& cache, const QString& line, Measure measure) {
        if (auto it = cache.constFind(line); it != cache.constEnd()) return *it;
        if (cache.size() >= kMaxLines) cache.clear();
        const T value = measure();
        cache.insert(line, value);
        return value;
    }

    static constexpr qsizetype kMaxLines = 4096;
};

MeasuredFont& measuredFont(const QString& fontName) {
    static QHash<QString, std::shared_ptr<MeasuredFont>> cache;
    if (auto it = cache.constFind(fontName); it != cache.constEnd()) return **it;
    QFont f;
    if (!fontName.isEmpty() && QFontDatabase::hasFamily(fontName)) {
        f = QFont(fontName);
    } else {
        f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    }
    f.setPixelSize(kTextMeasureReferencePixels);
    // Unhinted outlines scale linearly, so one measurement serves every size.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    auto measured = std::make_shared<MeasuredFont>(f);
    cache.insert(fontName, measured);
    return *measured;
}

QStringList splitLines(const QString& text) { return text.split(QLatin1Char('\n'), Qt::KeepEmptyParts); }

} // namespace

QFont resolvedTextFont(const QString& fontName) { return measuredFont(fontName).font; }

QSizeF measureTextLine(const QString& line, const QString& fontName, double pixelSize) {
    MeasuredFont& m = measuredFont(fontName);
    const double k = pixelSize / kTextMeasureReferencePixels;
    return QSizeF(m.advance(line) * k, m.metrics.height() * k);
}

double textSize(const QString& text, double innerWidth, double innerHeight, const QString& fontName) {
    const QStringList lines = splitLines(text);
    const double n = std::max<qsizetype>(lines.size(), 1);
    MeasuredFont& m = measuredFont(fontName);
    double widest = 0;
    for (const QString& line : lines) widest = std::max(widest, m.advance(line));
    widest *= kTextFitReferenceSize / kTextMeasureReferencePixels;
    const double hFit = innerHeight / (n * kTextLineStep);
    double size = hFit;
    if (widest > 0) size = std::min(innerWidth * kTextFitReferenceSize / widest, hFit);
    // std::max would keep a NaN from a degenerate box; this turns it into 6.
    return size > kTextMinimumFittedSize ? size : kTextMinimumFittedSize;
}

QPointF rotatePoint(QPointF p, QPointF center, double degrees) {
    if (degrees == 0) return p;
    const double a = -degrees * std::numbers::pi / 180;
    const QPointF d = p - center;
    const double c = std::cos(a), s = std::sin(a);
    return QPointF(center.x() + d.x() * c - d.y() * s, center.y() + d.x() * s + d.y() * c);
}

TextLayout layoutText(QPointF start, QPointF end, const QString& text, const QString& fontName, double explicitFontSize,
                      double rotationDegrees) {
    TextLayout layout;
    layout.center = (start + end) / 2;
    layout.rotationDegrees = rotationDegrees;
    if (text.isEmpty()) return layout;

    const double w = std::max(std::abs(end.x() - start.x()) - kTextBoxInset, 1.0);
    const double h = std::max(std::abs(end.y() - start.y()) - kTextBoxInset, 1.0);
    layout.fontSize = explicitFontSize > 0 ? explicitFontSize : textSize(text, w, h, fontName);

    MeasuredFont& m = measuredFont(fontName);
    layout.font = m.font;
    layout.scale = layout.fontSize / kTextMeasureReferencePixels;
    layout.ascent = m.metrics.ascent() * layout.scale;
    const double lineHeight = m.metrics.height() * layout.scale;

    const QStringList lines = splitLines(text);
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].isEmpty()) continue; // keeps its place, is never hit
        const QRectF rect(start.x() + kTextLineOrigin,
                          start.y() + kTextLineOrigin + i * kTextLineStep * layout.fontSize,
                          m.advance(lines[i]) * layout.scale, lineHeight);
        const QRectF ink = m.ink(lines[i]);
        const QRectF inkRect(rect.left() + ink.left() * layout.scale,
                             rect.top() + layout.ascent + ink.top() * layout.scale, ink.width() * layout.scale,
                             ink.height() * layout.scale);
        layout.lines.push_back({i, lines[i], rect, inkRect});
    }
    return layout;
}

QTransform TextLayout::transform() const {
    if (rotationDegrees == 0) return QTransform();
    QTransform t;
    t.translate(center.x(), center.y());
    t.rotate(rotationDegrees);
    t.translate(-center.x(), -center.y());
    return t;
}

bool TextLayout::contains(QPointF p) const {
    if (lines.empty()) return false;
    const QPointF q = rotatePoint(p, center, rotationDegrees);
    for (const Line& line : lines) {
        if (platform::canvasContains(line.rect, q)) return true;
    }
    return false;
}

QRectF TextLayout::measuredExtent() const {
    const QTransform t = transform();
    QRectF extent;
    for (const Line& line : lines) extent = extent.united(t.mapRect(line.rect));
    return extent;
}

QRectF TextLayout::inkExtent() const {
    // Each line rotated on its own: a box around all of them, rotated,
    // would take in the empty corners between lines of different lengths.
    const QTransform t = transform();
    QRectF extent;
    for (const Line& line : lines) extent = extent.united(t.mapRect(line.rect.united(line.ink)));
    return extent;
}

double textBoxSize(const QString& text, const QString& fontName, double fontSize) {
    constexpr double kTextBoxPadding = 18;
    double widest = 0;
    for (const QString& line : splitLines(text))
        widest = std::max(widest, measureTextLine(line, fontName, fontSize).width());
    return widest + kTextBoxPadding;
}
