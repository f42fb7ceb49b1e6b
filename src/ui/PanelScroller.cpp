// Scrolling a panel's content inside its chrome.
#include "ui/PanelScroller.h"

#include "platform/Dispatch.h"
#include "ui/ScrollIndicator.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace ui {

namespace {
// The indicator's distance from the trailing edge and from square corners.
constexpr int kIndicatorInset = 2;
} // namespace

// Lies over the viewport and clears what the root painted outside the
// chrome's rounded corners, its content included: scrolled, the root's own
// corners are out of sight and its content passes under the panel's. The
// cleared pixels leave the window's shape too where no compositing manager
// runs. Shown only while the root scrolls.
class PanelScroller::EdgeCut : public QWidget {
public:
    EdgeCut(CornerSource corners, QWidget* parent) : QWidget(parent), corners_(std::move(corners)) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!corners_) return;
        QPainterPath outside;
        outside.addRect(QRectF(rect()));
        outside = outside.subtracted(PanelChrome::shape(QRectF(rect()), corners_()));
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.fillPath(outside, Qt::black);
    }

private:
    CornerSource corners_;
};

// Wheel events go straight to the control under the pointer: the
// application's filter sees them first.
class PanelScroller::WheelRedirect : public QObject {
public:
    explicit WheelRedirect(PanelScroller* scroller) : scroller_(scroller) { qApp->installEventFilter(this); }
    ~WheelRedirect() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType()) return false;
        if (!scroller_->takesWheelFrom(static_cast<QWidget*>(watched))) return false;
        QCoreApplication::sendEvent(scroller_->verticalScrollBar(), event);
        return true;
    }

private:
    PanelScroller* scroller_;
};

PanelScroller::PanelScroller(QWidget* root, CornerSource corners, QWidget* parent)
    : QScrollArea(parent), corners_(std::move(corners)) {
    platform::assertMainThread("PanelScroller");
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The indicator shows the place; a bar would take width from the root.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setWidget(root);
    // Taken on by setWidget(): the root paints its own chrome on a clear
    // window.
    root->setAutoFillBackground(false);

    edgeCut_ = new EdgeCut(corners_, this);
    edgeCut_->hide();
    indicator_ = new ScrollIndicator(verticalScrollBar(), this);
    indicator_->hide();
    QObject::connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { arrange(); });
    // The content's own bars move with it.
    QObject::connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { giveWayLater(); });
    wheelRedirect_ = std::make_unique<WheelRedirect>(this);
}

PanelScroller::~PanelScroller() = default;

bool PanelScroller::scrolls() const { return verticalScrollBar()->maximum() > verticalScrollBar()->minimum(); }

QSize PanelScroller::sizeHint() const { return widget() ? widget()->sizeHint() : QScrollArea::sizeHint(); }

QSize PanelScroller::minimumSizeHint() const { return QSize(widget() ? widget()->minimumSizeHint().width() : 0, 0); }

void PanelScroller::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    arrange();
}

void PanelScroller::arrange() {
    const QRect view = viewport()->geometry();
    edgeCut_->setGeometry(view);
    const PanelChrome::Corners c = corners_ ? corners_() : PanelChrome::Corners{};
    const int top = std::max(kIndicatorInset, int(c.topRight));
    const int bottom = std::max(kIndicatorInset, int(c.bottomRight));
    const int width = int(ScrollIndicator::kWidth);
    indicator_->setGeometry(view.right() + 1 - width - kIndicatorInset, view.top() + top, width,
                            std::max(0, view.height() - top - bottom));
    edgeCut_->setVisible(scrolls());
    edgeCut_->raise();
    indicator_->raise();
    indicator_->follow();
    giveWayLater();
}

bool PanelScroller::eventFilter(QObject* watched, QEvent* event) {
    // The root's layout, and the content's own bars, come and go and move.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::LayoutRequest:
        if (watched == widget() || std::find(innerBars_.begin(), innerBars_.end(), watched) != innerBars_.end())
            giveWayLater();
        break;
    default: break;
    }
    return QScrollArea::eventFilter(watched, event);
}

void PanelScroller::giveWayLater() {
    // Once the layouts in flight have run.
    if (giveWayQueued_) return;
    giveWayQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        giveWayQueued_ = false;
        giveWayToInnerBars();
    });
}

void PanelScroller::giveWayToInnerBars() {
    // A view of the content that scrolls on its own may show its bar at the
    // same edge: the indicator leaves it alone, in sight and in reach.
    const QRect own = indicator_->rect();
    QRegion shown(own);
    if (widget()) {
        const QPoint origin = indicator_->pos();
        for (QScrollBar* bar : widget()->findChildren<QScrollBar*>()) {
            if (std::find(innerBars_.begin(), innerBars_.end(), bar) == innerBars_.end()) {
                bar->installEventFilter(this);
                innerBars_.emplace_back(bar);
            }
            if (bar->isVisible()) shown -= QRect(bar->mapTo(this, QPoint()) - origin, bar->size());
        }
    }
    if (shown == QRegion(own)) indicator_->clearMask();
    else indicator_->setMask(shown.isEmpty() ? QRegion(0, 0, 1, 1) : shown);
}

bool PanelScroller::takesWheelFrom(const QWidget* target) const {
    // While the root scrolls, the wheel over a menu or a slider scrolls it
    // too, rather than changing the control's value as it passes under the
    // pointer. Views that scroll on their own keep their wheel.
    if (!scrolls() || !widget() || !widget()->isAncestorOf(target)) return false;
    for (const QWidget* w = target; w && w != widget(); w = w->parentWidget()) {
        if (qobject_cast<const QScrollBar*>(w)) return false;
        if (qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
            qobject_cast<const QAbstractSpinBox*>(w))
            return true;
    }
    return false;
}

} // namespace ui
