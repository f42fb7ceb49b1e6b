#pragma once

// One entry of the brush library: a full-width tile with a sample stroke of
// the brush on white, the active and hover looks, a tap that selects the
// brush and, for brushes the user imported, a delete control while the
// pointer is over the row. It shows no text.

#include "model/BrushRecords.h"
#include "toolbar/GIMPBrushRowModel.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <memory>

// The delete control: "xmark.circle.fill" in two colours, a white cross on
// a disc of the secondary colour at 70 %.
class GIMPBrushRowDeleteButton : public QAbstractButton {
public:
    static constexpr double kPointSize = 14;

    explicit GIMPBrushRowDeleteButton(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class GIMPBrushRow : public QWidget {
public:
    static constexpr double kRowHeight = 46;
    static constexpr double kTileHeight = 38;
    static constexpr double kHorizontalPadding = 2;
    static constexpr double kVerticalPadding = 4;
    static constexpr double kCornerRadius = 3;
    static constexpr double kDeleteTrailingPadding = 5;
    static constexpr double kPlaceholderPointSize = 14;

    GIMPBrushRow(const ImportedGIMPBrush& brush, bool isActive, std::function<void()> onSelect,
                 std::function<void()> onDelete, const QString& storeDir, QWidget* parent = nullptr);
    ~GIMPBrushRow() override;

    const ImportedGIMPBrush& brush() const { return model_->brush(); }
    // The same brush's record again (new parameters after an edit).
    void setBrush(const ImportedGIMPBrush& brush);
    bool isActive() const { return active_; }
    void setActive(bool active);
    bool isHovered() const { return hovered_; }
    // Follows the pointer; also for tests.
    void setHovered(bool hovered);

    // The row came into the list's visible part: its thumbnail loads from
    // now on.
    void reveal();

    GIMPBrushRowModel& model() const { return *model_; }
    GIMPBrushRowDeleteButton* deleteButton() const { return delete_; }
    // The tile within the row's padding.
    QRectF tileRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void layoutDeleteButton();
    void updateDeleteButton();

    std::shared_ptr<GIMPBrushRowModel> model_;
    std::function<void()> onSelect_;
    std::function<void()> onDelete_;
    GIMPBrushRowDeleteButton* delete_;
    bool active_ = false;
    bool hovered_ = false;
    bool pressed_ = false;
    platform::Subscription imageSubscription_;
};
