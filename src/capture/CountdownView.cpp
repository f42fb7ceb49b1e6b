// The countdown's disc and digit, and the digit's step animation.
#include "capture/CountdownView.h"

#include <QApplication>
#include <QEasingCurve>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDiscOpacity = 0.35;
constexpr double kShadowOpacity = 0.4;
constexpr int kShadowRadius = 6;
constexpr double kGrownScale = 1.8;

// Ease-out: the cubic curve through (0.58, 1).
QEasingCurve easeOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

// Three box blurs of the alpha channel approximate a Gaussian of about the
// given radius. The image is premultiplied black, so only alpha matters.
void blurAlpha(QImage& image, int radius) {
    const int w = image.width();
    const int h = image.height();
    const int box = std::max(1, radius / 2);
    std::vector<int> line(static_cast<std::size_t>(std::max(w, h)));
    auto pass = [&](bool horizontal) {
        const int n = horizontal ? w : h;
        const int lines = horizontal ? h : w;
        for (int l = 0; l < lines; ++l) {
            auto at = [&](int i) -> QRgb& {
                return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                                  : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
            };
            for (int i = 0; i < n; ++i) line[static_cast<std::size_t>(i)] = qAlpha(at(i));
            int sum = 0;
            for (int i = -box; i <= box; ++i) sum += line[static_cast<std::size_t>(std::clamp(i, 0, n - 1))];
            for (int i = 0; i < n; ++i) {
                const int a = sum / (2 * box + 1);
                at(i) = qRgba(0, 0, 0, a);
                sum += line[static_cast<std::size_t>(std::min(i + box + 1, n - 1))];
                sum -= line[static_cast<std::size_t>(std::max(i - box, 0))];
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

} // namespace

CountdownView::CountdownView(int count, QWidget* parent) : QWidget(parent), count_(count), previous_(count) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(kSide, kSide);
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    animation_.setDuration(kStepMs);
    animation_.setEasingCurve(easeOut());
    QObject::connect(&animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        progress_ = v.toDouble();
        update();
    });
}

CountdownView::~CountdownView() = default;

void CountdownView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!stepTimer_) startStepTimer();
}

void CountdownView::startStepTimer() {
    stepTimer_ = new QTimer(this);
    stepTimer_->setInterval(1000);
    QObject::connect(stepTimer_, &QTimer::timeout, this, [this] {
        if (advance()) stepTimer_->stop();
    });
    stepTimer_->start();
}

bool CountdownView::advance() {
    if (count_ < 2) return true;
    previous_ = count_;
    count_ -= 1;
    progress_ = 0;
    animation_.stop();
    animation_.start();
    update();
    return false;
}

const QImage& CountdownView::digitImage(int digit, qreal dpr) {
    const auto key = std::make_pair(digit, dpr);
    if (auto it = digits_.find(key); it != digits_.end()) return it->second;

    const QSize pixels = (QSizeF(kSide, kSide) * dpr).toSize();
    QFont font = QApplication::font();
    font.setPixelSize(kDigitPixels);
    font.setWeight(QFont::Bold);
    const QString text = QString::number(digit);
    const QRectF box(0, 0, kSide, kSide);

    QImage shadow(pixels, QImage::Format_ARGB32_Premultiplied);
    shadow.setDevicePixelRatio(dpr);
    shadow.fill(Qt::transparent);
    {
        QPainter p(&shadow);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(QColor(0, 0, 0, 255));
        p.drawText(box, Qt::AlignCenter, text);
    }
    blurAlpha(shadow, static_cast<int>(std::lround(kShadowRadius * dpr)));

    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setOpacity(kShadowOpacity);
        p.drawImage(QPointF(0, 0), shadow);
        p.setOpacity(1);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, text);
    }
    return digits_.emplace(key, std::move(image)).first->second;
}

void CountdownView::drawDigit(QPainter& p, int digit, qreal opacity, qreal scale) {
    if (opacity <= 0) return;
    const QImage& image = digitImage(digit, devicePixelRatioF());
    p.save();
    p.setOpacity(opacity);
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.translate(centre);
    p.scale(scale, scale);
    p.translate(-kSide / 2.0, -kSide / 2.0);
    p.drawImage(QPointF(0, 0), image);
    p.restore();
}

void CountdownView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(kDiscOpacity)));
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.drawEllipse(centre, kDiscDiameter / 2.0, kDiscDiameter / 2.0);

    if (progress_ < 1 && previous_ != count_) {
        drawDigit(p, previous_, 1 - progress_, 1 + (kGrownScale - 1) * progress_);
        drawDigit(p, count_, progress_, kGrownScale - (kGrownScale - 1) * progress_);
    } else {
        drawDigit(p, count_, 1, 1);
    }
}
