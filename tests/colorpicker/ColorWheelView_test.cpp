// The colour wheel: what a drag reads where, the zones and their dead band,
// the knob, and the painted disc, ring and markers probed pixel by pixel.
#include "colorpicker/ColorWheelView.h"

#include "platform/Color.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

// A wheel whose edits come straight back to it, as a bound owner would.
struct Wheel {
    int hueSaturationEdits = 0;
    int brightnessEdits = 0;
    ColorWheelView view{ColorWheelView::Edits{
        [this](double h, double s) {
            ++hueSaturationEdits;
            view.setHue(h);
            view.setSaturation(s);
        },
        [this](double b) {
            ++brightnessEdits;
            view.setBrightness(b);
        },
    }};
    explicit Wheel(QSize size = {222, 222}) { view.resize(size); }

    QPointF at(double angleFromTop, double radius) const {
        const QPointF c = view.wheelGeometry().centre;
        const double a = angleFromTop - M_PI / 2;
        return c + QPointF(radius * std::cos(a), radius * std::sin(a));
    }
};

QImage render(ColorWheelView& view, qreal dpr) {
    QImage img((QSizeF(view.size()) * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(Qt::transparent);
    view.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

// The pixel under a logical point.
Color pixel(const QImage& img, QPointF p) {
    const qreal dpr = img.devicePixelRatio();
    const QColor c = img.pixelColor(static_cast<int>(p.x() * dpr), static_cast<int>(p.y() * dpr));
    return Color::fromQColor(c);
}

::testing::AssertionResult near(const Color& actual, const Color& expected, double tolerance) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << "), expected (" << expected.r << ", " << expected.g << ", " << expected.b
                                         << ")";
}

void sendMouse(QWidget& w, QEvent::Type type, QPointF p, Qt::MouseButton button) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent e(type, p, w.mapToGlobal(p), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

} // namespace

TEST(ColorWheelGeometry, MeasuresFromTheSmallerSideAndCentres) {
    const ColorWheelGeometry square(QSizeF(222, 222));
    EXPECT_EQ(square.outerRadius, 111);
    EXPECT_EQ(square.ringInnerRadius(), 99);
    EXPECT_EQ(square.ringCentreRadius(), 105);
    EXPECT_EQ(square.discRadius(), 87);

    const ColorWheelGeometry wide(QSizeF(300, 200));
    EXPECT_EQ(wide.centre, QPointF(150, 100));
    EXPECT_EQ(wide.outerRadius, 100);
    EXPECT_EQ(wide.discRadius(), 76);

    // Too small for a disc: nothing turns inside out, a drag still reads.
    const ColorWheelGeometry tiny(QSizeF(30, 30));
    EXPECT_EQ(tiny.discRadius(), 0);
    EXPECT_EQ(tiny.hueSaturationAt(QPointF(15, 15)).saturation, 0);
    EXPECT_EQ(tiny.hueSaturationAt(QPointF(20, 15)).saturation, 1);
}

TEST(ColorWheelView, DiscReadsHueClockwiseFromTheTopAndSaturationOutwards) {
    Wheel w;
    const QPointF c = w.view.wheelGeometry().centre;
    // atan2(0, 0) is 0, which is a quarter turn from the top.
    w.view.handleDrag(c);
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::wheel);
    EXPECT_DOUBLE_EQ(w.view.hue(), 0.25);
    EXPECT_EQ(w.view.saturation(), 0);

    const struct {
        double angle, hue;
    } points[] = {{0, 0}, {M_PI / 2, 0.25}, {M_PI, 0.5}, {3 * M_PI / 2, 0.75}, {M_PI / 3, 1.0 / 6}};
    for (const auto& p : points) {
        w.view.handleDrag(w.at(p.angle, 43.5));
        EXPECT_NEAR(w.view.hue(), p.hue, 1e-12) << p.angle;
        EXPECT_NEAR(w.view.saturation(), 0.5, 1e-12);
    }
    // Past the edge the drag keeps the disc: saturation stays 1, hue follows.
    w.view.handleDrag(w.at(M_PI, 300));
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::wheel);
    EXPECT_NEAR(w.view.hue(), 0.5, 1e-12);
    EXPECT_EQ(w.view.saturation(), 1);
    EXPECT_EQ(w.view.brightness(), 1) << "a disc drag never touches brightness";
    w.view.endDrag();
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::none);
}

