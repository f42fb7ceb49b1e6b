// The brush library's widgets: import button, header and rows.
#include "toolbar/GIMPBrushLibraryPanel.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "toolbar/GIMPBrushRow.h"
#include "ui/BorderlessButton.h"
#include "ui/PanelDivider.h"
#include "ui/ScrollIndicator.h"
#include "ui/Theme.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kRowPitch = int(GIMPBrushRow::kRowHeight) + 1; // a row and its divider

} // namespace

GIMPBrushLibraryPanel::GIMPBrushLibraryPanel(std::shared_ptr<DrawingState> state,
                                             std::shared_ptr<DismissBox> dismissBox, QWidget* parent)
    : QWidget(parent), model_(std::move(state), std::move(dismissBox)) {
    platform::assertMainThread("GIMPBrushLibraryPanel");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);

    auto* importRow = new QHBoxLayout();
    importRow->setContentsMargins(0, 0, 0, 0);
    importRow->addStretch(1);
    import_ = new BorderlessButton(QStringLiteral("Import Brushes…"), ui::TextStyle::caption, this);
    import_->setSymbol(QStringLiteral("square.and.arrow.down"));
    importRow->addWidget(import_, 0, Qt::AlignVCenter);
    layout->addLayout(importRow);
    QObject::connect(import_, &QAbstractButton::clicked, this, [this] { model_.importBrushes(); });

    emptyText_ = new QLabel(this);
    emptyText_->setWordWrap(true);
    emptyText_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    emptyText_->setContentsMargins(0, kEmptyTextPadding, 0, kEmptyTextPadding);
    emptyText_->setFont(ui::font(ui::TextStyle::caption2));
    layout->addWidget(emptyText_);

    header_ = new QWidget(this);
    auto* headerRow = new QHBoxLayout(header_);
    headerRow->setContentsMargins(0, 0, 0, 0);
    title_ = new QLabel(header_);
    QFont bold = ui::font(ui::TextStyle::caption);
    bold.setBold(true);
    title_->setFont(bold);
    headerRow->addWidget(title_, 0, Qt::AlignVCenter);
    headerRow->addStretch(1);
    clearAll_ = new BorderlessButton(QStringLiteral("Clear All"), ui::TextStyle::caption2, header_);
    headerRow->addWidget(clearAll_, 0, Qt::AlignVCenter);
    layout->addWidget(header_);
    QObject::connect(clearAll_, &QAbstractButton::clicked, this, [this] { model_.clearAll(); });

    list_ = new QScrollArea(this);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setWidgetResizable(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setAutoFillBackground(false);
    list_->viewport()->setAutoFillBackground(false);
    listContent_ = new QWidget();
    listContent_->setAutoFillBackground(false);
    listLayout_ = new QVBoxLayout(listContent_);
    listLayout_->setContentsMargins(0, 0, 0, 0);
    listLayout_->setSpacing(0);
    list_->setWidget(listContent_);
    layout->addWidget(list_);
    // A slim thumb over the rows' trailing edge: the tiles stay as wide as
    // the list.
    indicator_ = new ui::ScrollIndicator(list_->verticalScrollBar(), list_);
    indicator_->hide();
    list_->installEventFilter(this);
    QObject::connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { revealVisibleRows(); });

    DrawingState& s = model_.state();
    const auto watch = [&](auto& field) { bindings_.add(refreshLater_.schedulingOn(field)); };
    watch(s.importedGIMPBrushes);
    watch(s.activeGIMPBrushID);
    watch(s.selectedTool);
    refresh();
}

GIMPBrushLibraryPanel::~GIMPBrushLibraryPanel() { bindings_.clear(); }

