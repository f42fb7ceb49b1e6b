#include "colorpicker/ColorWheelView.h"

#include "colorpicker/PickerStyle.h"
#include "platform/Color.h"
#include "platform/Dispatch.h"

#include <QConicalGradient>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cstdint>

namespace {

// Qt's conical gradient runs counter-clockwise from 3 o'clock; the wheel's
// run clockwise from the top. Starting at 90° and placing each colour at
// 1 - t makes position t of a full clockwise turn from the top.
void setClockwiseFromTop(QConicalGradient& gradient, double t, const QColor& color) {
    gradient.setColorAt(1 - t, color);
}

QConicalGradient clockwiseGradient(QPointF centre) { return QConicalGradient(centre, 90); }

void strokeCircle(QPainter& p, QPointF centre, double radius, const QBrush& brush, double width) {
    QPen pen(brush, width, Qt::SolidLine, Qt::FlatCap, Qt::SvgMiterJoin);
    pen.setMiterLimit(10);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);
}

QColor withAlpha(QColor c, double alpha) {
    c.setAlphaF(static_cast<float>(c.alphaF() * alpha));
    return c;
}

} // namespace

ColorWheelView::ColorWheelView(Edits edits, QWidget* parent) : QWidget(parent), edits_(std::move(edits)) {}

void ColorWheelView::setHue(double hue) {
    if (hue == hue_) return;
    hue_ = hue;
    update();
}

void ColorWheelView::setSaturation(double saturation) {
    if (saturation == saturation_) return;
    saturation_ = saturation;
    update();
}

void ColorWheelView::setBrightness(double brightness) {
    if (brightness == brightness_) return;
    brightness_ = brightness;
    if (dragTarget_ == DragTarget::none) ringAngle_ = ColorWheelGeometry::ringAngleForBrightness(brightness);
    update();
}

void ColorWheelView::setHarmonyType(HarmonyType type) {
    if (type == harmonyType_) return;
    harmonyType_ = type;
    update();
}

void ColorWheelView::handleDrag(QPointF location) {
    platform::assertMainThread("ColorWheelView::handleDrag");
    const ColorWheelGeometry g = wheelGeometry();
    // Until a drag lands in a zone, each step may still choose one.
    if (dragTarget_ == DragTarget::none) {
        if (g.isOnDisc(location)) dragTarget_ = DragTarget::wheel;
        else if (g.isOnRing(location)) dragTarget_ = DragTarget::ring;
    }
    switch (dragTarget_) {
    case DragTarget::wheel: {
        const auto reading = g.hueSaturationAt(location);
        if (edits_.hueSaturation) edits_.hueSaturation(reading.hue, reading.saturation);
        break;
    }
    case DragTarget::ring:
        ringAngle_ = ColorWheelGeometry::ringAngleAt(location, g.centre);
        update();
        if (edits_.brightness) edits_.brightness(ColorWheelGeometry::brightnessForRingAngle(ringAngle_));
        break;
    case DragTarget::none: break;
    }
}

void ColorWheelView::endDrag() { dragTarget_ = DragTarget::none; }

void ColorWheelView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    handleDrag(event->position());
}

void ColorWheelView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return QWidget::mouseMoveEvent(event);
    handleDrag(event->position());
}

void ColorWheelView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    endDrag();
}

void ColorWheelView::renderGradients(qreal dpr, const QColor& primary) {
    ++gradientRenders_;
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    auto layer = [&] {
        QImage img(pixels, QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(dpr);
        img.fill(Qt::transparent);
        return img;
    };
    const ColorWheelGeometry g = wheelGeometry();
    wheel_ = layer();
    {
        QPainter p(&wheel_);
        p.setRenderHint(QPainter::Antialiasing);
        const double r = g.discRadius();
        if (r > 0) {
            QConicalGradient hues = clockwiseGradient(g.centre);
            for (int i = 0; i <= 24; ++i) setClockwiseFromTop(hues, i / 24.0, colorFromHSB(i / 24.0, 1, 1).toQColor());
            p.setPen(Qt::NoPen);
            p.setBrush(hues);
            p.drawEllipse(g.centre, r, r);
            QRadialGradient veil(g.centre, r);
            veil.setColorAt(0, QColor(255, 255, 255, 255));
            veil.setColorAt(1, QColor(255, 255, 255, 0));
            p.setBrush(veil);
            p.drawEllipse(g.centre, r, r);
        }
        strokeCircle(p, g.centre, r, withAlpha(primary, 0.15), 0.5);
    }

    // The ring in grey, brightness 1, 0.5, 0, 0.5, 1 clockwise from the top:
    // the ring in any hue is that hue times this grey, so a new hue only
    // re-tints these pixels. Its two outlines lie on top of it.
    QImage grey = layer();
    QImage outlines = layer();
    {
        QPainter p(&grey);
        p.setRenderHint(QPainter::Antialiasing);
        QConicalGradient shade = clockwiseGradient(g.centre);
        const double brightness[] = {1, 0.5, 0, 0.5, 1};
        for (int i = 0; i < 5; ++i)
            setClockwiseFromTop(shade, i / 4.0, QColor::fromRgbF(brightness[i], brightness[i], brightness[i]));
        strokeCircle(p, g.centre, g.ringCentreRadius(), shade, ColorWheelGeometry::kRingWidth);
    }
    {
        QPainter p(&outlines);
        p.setRenderHint(QPainter::Antialiasing);
        strokeCircle(p, g.centre, g.outerRadius, withAlpha(primary, 0.12), 0.5);
        strokeCircle(p, g.centre, g.ringInnerRadius(), withAlpha(primary, 0.12), 0.5);
    }
    ring_.clear();
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* greyRow = reinterpret_cast<const QRgb*>(grey.constScanLine(y));
        const auto* outlineRow = reinterpret_cast<const QRgb*>(outlines.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (qAlpha(greyRow[x]) == 0 && qAlpha(outlineRow[x]) == 0) continue;
            ring_.push_back(RingPixel{y * pixels.width() + x, greyRow[x], outlineRow[x]});
        }
    }
    ringHue_.reset();
    cachePrimary_ = primary;
}

