// The font picker's lazily painted family list.
#include "toolbar/FontFamilyListView.h"

#include "toolbar/FontPickerModel.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr double kCheckmarkSpacing = 8;
constexpr double kSelectedOpacity = 0.12;
constexpr auto kCheckmarkStyle = ui::TextStyle::caption2;

double checkmarkSide() { return ui::symbolBoxSide(ui::textPixelSize(kCheckmarkStyle)); }
} // namespace

FontFamilyListView::FontFamilyListView(Pick pick, QWidget* parent)
    : QAbstractScrollArea(parent), pick_(std::move(pick)) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    // The rows stand on the panel's own background.
    setAttribute(Qt::WA_TranslucentBackground);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setFixedHeight(kHeight);
    verticalScrollBar()->setSingleStep(kRowHeight);
}

QSize FontFamilyListView::sizeHint() const { return QSize(QAbstractScrollArea::sizeHint().width(), kHeight); }

void FontFamilyListView::setEntries(QStringList entries) {
    entries_ = std::move(entries);
    pressedRow_ = -1;
    updateScrollRange();
    viewport()->update();
}

void FontFamilyListView::setSelectedName(const QString& name) {
    if (name == selected_) return;
    selected_ = name;
    viewport()->update();
}

void FontFamilyListView::updateScrollRange() {
    QScrollBar* bar = verticalScrollBar();
    const int content = static_cast<int>(entries_.size()) * kRowHeight;
    const int page = viewport()->height();
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, content - page));
}

int FontFamilyListView::rowAt(QPoint p) const {
    if (!viewport()->rect().contains(p)) return -1;
    const int row = (p.y() + verticalScrollBar()->value()) / kRowHeight;
    return row >= 0 && row < entries_.size() ? row : -1;
}

std::pair<int, int> FontFamilyListView::visibleRows() const {
    if (entries_.isEmpty()) return {0, -1};
    const int offset = verticalScrollBar()->value();
    const int first = offset / kRowHeight;
    const int last = std::min<int>(static_cast<int>(entries_.size()) - 1,
                                   (offset + std::max(0, viewport()->height() - 1)) / kRowHeight);
    return {first, last};
}

QRect FontFamilyListView::rowRect(int row) const {
    return QRect(0, row * kRowHeight - verticalScrollBar()->value(), viewport()->width(), kRowHeight);
}

void FontFamilyListView::scrollToRow(int row) {
    if (row < 0 || row >= entries_.size()) return;
    QScrollBar* bar = verticalScrollBar();
    const int top = row * kRowHeight;
    if (top < bar->value()) bar->setValue(top);
    else if (top + kRowHeight > bar->value() + viewport()->height())
        bar->setValue(top + kRowHeight - viewport()->height());
}

FontFamilyListView::Face& FontFamilyListView::face(const QString& entry, double width) {
    auto it = faces_.find(entry);
    if (it == faces_.end()) {
        // A face is opened the first time its row is painted.
        QFont font;
        if (entry.isEmpty()) {
            font = ui::systemFont(kNamePixelSize);
        } else {
            font = QFont(entry);
            font.setPixelSize(static_cast<int>(kNamePixelSize));
        }
        ++faceLoads_;
        // Room first: removing from the hash may move its other entries.
        while (!ages_.empty() && faces_.size() >= kFaceCacheSize) {
            faces_.remove(ages_.back());
            ages_.pop_back();
        }
        ages_.push_front(entry);
        Face f;
        f.font = font;
        f.age = ages_.begin();
        it = faces_.insert(entry, f);
    } else if (it->age != ages_.begin()) {
        ages_.splice(ages_.begin(), ages_, it->age);
    }
    Face& f = *it;
    if (f.width != width) {
        const QFontMetricsF metrics(f.font);
        f.text = QStaticText(metrics.elidedText(FontPickerModel::displayName(entry), Qt::ElideRight, width));
        f.text.setTextFormat(Qt::PlainText);
        f.text.setPerformanceHint(QStaticText::AggressiveCaching);
        f.text.prepare(QTransform(), f.font);
        f.textHeight = metrics.height();
        f.width = width;
    }
    return f;
}

void FontFamilyListView::dropFaces() {
    faces_.clear();
    ages_.clear();
}

void FontFamilyListView::paintEvent(QPaintEvent* event) {
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QRect dirty = event->rect();
    const auto [first, last] = visibleRows();
    const double side = checkmarkSide();
    for (int row = first; row <= last; ++row) {
        const QRect r = rowRect(row);
        if (!r.intersects(dirty)) continue;
        ++paintedRows_;
        const QString& entry = entries_[row];
        const bool selected = entry == selected_;
        if (selected) p.fillRect(r, theme.accent.opacity(kSelectedOpacity).toQColor());

        const double left = r.left() + kHorizontalPadding;
        const double right = r.right() + 1 - kHorizontalPadding;
        double textWidth = right - left;
        if (selected) {
            const QRectF mark(right - side, r.top() + (kRowHeight - side) / 2, side, side);
            ui::drawSymbol(p, mark, QStringLiteral("checkmark"), theme.accent, ui::textPixelSize(kCheckmarkStyle));
            textWidth -= side + kCheckmarkSpacing;
        }
        if (textWidth <= 0) continue;
        Face& f = face(entry, std::floor(textWidth));
        p.setFont(f.font);
        p.setPen(theme.primary.toQColor());
        p.save();
        // A face with tall ascenders stays inside its own row.
        p.setClipRect(r.intersected(viewport()->rect()));
        p.drawStaticText(QPointF(left, r.top() + std::round((kRowHeight - f.textHeight) / 2)), f.text);
        p.restore();
    }
}

void FontFamilyListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void FontFamilyListView::scrollContentsBy(int, int) { viewport()->update(); }

void FontFamilyListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    pressedRow_ = rowAt(event->position().toPoint());
    event->accept();
}

void FontFamilyListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
    const int row = rowAt(event->position().toPoint());
    const int pressed = std::exchange(pressedRow_, -1);
    event->accept();
    if (row < 0 || row != pressed) return;
    if (pick_) pick_(entries_[row]);
}

void FontFamilyListView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    // The system font's row follows the application font.
    if (event->type() == QEvent::FontChange) dropFaces();
}