TEST(ColorWheelView, ZonesHaveATolerance_AndTheGapBetweenThemChoosesNothing) {
    Wheel w;
    // 3 points outside the disc (87) still picks the disc.
    w.view.handleDrag(w.at(0, 90));
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::wheel);
    EXPECT_EQ(w.view.saturation(), 1);
    w.view.endDrag();

    // 3 points inside the ring's inner edge (99) picks the ring.
    w.view.handleDrag(w.at(M_PI, 96));
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::ring);
    EXPECT_NEAR(w.view.brightness(), 0, 1e-12);
    w.view.endDrag();

    // Between 91 and 95: nothing is chosen and nothing changes, until a later
    // step of the same drag lands in a zone.
    Wheel g;
    g.view.handleDrag(g.at(M_PI / 2, 93));
    g.view.handleDrag(g.at(M_PI / 4, 91.5));
    EXPECT_EQ(g.view.dragTarget(), ColorWheelView::DragTarget::none);
    EXPECT_EQ(g.hueSaturationEdits + g.brightnessEdits, 0);
    g.view.handleDrag(g.at(M_PI / 2, 105));
    EXPECT_EQ(g.view.dragTarget(), ColorWheelView::DragTarget::ring);
    EXPECT_NEAR(g.view.brightness(), 0.5, 1e-12);
    // The ring has no outer limit and keeps the drag anywhere, the centre too.
    g.view.handleDrag(g.view.wheelGeometry().centre + QPointF(0, -1));
    EXPECT_NEAR(g.view.brightness(), 1, 1e-12);
    EXPECT_EQ(g.hueSaturationEdits, 0);
}

TEST(ColorWheelView, RingSetsBrightnessByAngleAndTheKnobFollowsOutsideDrags) {
    Wheel w;
    EXPECT_DOUBLE_EQ(w.view.ringAngle(), -M_PI / 2);
    w.view.handleDrag(w.at(0, 105));
    EXPECT_NEAR(w.view.brightness(), 1, 1e-12);
    w.view.handleDrag(w.at(M_PI, 105));
    EXPECT_NEAR(w.view.brightness(), 0, 1e-12);
    w.view.handleDrag(w.at(M_PI / 2, 105));
    EXPECT_NEAR(w.view.brightness(), 0.5, 1e-12);
    // The left side gives the brightness of the mirrored point on the right,
    // and the knob stays where the pointer put it.
    w.view.handleDrag(w.at(-M_PI / 6, 130));
    const double left = w.view.brightness();
    EXPECT_NEAR(left, (1 + std::cos(M_PI / 6)) / 2, 1e-12);
    EXPECT_LT(w.view.wheelGeometry().knobCentre(w.view.ringAngle()).x(), 111);
    w.view.endDrag();

    // Set from elsewhere (no drag): the knob goes to the right half.
    w.view.setBrightness(0.25);
    EXPECT_NEAR(w.view.ringAngle(), std::asin(0.5), 1e-12);
    EXPECT_GT(w.view.wheelGeometry().knobCentre(w.view.ringAngle()).x(), 111);
    w.view.setBrightness(0);
    EXPECT_NEAR(w.view.ringAngle(), M_PI / 2, 1e-12);
    EXPECT_NEAR(w.view.wheelGeometry().knobCentre(w.view.ringAngle()).y(), 111 + 105, 1e-9);
    w.view.setBrightness(1);
    EXPECT_NEAR(w.view.ringAngle(), -M_PI / 2, 1e-12);
}

TEST(ColorWheelView, PointerDragsChooseTheirZoneAtThePress) {
    Wheel w;
    sendMouse(w.view, QEvent::MouseButtonPress, w.at(M_PI / 2, 20), Qt::LeftButton);
    sendMouse(w.view, QEvent::MouseMove, w.at(M_PI, 105), Qt::NoButton);
    // Still the disc: the pointer crossed onto the ring mid-drag.
    EXPECT_NEAR(w.view.hue(), 0.5, 1e-12);
    EXPECT_EQ(w.view.saturation(), 1);
    EXPECT_EQ(w.view.brightness(), 1);
    sendMouse(w.view, QEvent::MouseButtonRelease, w.at(M_PI, 105), Qt::LeftButton);
    EXPECT_EQ(w.view.dragTarget(), ColorWheelView::DragTarget::none);
    // Moves without a held button change nothing.
    const int edits = w.hueSaturationEdits;
    sendMouse(w.view, QEvent::MouseMove, w.at(0, 30), Qt::NoButton);
    EXPECT_EQ(w.hueSaturationEdits, edits);
}

