#include "canvas/LoadingBrushBadge.h"

#include "canvas/SolidPixels.h"
#include "platform/Color.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace {

constexpr int kPadding = 10; // around the content
constexpr int kSpacing = 5;  // between spinner and text
constexpr double kCornerRadius = 8;
constexpr int kSpinnerSide = 20; // a regular spinner scaled by 0.7
constexpr double kSpinnerScale = 0.7;
constexpr int kSpokes = 8;
constexpr int kCaptionPixels = 10;

QString caption() { return QStringLiteral("Loading brush\u2026"); }

QFont captionFont(const QFont& base) {
    QFont f = base;
    f.setPixelSize(kCaptionPixels);
    return f;
}

} // namespace

LoadingBrushBadge::LoadingBrushBadge(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    spin_.setInterval(80);
    connect(&spin_, &QTimer::timeout, this, [this] {
        phase_ = (phase_ + 1) % kSpokes;
        update();
    });
    resize(sizeHint());
}

QSize LoadingBrushBadge::sizeHint() const {
    const QFontMetrics fm(captionFont(font()));
    const int textWidth = fm.horizontalAdvance(caption());
    // The spinner keeps its unscaled place in the stack; only its drawing shrinks.
    const int w = std::max(textWidth, kSpinnerSide) + 2 * kPadding;
    const int h = kSpinnerSide + kSpacing + fm.height() + 2 * kPadding;
    return QSize(w, h);
}

void LoadingBrushBadge::centreInParent() {
    resize(sizeHint());
    if (QWidget* p = parentWidget()) move((p->width() - width()) / 2, (p->height() - height()) / 2);
}

void LoadingBrushBadge::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    spin_.start();
}

void LoadingBrushBadge::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    spin_.stop();
}

void LoadingBrushBadge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Shown solid, its plate is opaque: translucent, it would show darkened.
    const bool solid = isShownSolid(*this);
    paintShown(painter, solid, QRectF(rect()), [&](QPainter& p) {
        // A light translucent plate, like a frosted material.
        QPainterPath plate;
        plate.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
        QColor fill = palette().color(QPalette::Window);
        fill.setAlphaF(0.85f);
        fill = shownColour(fill, solid);
        p.fillPath(plate, fill);

        const QColor secondary = palette().color(QPalette::Disabled, QPalette::WindowText);
        const QPointF centre(width() / 2.0, kPadding + kSpinnerSide / 2.0);
        const double outer = kSpinnerSide / 2.0 * kSpinnerScale;
        const double inner = outer * 0.5;
        for (int i = 0; i < kSpokes; ++i) {
            const double angle = 2 * std::numbers::pi * i / kSpokes - std::numbers::pi / 2;
            QColor c = secondary;
            // The spoke at the current phase is darkest; the others fade
            // behind it.
            const int age = (phase_ - i + kSpokes) % kSpokes;
            c.setAlphaF(static_cast<float>(1.0 - 0.8 * age / kSpokes));
            p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(centre + QPointF(std::cos(angle), std::sin(angle)) * inner,
                       centre + QPointF(std::cos(angle), std::sin(angle)) * outer);
        }

        // The caption reads as text on the plate, whatever shows through it.
        p.setPen(legibleOn(Color::fromQColor(secondary), Color::fromQColor(fill)).toQColor());
        p.setFont(captionFont(font()));
        const QRect textRect(0, kPadding + kSpinnerSide + kSpacing, width(),
                             QFontMetrics(captionFont(font())).height());
        p.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, caption());
    });
}
