#include "toolbar/ColorSwatchView.h"

#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr double kOpenOutline = 1.5;
constexpr double kClosedOutline = 0.5;
constexpr double kClosedOutlineOpacity = 0.3;
} // namespace

ColorSwatchView::ColorSwatchView(std::shared_ptr<AnchorRef> anchor, QWidget* parent)
    : QWidget(parent),
      anchorView_(new SwatchAnchorView(anchor, this)),
      chip_(TooltipChipModifier::attach(this, anchor)) {
    platform::assertMainThread("ColorSwatchView");
    setFixedSize(sizeHint());
    anchorView_->setGeometry(rect());
    anchorView_->lower();
}

void ColorSwatchView::setColor(const Color& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void ColorSwatchView::setPickerOpen(bool open) {
    if (open == pickerOpen_) return;
    pickerOpen_ = open;
    update();
}

void ColorSwatchView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF frame(0, 0, kSide, kSide);
    const QPainterPath shape = ControlPainting::roundedRect(frame, kRadius);
    p.fillPath(shape, color_.toQColor());
    // The outline is laid just inside the edge: the widget is only as large
    // as the swatch, and would cut off its outer half.
    const double width = pickerOpen_ ? kOpenOutline : kClosedOutline;
    const QPen pen = pickerOpen_ ? QPen(ControlPainting::qcolor(theme.accent), width)
                                 : QPen(ControlPainting::qcolor(theme.primary, kClosedOutlineOpacity), width);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(ControlPainting::roundedRect(frame.adjusted(width / 2, width / 2, -width / 2, -width / 2),
                                            kRadius - width / 2));
}

void ColorSwatchView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pressed_ = true;
}

void ColorSwatchView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !std::exchange(pressed_, false)) return;
    if (!rect().contains(event->position().toPoint())) return;
    platform::assertMainThread("ColorSwatchView tap");
    tapped.emit();
}
