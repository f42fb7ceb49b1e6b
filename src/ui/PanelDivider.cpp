// The panels' horizontal hairline.
#include "ui/PanelDivider.h"

#include <QPainter>

namespace {
constexpr double kThickness = 1;
} // namespace

PanelDivider::PanelDivider(double padding, QWidget* parent, Shade shade)
    : QWidget(parent), padding_(padding), shade_(shade) {
    setFixedHeight(sizeHint().height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // A press on the line is one on the panel around it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QColor PanelDivider::color(const ui::Theme& theme, Shade shade) {
    switch (shade) {
    case Shade::faint: return theme.primary.opacity(0.12).toQColor();
    case Shade::medium: return theme.primary.opacity(0.15).toQColor();
    case Shade::themed: return theme.primary.withAlpha(theme.dark ? 0.15 : 0.1).toQColor();
    }
    return {};
}

QSize PanelDivider::sizeHint() const { return QSize(1, int(kThickness + 2 * padding_)); }

void PanelDivider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(QRectF(0, padding_, width(), kThickness), color(ui::Theme::current(this), shade_));
}
