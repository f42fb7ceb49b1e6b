// A brush row's tile, its looks, its taps and its delete control.
#include "toolbar/GIMPBrushRow.h"

#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double kActiveTintOpacity = 0.12;
constexpr double kHoverTintOpacity = 0.06;
constexpr double kActiveBorder = 1.5;
constexpr double kPlainBorder = 0.5;
constexpr double kPlainBorderOpacity = 0.2;
constexpr double kPlaceholderOpacity = 0.25;
constexpr double kDeleteDiscOpacity = 0.7;
// The system's gray.
constexpr Color kGray{0.557, 0.557, 0.576, 1};

// The tile is white in either palette, so what stands on it takes the light
// palette's secondary colour, never fainter than a symbol must be on white.
Color tileInk(double opacity) {
    return legibleOn(ui::Theme::light(platform::compositingManagerRunning()).secondary.opacity(opacity), Color::white(),
                     kSymbolContrast);
}

} // namespace

GIMPBrushRowDeleteButton::GIMPBrushRowDeleteButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setFixedSize(sizeHint());
}

QSize GIMPBrushRowDeleteButton::sizeHint() const {
    const int side = int(ui::symbolBoxSide(kPointSize));
    return QSize(side, side);
}

void GIMPBrushRowDeleteButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = ui::symbolRect(QRectF(rect()), kPointSize);
    // The cross is cut out of the disc: white shows through it. The white
    // stays inside the disc's rim, so no white fringe shows around it.
    const double white = box.width() * 8.5 / 24;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(box.center(), white, white);
    const double opacity = isDown() ? 0.6 : 1;
    ui::drawSymbol(p, QRectF(rect()), QStringLiteral("xmark.circle.fill"), tileInk(kDeleteDiscOpacity).opacity(opacity),
                   kPointSize);
}

GIMPBrushRow::GIMPBrushRow(const ImportedGIMPBrush& brush, bool isActive, std::function<void()> onSelect,
                           std::function<void()> onDelete, const QString& storeDir, QWidget* parent)
    : QWidget(parent),
      model_(GIMPBrushRowModel::create(brush, storeDir)),
      onSelect_(std::move(onSelect)),
      onDelete_(std::move(onDelete)),
      delete_(new GIMPBrushRowDeleteButton(this)),
      active_(isActive) {
    platform::assertMainThread("GIMPBrushRow");
    setFixedHeight(int(kRowHeight));
    setMouseTracking(true);
    setAccessibleName(brush.name);
    QObject::connect(delete_, &QAbstractButton::clicked, this, [this] {
        platform::assertMainThread("GIMPBrushRow delete");
        if (onDelete_) onDelete_();
    });
    updateDeleteButton();
    imageSubscription_ = model_->imageChanged.connect([this] { update(); });
}

GIMPBrushRow::~GIMPBrushRow() = default;

QSize GIMPBrushRow::sizeHint() const { return QSize(200, int(kRowHeight)); }

QRectF GIMPBrushRow::tileRect() const {
    return QRectF(kHorizontalPadding, kVerticalPadding, std::max(0.0, width() - 2 * kHorizontalPadding),
                  std::max(0.0, height() - 2 * kVerticalPadding));
}

void GIMPBrushRow::setBrush(const ImportedGIMPBrush& brush) {
    const bool bundledChanged = brush.bundledSourceID != model_->brush().bundledSourceID;
    model_->setBrush(brush);
    setAccessibleName(brush.name);
    if (bundledChanged) updateDeleteButton();
}

void GIMPBrushRow::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    update();
}

void GIMPBrushRow::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    updateDeleteButton();
    update();
}

void GIMPBrushRow::reveal() {
    if (model_->isShown()) return;
    model_->setThumbSize(tileRect().size());
    model_->setShown(true);
}

void GIMPBrushRow::updateDeleteButton() {
    // Brushes that ship with the program cannot be deleted from here.
    delete_->setVisible(hovered_ && !model_->brush().bundledSourceID);
}

void GIMPBrushRow::layoutDeleteButton() {
    const QRectF tile = tileRect();
    const QSize size = delete_->sizeHint();
    delete_->move(int(std::round(tile.right() - kDeleteTrailingPadding - size.width())),
                  int(std::round(tile.center().y() - size.height() / 2.0)));
}

void GIMPBrushRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutDeleteButton();
    model_->setThumbSize(tileRect().size());
}

void GIMPBrushRow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF tile = tileRect();
    QPainterPath shape;
    shape.addRoundedRect(tile, kCornerRadius, kCornerRadius);

    p.save();
    p.setClipPath(shape);
    p.fillRect(tile, Qt::white);
    if (const QImage& image = model_->image(); !image.isNull()) {
        const double h = std::min(kTileHeight, tile.height());
        p.drawImage(QRectF(tile.left(), tile.center().y() - h / 2, tile.width(), h), image);
    } else {
        ui::drawSymbol(p, tile, QStringLiteral("paintbrush.pointed"), tileInk(kPlaceholderOpacity),
                       kPlaceholderPointSize);
    }
    if (active_) p.fillRect(tile, ControlPainting::qcolor(theme.accent, kActiveTintOpacity));
    else if (hovered_)
        p.fillRect(tile, ControlPainting::qcolor(ui::Theme::light(platform::compositingManagerRunning()).secondary,
                                                 kHoverTintOpacity));
    p.restore();

    QPen border = active_ ? QPen(ControlPainting::qcolor(theme.accent), kActiveBorder)
                          : QPen(ControlPainting::qcolor(kGray, kPlainBorderOpacity), kPlainBorder);
    p.setPen(border);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

void GIMPBrushRow::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    setHovered(true);
}

void GIMPBrushRow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    setHovered(false);
}

void GIMPBrushRow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = true;
}

void GIMPBrushRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    const bool tapped = std::exchange(pressed_, false) && rect().contains(event->position().toPoint());
    if (!tapped) return;
    platform::assertMainThread("GIMPBrushRow tap");
    if (onSelect_) onSelect_();
}