TEST(ColorWheelView, PaintsTheHueDiscClockwiseFromTheTopUnderAWhiteVeil) {
    Wheel w;
    // Markers at the centre-left, away from the probes.
    w.view.setHue(0.75);
    w.view.setSaturation(0.4);
    w.view.setHarmonyType(HarmonyType::analogous);
    for (qreal dpr : {1.0, 2.0}) {
        const QImage img = render(w.view, dpr);
        for (int i = 0; i < 12; ++i) {
            const double hue = i / 12.0;
            if (std::abs(hue - 0.75) < 0.1) continue;
            const Color expected = colorFromHSB(hue, 0.8, 1);
            EXPECT_TRUE(near(pixel(img, w.at(2 * M_PI * hue, 0.8 * 87)), expected, 0.05))
                << "hue " << hue << " @" << dpr;
        }
        EXPECT_TRUE(near(pixel(img, w.at(0.5, 2)), Color::white(), 0.05));
    }
}

TEST(ColorWheelView, PaintsTheRingInTheHueFromBrightAtTheTopToBlackAtTheBottom) {
    Wheel w;
    w.view.setHue(1.0 / 3); // green
    w.view.setSaturation(0);
    w.view.setBrightness(0.5); // knob on the right; probes avoid it
    const QImage img = render(w.view, 2);
    const struct {
        double angle, brightness;
    } probes[] = {{0, 1}, {M_PI, 0}, {3 * M_PI / 2, 0.5}, {M_PI / 4, 0.75}, {5 * M_PI / 4, 0.25}};
    for (const auto& p : probes)
        EXPECT_TRUE(near(pixel(img, w.at(p.angle, 105)), colorFromHSB(1.0 / 3, 1, p.brightness), 0.04)) << p.angle;
    // The gap between ring and disc is left clear.
    EXPECT_EQ(qAlpha(img.pixel(static_cast<int>(2 * w.at(M_PI, 93).x()), static_cast<int>(2 * w.at(M_PI, 93).y()))), 0);
}

TEST(ColorWheelView, MarkersSitWhereTheirColoursAre) {
    Wheel w;
    w.view.setHarmonyType(HarmonyType::triadic);
    w.view.setHue(0.1);
    w.view.setSaturation(0.6);
    w.view.setBrightness(0.7);
    const ColorWheelGeometry g = w.view.wheelGeometry();
    EXPECT_NEAR(g.markerCentre(0.25, 0.5).x(), 111 + 43.5, 1e-9);
    EXPECT_NEAR(g.markerCentre(0.25, 0.5).y(), 111, 1e-9);

    const QImage img = render(w.view, 2);
    const QPointF base = g.markerCentre(0.1, 0.6);
    EXPECT_TRUE(near(pixel(img, base), colorFromHSB(0.1, 0.6, 0.7), 0.02));
    // The base marker's white outline, 7 points out.
    EXPECT_TRUE(near(pixel(img, base + QPointF(0, -7)), Color::white(), 0.1));
    for (double c : {0.1 + 1.0 / 3, 0.1 + 2.0 / 3})
        EXPECT_TRUE(near(pixel(img, g.markerCentre(c, 0.6)), colorFromHSB(c, 0.6, 0.7), 0.02)) << c;
    // The knob: the hue at full saturation and this brightness, on the right.
    const QPointF knob = g.knobCentre(w.view.ringAngle());
    EXPECT_GT(knob.x(), 111);
    EXPECT_TRUE(near(pixel(img, knob), colorFromHSB(0.1, 1, 0.7), 0.02));
}

TEST(ColorWheelView, GradientsArePaintedOncePerSizeAndPixelRatio) {
    Wheel w;
    render(w.view, 2);
    EXPECT_EQ(w.view.gradientRenderCount(), 1);
    for (int i = 0; i < 5; ++i) {
        w.view.handleDrag(w.at(i, 40));
        render(w.view, 2);
    }
    w.view.setBrightness(0.3);
    render(w.view, 2);
    EXPECT_EQ(w.view.gradientRenderCount(), 1) << "markers and the ring's hue move over the cached layers";
    render(w.view, 1);
    EXPECT_EQ(w.view.gradientRenderCount(), 2);
    w.view.resize(200, 200);
    render(w.view, 1);
    EXPECT_EQ(w.view.gradientRenderCount(), 3);
}