void GIMPBrushLibraryPanel::refresh() {
    platform::assertMainThread("GIMPBrushLibraryPanel::refresh");
    const ui::Theme theme = ui::Theme::current(this);
    const bool empty = model_.isEmpty();
    emptyText_->setText(model_.emptyText());
    ui::setTextColor(emptyText_, theme.secondary);
    emptyText_->setVisible(empty);
    header_->setVisible(!empty);
    list_->setVisible(!empty);

    title_->setText(model_.title());
    ui::setTextColor(title_, theme.secondary);
    const bool canClear = model_.canClearAll();
    clearAll_->setEnabled(canClear);
    clearAll_->setTint(canClear ? ui::ThemeColor::secondary : ui::ThemeColor::tertiary);
    // A help text of the panel's own: it brings no tooltip setting with it.
    clearAll_->chip()->update(model_.clearAllHelp(), std::nullopt, TooltipPlacement::side());

    rebuildRows(model_.brushes());
    fitListHeight();
    QTimer::singleShot(0, this, [this] { revealVisibleRows(); });
}

void GIMPBrushLibraryPanel::rebuildRows(const std::vector<ImportedGIMPBrush>& brushes) {
    const QString storeDir = model_.state().gimpBrushesDirectory();
    std::vector<GIMPBrushRow*> next;
    next.reserve(brushes.size());
    QSet<QUuid> listed;
    for (const ImportedGIMPBrush& brush : brushes) {
        if (listed.contains(brush.id)) continue; // one row per brush
        listed.insert(brush.id);
        const bool active = model_.isActive(brush.id);
        GIMPBrushRow* row = rowsByID_.value(brush.id, nullptr);
        if (!row) {
            const QUuid id = brush.id;
            row = new GIMPBrushRow(
                brush, active, [this, id] { model_.select(id); }, [this, id] { model_.remove(id); }, storeDir,
                listContent_);
            rowsByID_.insert(id, row);
            dividersByID_.insert(id, new PanelDivider(0, listContent_));
        } else {
            if (!(row->brush() == brush)) row->setBrush(brush);
            row->setActive(active);
        }
        next.push_back(row);
    }
    // Rows of brushes that left the store go on a later turn: their own
    // delete control may be the caller.
    for (auto it = rowsByID_.begin(); it != rowsByID_.end();) {
        if (listed.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->hide();
        it.value()->deleteLater();
        if (PanelDivider* divider = dividersByID_.take(it.key())) divider->deleteLater();
        it = rowsByID_.erase(it);
    }
    if (next == rows_) return;
    rows_ = std::move(next);
    while (listLayout_->count() > 0) delete listLayout_->takeAt(0);
    for (GIMPBrushRow* row : rows_) {
        listLayout_->addWidget(row);
        listLayout_->addWidget(dividersByID_.value(row->brush().id));
    }
}

void GIMPBrushLibraryPanel::fitListHeight() {
    // As tall as the rows, up to the limit; beyond it the list scrolls.
    const int content = int(rows_.size()) * kRowPitch;
    list_->setFixedHeight(std::min(content, kListMaxHeight));
}

void GIMPBrushLibraryPanel::revealVisibleRows() {
    if (!isVisible() || !list_->isVisible()) return;
    // Rows stand at fixed pitches, so what is visible is known before the
    // list's layout has run; one row beyond each edge is built ahead.
    const int top = list_->verticalScrollBar()->value() - kRowPitch;
    const int bottom = list_->verticalScrollBar()->value() + list_->height() + kRowPitch;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const int y = int(i) * kRowPitch;
        if (y + kRowPitch > top && y < bottom) rows_[i]->reveal();
    }
}

void GIMPBrushLibraryPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    QTimer::singleShot(0, this, [this] { revealVisibleRows(); });
}

void GIMPBrushLibraryPanel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Colours come from the palette: a light or dark desktop repaints in its own.
    if (event->type() == QEvent::PaletteChange) refreshLater_.schedule();
}

bool GIMPBrushLibraryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::Resize) {
        const int width = int(ui::ScrollIndicator::kWidth);
        indicator_->setGeometry(list_->width() - width, 0, width, list_->height());
        indicator_->raise();
        indicator_->follow();
        revealVisibleRows();
    }
    return QWidget::eventFilter(watched, event);
}