void ColorWheelView::tintRing(double hue) {
    if (ringHue_ == hue) return;
    ringHue_ = hue;
    // The hue times each possible grey level, per channel.
    const Color c = colorFromHSB(hue, 1, 1);
    std::array<std::uint8_t, 256> red{}, green{}, blue{};
    for (int v = 0; v < 256; ++v) {
        red[v] = static_cast<std::uint8_t>(qRound(c.r * v));
        green[v] = static_cast<std::uint8_t>(qRound(c.g * v));
        blue[v] = static_cast<std::uint8_t>(qRound(c.b * v));
    }
    auto* pixels = reinterpret_cast<QRgb*>(wheel_.bits());
    for (const RingPixel& px : ring_) {
        const int v = qRed(px.grey); // premultiplied: the grey already carries the coverage
        const int a = qAlpha(px.grey);
        const int o = qAlpha(px.outline);
        if (o == 0) {
            pixels[px.offset] = qRgba(red[v], green[v], blue[v], a);
            continue;
        }
        auto over = [o](int outline, int ring) { return outline + (ring * (255 - o) + 127) / 255; };
        pixels[px.offset] = qRgba(over(qRed(px.outline), red[v]), over(qGreen(px.outline), green[v]),
                                  over(qBlue(px.outline), blue[v]), over(o, a));
    }
}

const QImage& ColorWheelView::shadowSprite(double diameter, double outline, double alpha, double radius, qreal dpr) {
    QImage& sprite = diameter > 12 ? largeShadow_ : smallShadow_;
    const double silhouette = diameter / 2 + outline / 2;
    const double outer = silhouette + radius;
    const int side = static_cast<int>(std::ceil(2 * outer * dpr));
    if (sprite.width() == side && sprite.devicePixelRatio() == dpr) return sprite;
    sprite = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
    sprite.setDevicePixelRatio(dpr);
    sprite.fill(Qt::transparent);
    QPainter p(&sprite);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(side / (2 * dpr), side / (2 * dpr));
    QRadialGradient shadow(centre, outer);
    const QColor dark(0, 0, 0, qRound(255 * alpha));
    shadow.setColorAt(0, dark);
    shadow.setColorAt(std::max(0.0, (silhouette - radius) / outer), dark);
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(centre, outer, outer);
    return sprite;
}

void ColorWheelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The engine's device is what the pixels land in (the window's backing
    // store, or an image when the wheel is rendered elsewhere).
    const QPaintDevice* target = p.paintEngine() ? p.paintEngine()->paintDevice() : p.device();
    const qreal dpr = target ? target->devicePixelRatioF() : devicePixelRatioF();
    const QColor primary = pickerStyle(this).primary;
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (wheel_.size() != pixels || wheel_.devicePixelRatio() != dpr || cachePrimary_ != primary)
        renderGradients(dpr, primary);
    tintRing(hue_);
    p.drawImage(QPointF(0, 0), wheel_);
    paintMarkers(p, wheelGeometry(), dpr);
}

void ColorWheelView::paintMarkers(QPainter& p, const ColorWheelGeometry& g, qreal dpr) {
    auto marker = [&](QPointF centre, double diameter, const Color& fill, double outline, double shadowAlpha,
                      double shadowRadius) {
        const QImage& shadow = shadowSprite(diameter, outline, shadowAlpha, shadowRadius, dpr);
        const QSizeF logical = QSizeF(shadow.size()) / dpr;
        p.drawImage(centre - QPointF(logical.width() / 2, logical.height() / 2), shadow);
        p.setPen(QPen(Qt::white, outline));
        p.setBrush(fill.toQColor());
        p.drawEllipse(centre, diameter / 2, diameter / 2);
    };
    for (double c : companionHues(harmonyType_, hue_))
        marker(g.markerCentre(c, saturation_), 10, colorFromHSB(c, saturation_, brightness_), 1.5, 0.3, 1);
    marker(g.markerCentre(hue_, saturation_), 14, colorFromHSB(hue_, saturation_, brightness_), 2, 0.4, 2);
    marker(g.knobCentre(ringAngle_), 14, colorFromHSB(hue_, 1, brightness_), 2, 0.4, 2);
}
