// The panels' horizontal hairline.
#include "ui/PanelDivider.h"

#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QPainter>

namespace {
constexpr double kThickness = 1;
constexpr double kOpacity = 0.12;
} // namespace

PanelDivider::PanelDivider(double padding, QWidget* parent) : QWidget(parent), padding_(padding) {
    setFixedHeight(sizeHint().height());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize PanelDivider::sizeHint() const { return QSize(1, int(kThickness + 2 * padding_)); }

void PanelDivider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    p.fillRect(QRectF(0, padding_, width(), kThickness), ControlPainting::qcolor(theme.primary, kOpacity));
}
