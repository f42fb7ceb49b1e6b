#include "toolbar/ToolSlotView.h"

#include "platform/Dispatch.h"
#include "toolbar/ToolFamilies.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr double kIconPointSize = 13;
constexpr double kChevronPointSize = 7;
constexpr double kClosedChevronOpacity = 0.6;
} // namespace

ToolSlotView::ToolSlotView(std::shared_ptr<AnchorRef> anchor, QWidget* parent)
    : QWidget(parent),
      anchorView_(new SwatchAnchorView(anchor, this)),
      chip_(TooltipChipModifier::attach(this, anchor)) {
    platform::assertMainThread("ToolSlotView");
    setFixedSize(sizeHint());
    anchorView_->setGeometry(rect());
    anchorView_->lower();
}

QSize ToolSlotView::sizeHint() const { return QSize(int(kIconWidth + kChevronWidth), int(kHeight)); }

void ToolSlotView::setShownTool(DrawingTool tool) {
    if (tool == shown_) return;
    shown_ = tool;
    update();
}

void ToolSlotView::setSelected(bool selected) {
    if (selected == selected_) return;
    selected_ = selected;
    update();
}

void ToolSlotView::setPanelOpen(bool open) {
    if (open == panelOpen_) return;
    panelOpen_ = open;
    update();
}

void ToolSlotView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    ControlPainting::paintHighlight(p, QRectF(rect()), selected_, theme);
    ui::drawSymbol(p, QRectF(0, 0, kIconWidth, kHeight), toolbarIconName(shown_), theme.primary, kIconPointSize);
    const Color chevron = panelOpen_ ? theme.accent : theme.secondary.opacity(kClosedChevronOpacity);
    ui::drawSymbol(p, QRectF(kIconWidth, 0, kChevronWidth, kHeight), QStringLiteral("chevron.down"), chevron,
                   kChevronPointSize, ui::SymbolWeight::semibold);
}

ToolSlotView::Part ToolSlotView::partAt(QPointF p) const {
    if (!QRectF(rect()).contains(p)) return Part::none;
    return p.x() < kIconWidth ? Part::icon : Part::chevron;
}

void ToolSlotView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = partAt(event->position());
}

void ToolSlotView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Each click of a double click is a single tap of its own.
    mousePressEvent(event);
}

void ToolSlotView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const Part pressed = std::exchange(pressed_, Part::none);
    if (pressed == Part::none || partAt(event->position()) != pressed) return;
    platform::assertMainThread("ToolSlotView tap");
    if (pressed == Part::icon) iconTapped.emit();
    else chevronTapped.emit();
}
