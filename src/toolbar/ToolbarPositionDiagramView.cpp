// The settings panel's toolbar-position diagram.
#include "toolbar/ToolbarPositionDiagramView.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "ui/ControlPainting.h"
#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kBarOpacity = 0.35;
constexpr double kMiniatureFillOpacity = 0.06;
constexpr double kMiniatureStrokeOpacity = 0.25;

void setInk(QLabel* label, const Color& ink) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ink.toQColor());
    label->setPalette(p);
}

} // namespace

// ---- Spot button ----

DockSpotButton::DockSpotButton(ToolbarDockPosition position, QWidget* parent)
    : QAbstractButton(parent), position_(position) {
    platform::assertMainThread("DockSpotButton");
    setFixedSize(int(kSide), int(kSide));
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(displayName(position));
}

void DockSpotButton::setCurrent(bool current) {
    if (current == current_) return;
    current_ = current;
    update();
}

QRectF DockSpotButton::barRect() const {
    const QSizeF bar = isVertical(position_) ? QSizeF(kBarThickness, kBarLength) : QSizeF(kBarLength, kBarThickness);
    return QRectF(QPointF((kSide - bar.width()) / 2, (kSide - bar.height()) / 2), bar);
}

void DockSpotButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    // The miniature dims everything in it while it does not react.
    if (!isEnabled()) p.setOpacity(ToolbarPositionDiagramView::kDimmedOpacity);
    const Color fill = current_ ? theme.accent : theme.secondary.opacity(kBarOpacity);
    p.fillPath(ControlPainting::roundedRect(barRect(), kBarRadius), fill.toQColor());
}

// ---- Miniature ----

class ToolbarPositionDiagramView::Miniature : public QWidget {
public:
    Miniature(ToolbarPositionDiagramView* diagram) : QWidget(diagram), diagram_(diagram) {
        setFixedHeight(int(kMiniatureHeight));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    bool dimmed = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        if (dimmed) p.setOpacity(kDimmedOpacity);
        const ui::Theme theme = ui::Theme::current(this);
        const QRectF r = QRectF(rect());
        p.fillPath(ControlPainting::roundedRect(r, kCornerRadius),
                   theme.secondary.opacity(kMiniatureFillOpacity).toQColor());
        QPen pen(theme.secondary.opacity(kMiniatureStrokeOpacity).toQColor(), 1);
        p.setPen(pen);
        p.drawPath(ControlPainting::roundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius));
    }
    void resizeEvent(QResizeEvent*) override { diagram_->layOutButtons(); }

private:
    ToolbarPositionDiagramView* diagram_;
};

// ---- Diagram ----

ToolbarPositionDiagramView::ToolbarPositionDiagramView(std::shared_ptr<DrawingState> state,
                                                       std::function<void()> onPositionSelected,
                                                       std::vector<DockSpot> spots, QWidget* parent)
    : QWidget(parent),
      state_(std::move(state)),
      onPositionSelected_(std::move(onPositionSelected)),
      spots_(std::move(spots)),
      title_(new QLabel(QStringLiteral("Toolbar Position"), this)),
      miniature_(new Miniature(this)),
      caption_(new QLabel(this)),
      miniatureHelp_(TooltipChipModifier::attach(miniature_)) {
    platform::assertMainThread("ToolbarPositionDiagramView");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, int(kBottomPadding));
    layout->setSpacing(int(kSpacing));
    QFont titleFont = ui::font(ui::TextStyle::caption);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    caption_->setFont(ui::font(ui::TextStyle::caption2));
    caption_->setAlignment(Qt::AlignHCenter);
    layout->addWidget(title_, 0, Qt::AlignLeft);
    layout->addWidget(miniature_);
    layout->addWidget(caption_);

    refresh();
    if (!state_) return;
    // Picking or pinning while the panel is open shows at once.
    bindings_.onChangeLater(state_->toolbarDockPosition, this, [](ToolbarPositionDiagramView& v) { v.refresh(); });
    bindings_.onChangeLater(state_->isAttachedToWindow, this, [](ToolbarPositionDiagramView& v) { v.refresh(); });
    bindings_.connect(state_->screenProvider().screensChanged, this,
                      [](ToolbarPositionDiagramView& v) { v.refresh(); });
}

std::set<ToolbarDockPosition> ToolbarPositionDiagramView::blockedSpots() const {
    return state_ ? ::blockedSpots(state_->screenProvider()) : std::set<ToolbarDockPosition>{};
}

bool ToolbarPositionDiagramView::isDimmed() const { return state_ && state_->isAttachedToWindow.get(); }

QString ToolbarPositionDiagramView::caption() const { return caption_->text(); }

QWidget* ToolbarPositionDiagramView::miniature() const { return miniature_; }

void ToolbarPositionDiagramView::refresh() {
    platform::assertMainThread("ToolbarPositionDiagramView::refresh");
    const auto offered = offeredSpots(spots_, blockedSpots());
    if (offered != offered_) {
        for (DockSpotButton* b : buttons_) delete b;
        buttons_.clear();
        offered_ = offered;
        for (const DockSpot& spot : offered_) {
            auto* button = new DockSpotButton(spot.position, miniature_);
            const ToolbarDockPosition position = spot.position;
            QObject::connect(button, &QAbstractButton::clicked, this, [this, position] { pick(position); });
            buttons_.push_back(button);
            button->show();
        }
        layOutButtons();
    }

    const bool dimmed = isDimmed();
    for (DockSpotButton* b : buttons_) {
        b->setCurrent(state_ && b->position() == state_->toolbarDockPosition.get());
        b->setEnabled(!dimmed);
    }
    miniature_->dimmed = dimmed;
    miniature_->update();
    miniatureHelp_->update(dimmed ? kPinnedHelp : QString(), std::nullopt, TooltipPlacement::side());
    caption_->setText(dimmed ? kPinnedCaption : state_ ? displayName(state_->toolbarDockPosition) : QString());

    const ui::Theme theme = ui::Theme::current(this);
    setInk(title_, theme.secondary);
    setInk(caption_, theme.secondary);
}

void ToolbarPositionDiagramView::layOutButtons() {
    const double w = miniature_->width();
    const double h = miniature_->height();
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const DockSpot& spot = offered_[i];
        const double cx = spot.x * w;
        const double cy = spot.y * h;
        buttons_[i]->move(int(std::lround(cx - DockSpotButton::kSide / 2)),
                          int(std::lround(cy - DockSpotButton::kSide / 2)));
    }
}

void ToolbarPositionDiagramView::pick(ToolbarDockPosition position) {
    platform::assertMainThread("ToolbarPositionDiagramView::pick");
    if (!state_ || isDimmed()) return;
    if (onPositionSelected_) onPositionSelected_();
    // Written even when it is the current position: the toolbar is rebuilt.
    state_->toolbarDockPosition = position;
}

void ToolbarPositionDiagramView::showEvent(QShowEvent* event) {
    // The blocked spots follow the screens as they are now.
    refresh();
    QWidget::showEvent(event);
}
