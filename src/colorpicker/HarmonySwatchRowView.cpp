#include "colorpicker/HarmonySwatchRowView.h"

#include "colorpicker/ColorPickerModel.h"
#include "colorpicker/ColorValues.h"
#include "colorpicker/PickerStyle.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
constexpr double kCornerRadius = 4;
constexpr double kTextPadding = 3;
constexpr double kMinimumTextScale = 0.4;
} // namespace

HarmonySwatchRowView::HarmonySwatchRowView(ColorPickerModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setFixedHeight(static_cast<int>(kSwatchHeight));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

std::vector<QRectF> HarmonySwatchRowView::swatchRects() const {
    const std::size_t count = model_.harmonyColors().size();
    std::vector<QRectF> rects;
    if (count == 0) return rects;
    const double w = (width() - kSpacing * static_cast<double>(count - 1)) / static_cast<double>(count);
    for (std::size_t i = 0; i < count; ++i)
        rects.emplace_back(static_cast<double>(i) * (w + kSpacing), 0, w, kSwatchHeight);
    return rects;
}

QFont HarmonySwatchRowView::codeFont(const QString& text, double swatchWidth) const {
    return fittedCodeFont(pickerStyle(this).mono, text, swatchWidth);
}

QFont HarmonySwatchRowView::fittedCodeFont(QFont font, const QString& text, double swatchWidth) {
    const double available = std::max(0.0, swatchWidth - 2 * kTextPadding);
    const double natural = QFontMetricsF(font).horizontalAdvance(text);
    if (natural > available && natural > 0) {
        const double scale = std::max(kMinimumTextScale, available / natural);
        font.setPixelSize(std::max(1, static_cast<int>(std::floor(font.pixelSize() * scale))));
    }
    return font;
}

void HarmonySwatchRowView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const auto colors = model_.harmonyColors();
    const auto rects = swatchRects();
    const QFont mono = pickerStyle(this).mono;
    for (std::size_t i = 0; i < colors.size() && i < rects.size(); ++i) {
        const QRectF r = rects[i];
        QPainterPath shape;
        shape.addRoundedRect(r, kCornerRadius, kCornerRadius);
        p.fillPath(shape, colors[i].toQColor());

        const QString code = model_.codeString(colors[i]);
        const QFont font = fittedCodeFont(mono, code, r.width());
        p.setFont(font);
        p.setPen(contrastColor(colors[i]).toQColor());
        const QRectF textRect = r.adjusted(kTextPadding, 0, -kTextPadding, 0);
        // Still too wide at the smallest size: cut with an ellipsis.
        const QString shown = QFontMetricsF(font).elidedText(code, Qt::ElideRight, textRect.width());
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, shown);

        if (model_.matchesSelection(colors[i])) {
            // The outline is centred on the swatch's edge, as a stroked shape.
            p.setPen(QPen(Qt::white, 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(r, kCornerRadius, kCornerRadius);
        }
    }
}

// Taking the press is what brings the release here.
void HarmonySwatchRowView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) event->accept();
    else QWidget::mousePressEvent(event);
}

void HarmonySwatchRowView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return QWidget::mouseReleaseEvent(event);
    const auto colors = model_.harmonyColors();
    const auto rects = swatchRects();
    for (std::size_t i = 0; i < colors.size() && i < rects.size(); ++i) {
        if (rects[i].contains(event->position())) {
            model_.selectSwatch(colors[i]);
            return;
        }
    }
}
