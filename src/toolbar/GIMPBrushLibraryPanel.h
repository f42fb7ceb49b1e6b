#pragma once

// The upper section of the brush panel: the import button, then either a
// line saying the store is empty or the header (brush count, Clear All) and
// the scrolling list of brush rows in display order. Everything follows the
// drawing state; rows are kept per brush, so a row keeps its thumbnail and
// hover while the list changes around it.

#include "toolbar/GIMPBrushLibraryModel.h"
#include "ui/Bindings.h"
#include "ui/DeferredRefresh.h"

#include <QHash>
#include <QUuid>
#include <QWidget>

#include <memory>
#include <vector>

class BorderlessButton;
class GIMPBrushRow;
class PanelDivider;
class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace ui {
class ScrollIndicator;
}

class GIMPBrushLibraryPanel : public QWidget {
public:
    static constexpr int kPadding = 14;
    static constexpr int kSpacing = 10;
    static constexpr int kListMaxHeight = 276;
    static constexpr int kEmptyTextPadding = 10;

    GIMPBrushLibraryPanel(std::shared_ptr<DrawingState> state, std::shared_ptr<DismissBox> dismissBox,
                          QWidget* parent = nullptr);
    ~GIMPBrushLibraryPanel() override;

    GIMPBrushLibraryModel& model() { return model_; }

    // Derives everything from the state now (otherwise done on the turn
    // after each change).
    void refresh();

    // Parts, for the panel and for tests.
    BorderlessButton* importButton() const { return import_; }
    QLabel* emptyText() const { return emptyText_; }
    QLabel* title() const { return title_; }
    BorderlessButton* clearAllButton() const { return clearAll_; }
    QScrollArea* list() const { return list_; }
    // The rows in list order.
    const std::vector<GIMPBrushRow*>& rows() const { return rows_; }
    GIMPBrushRow* row(const QUuid& brushID) const { return rowsByID_.value(brushID, nullptr); }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuildRows(const std::vector<ImportedGIMPBrush>& brushes);
    void fitListHeight();
    // Rows in or near the list's visible part start loading their thumbnail.
    void revealVisibleRows();

    GIMPBrushLibraryModel model_;
    ui::DeferredRefresh refreshLater_{this, [this] { refresh(); }};
    ui::Bindings bindings_;

    BorderlessButton* import_ = nullptr;
    QLabel* emptyText_ = nullptr;
    QWidget* header_ = nullptr;
    QLabel* title_ = nullptr;
    BorderlessButton* clearAll_ = nullptr;
    QScrollArea* list_ = nullptr;
    QWidget* listContent_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
    ui::ScrollIndicator* indicator_ = nullptr;

    std::vector<GIMPBrushRow*> rows_;
    QHash<QUuid, GIMPBrushRow*> rowsByID_;
    QHash<QUuid, PanelDivider*> dividersByID_;
};
