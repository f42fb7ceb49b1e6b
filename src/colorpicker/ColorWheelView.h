#pragma once

// The colour wheel: a hue and saturation disc inside a brightness ring,
// with markers for the chosen colour and its harmony's companions.

#include "colorpicker/ColorWheelGeometry.h"
#include "model/HarmonyType.h"

#include <QImage>
#include <QWidget>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

class ColorWheelView : public QWidget {
public:
    enum class DragTarget { none, wheel, ring };

    // Where the wheel's edits go: a drag on the disc sets hue and saturation
    // together (hue first), a drag on the ring sets brightness.
    struct Edits {
        std::function<void(double hue, double saturation)> hueSaturation;
        std::function<void(double brightness)> brightness;
    };

    explicit ColorWheelView(Edits edits, QWidget* parent = nullptr);

    // What the wheel shows; its owner passes every change on.
    void setHue(double hue);
    void setSaturation(double saturation);
    // A change from elsewhere, while no drag runs, puts the knob on the
    // right half of the ring; during a ring drag the knob stays where the
    // pointer put it.
    void setBrightness(double brightness);
    void setHarmonyType(HarmonyType type);

    double hue() const { return hue_; }
    double saturation() const { return saturation_; }
    double brightness() const { return brightness_; }
    HarmonyType harmonyType() const { return harmonyType_; }
    DragTarget dragTarget() const { return dragTarget_; }
    // Radians from the positive x axis, y downwards; -π/2 is the top.
    double ringAngle() const { return ringAngle_; }

    ColorWheelGeometry wheelGeometry() const { return ColorWheelGeometry(QSizeF(size())); }

    // One step of a drag at `location` (local coordinates), and its end.
    void handleDrag(QPointF location);
    void endDrag();

    QSize sizeHint() const override { return {222, 222}; }

    // How many times the gradients were painted into the cache.
    int gradientRenderCount() const { return gradientRenders_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A pixel of the ring's layer: where it is, the ring's grey there
    // (premultiplied) and the outline above it.
    struct RingPixel {
        int offset;
        QRgb grey;
        QRgb outline;
    };

    void renderGradients(qreal devicePixelRatio, const QColor& primary);
    void tintRing(double hue);
    const QImage& shadowSprite(double diameter, double outline, double alpha, double radius, qreal devicePixelRatio);
    void paintMarkers(QPainter& painter, const ColorWheelGeometry& g, qreal devicePixelRatio);

    Edits edits_;
    double hue_ = 0;
    double saturation_ = 1;
    double brightness_ = 1;
    HarmonyType harmonyType_ = HarmonyType::complementary;
    DragTarget dragTarget_ = DragTarget::none;
    double ringAngle_ = -M_PI / 2;
    bool dragging_ = false;

    // The hue disc with its veil and the ring with the outlines, painted once
    // per size, pixel ratio and palette; a new hue only re-tints the ring's
    // pixels. Marker shadows are sprites, as they never change.
    QImage wheel_;
    std::vector<RingPixel> ring_;
    std::optional<double> ringHue_;
    QColor cachePrimary_;
    QImage smallShadow_;
    QImage largeShadow_;
    int gradientRenders_ = 0;
};
