// The help and about panels' shared pieces.
#include "panels/InfoPanelParts.h"

#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "platform/Window.h"
#include "ui/PanelChrome.h"
#include "ui/PanelDivider.h"
#include "ui/TooltipChipModifier.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {
// The small control size's text.
constexpr double kSmallControlFontSize = 11;
constexpr int kHeaderBottom = 10;
constexpr int kHeaderSpacing = 8;
constexpr int kFooterVertical = 8;
} // namespace

// ---- Background ----

InfoPanelBackground::InfoPanelBackground(double cornerRadius, QWidget* parent)
    : QWidget(parent), radius_(cornerRadius) {
    platform::assertMainThread("InfoPanelBackground");
    setAttribute(Qt::WA_TranslucentBackground);
}

void InfoPanelBackground::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const ui::PanelChrome::Corners corners{radius_, radius_, radius_, radius_};
    p.fillPath(ui::PanelChrome::shape(QRectF(rect()), corners), theme.material.toQColor());
}

void InfoPanelBackground::mousePressEvent(QMouseEvent* event) {
    platform::Window* window = platform::Window::fromWidget(this);
    if (event->button() != Qt::LeftButton || !window) return QWidget::mousePressEvent(event);
    pressedAt_ = event->globalPosition();
    const platform::Rect frame = window->frame();
    startX_ = frame.minX();
    startY_ = frame.minY();
    event->accept();
}

void InfoPanelBackground::mouseMoveEvent(QMouseEvent* event) {
    platform::Window* window = platform::Window::fromWidget(this);
    if (!pressedAt_ || !window) return QWidget::mouseMoveEvent(event);
    // Qt's global coordinates grow downwards, the frame's upwards.
    const QPointF delta = event->globalPosition() - *pressedAt_;
    const platform::Rect frame = window->frame();
    window->setFrame(platform::Rect(startX_ + delta.x(), startY_ - delta.y(), frame.width(), frame.height()));
    event->accept();
}

void InfoPanelBackground::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedAt_) return QWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) pressedAt_.reset();
    event->accept();
}

// ---- Close button ----

InfoPanelCloseButton::InfoPanelCloseButton(QWidget* parent)
    : QAbstractButton(parent), chip_(TooltipChipModifier::attach(this)) {
    platform::assertMainThread("InfoPanelCloseButton");
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    setCursor(Qt::ArrowCursor);
    // A help text: no tooltip setting of the user's applies in this panel.
    chip_->update(QStringLiteral("Close"), std::nullopt, TooltipPlacement::side());
}

void InfoPanelCloseButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF box(0, 0, kSide, kSide);
    p.setPen(Qt::NoPen);
    p.setBrush(theme.primary.withAlpha(kCircleOpacity).toQColor());
    p.drawEllipse(box);
    const Color tint = isDown() ? theme.primary : theme.secondary;
    ui::drawSymbol(p, box, QStringLiteral("xmark"), tint, kSymbolSize, ui::SymbolWeight::semibold);
}

// ---- Symbol ----

InfoPanelSymbol::InfoPanelSymbol(const QString& name, double pointSize, ui::ThemeColor color, QWidget* parent)
    : QWidget(parent), name_(name), pointSize_(pointSize), color_(color) {
    const int side = int(ui::symbolBoxSide(pointSize));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void InfoPanelSymbol::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    ui::drawSymbol(p, QRectF(rect()), name_, theme.color(color_), pointSize_);
}

// ---- Labels, buttons, rows ----

QLabel* makeInfoLabel(const QString& text, const QFont& font, const Color& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color.toQColor());
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QPushButton* makeInfoCloseButton(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("Close"), parent);
    button->setFont(ui::systemFont(kSmallControlFontSize));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

namespace {

QWidget* makeInfoRow(QWidget* parent, int top, int bottom, int spacing) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kInfoPanelInset, top, kInfoPanelInset, bottom);
    if (spacing >= 0) layout->setSpacing(spacing);
    return row;
}

} // namespace

QWidget* makeInfoHeaderRow(QWidget* parent) {
    return makeInfoRow(parent, kInfoPanelInset, kHeaderBottom, kHeaderSpacing);
}

QWidget* makeInfoFooterRow(QWidget* parent) { return makeInfoRow(parent, kFooterVertical, kFooterVertical, -1); }

QAbstractButton* endInfoRowWithClose(QWidget* row, QAbstractButton* close, std::function<void()> onClick) {
    auto* h = static_cast<QHBoxLayout*>(row->layout());
    h->addStretch(1);
    QObject::connect(close, &QAbstractButton::clicked, row, std::move(onClick));
    h->addWidget(close);
    return close;
}

void layOutInfoPanel(QWidget* panel, QWidget* header, QWidget* body, QWidget* footer) {
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(header);
    v->addWidget(new PanelDivider(PanelDivider::Shade::themed, panel));
    v->addWidget(body, 1);
    v->addWidget(new PanelDivider(PanelDivider::Shade::themed, panel));
    v->addWidget(footer);
}
