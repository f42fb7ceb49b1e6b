// Recording drawn text and measuring its contrast.
#include "support/TextContrast.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>

#include <algorithm>
#include <cmath>

namespace testing_support {

namespace {

// Notes text and draws nothing else.
class TextNotingEngine : public QPaintEngine {
public:
    TextNotingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override {
        const QPainter* p = painter();
        if (!p) return;
        const QFontMetricsF metrics(item.font());
        const QRectF local(at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
        QColor color = p->pen().color();
        color.setAlphaF(color.alphaF() * float(p->opacity()));
        texts.push_back({item.text(), p->deviceTransform().mapRect(local), color, nullptr});
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<DrawnText> texts;
};

class TextNotingDevice : public QPaintDevice {
public:
    explicit TextNotingDevice(QSize size) : size_(size) {}
    QPaintEngine* paintEngine() const override { return &engine_; }
    std::vector<DrawnText>& texts() { return engine_.texts; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmNumColors: return 0x7fffffff;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize size_;
    mutable TextNotingEngine engine_;
};

double channel(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

QColor over(QColor top, QColor bottom) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
                            float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

} // namespace

std::vector<DrawnText> drawnTexts(QWidget& widget) {
    TextNotingDevice device(widget.size());
    widget.render(&device, QPoint(), QRegion(), QWidget::DrawChildren);
    std::vector<DrawnText> texts = std::move(device.texts());
    for (DrawnText& t : texts) {
        const QWidget* w = widget.childAt(t.rect.center().toPoint());
        t.widget = w ? w : &widget;
    }
    return texts;
}

QImage renderedOver(QWidget& widget, QColor backdrop) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

double relativeLuminance(QColor c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrastRatio(QColor a, QColor b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor dominantColor(const QImage& image, const QRect& rect) {
    QHash<QRgb, int> counts;
    const QRect r = rect.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[image.pixel(x, y)];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            best = it.key();
        }
    return QColor::fromRgb(best);
}

std::vector<TextContrast> textContrasts(QWidget& widget, QColor backdrop) {
    const QImage image = renderedOver(widget, backdrop);
    std::vector<TextContrast> result;
    for (const DrawnText& t : drawnTexts(widget)) {
        if (t.text.trimmed().isEmpty() || !t.widget->isEnabled()) continue;
        TextContrast c;
        c.text = t;
        // Around the text, a little beyond its glyphs.
        c.background = dominantColor(image, t.rect.toAlignedRect().adjusted(-2, -2, 2, 2));
        c.shown = over(t.color, c.background);
        c.ratio = contrastRatio(c.shown, c.background);
        result.push_back(c);
    }
    return result;
}

} // namespace testing_support
