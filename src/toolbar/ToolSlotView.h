#pragma once

// A slot that stands for more than one thing: the pen and shape family
// slots (the first tool of the family's order, lit for any member) and the
// imported-brush slot. An icon part selects; a chevron beside it opens the
// slot's panel. The slot's anchor view lies behind it, as wide as the slot,
// so the panel opens against the whole slot.

#include "model/DrawingTool.h"
#include "platform/Signal.h"
#include "ui/AnchorRef.h"
#include "ui/TooltipChipModifier.h"

#include <QWidget>

#include <memory>

class ToolSlotView : public QWidget {
public:
    static constexpr double kIconWidth = 24;
    static constexpr double kChevronWidth = 10;
    static constexpr double kHeight = 24;

    ToolSlotView(std::shared_ptr<AnchorRef> anchor, QWidget* parent = nullptr);

    // The tool whose icon shows.
    void setShownTool(DrawingTool tool);
    DrawingTool shownTool() const { return shown_; }
    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    // The chevron is accent-coloured while the slot's panel is open.
    void setPanelOpen(bool open);
    bool isPanelOpen() const { return panelOpen_; }

    TooltipChipModifier* chip() const { return chip_; }
    SwatchAnchorView* anchorView() const { return anchorView_; }

    // A single click on the icon part, or on the chevron part.
    platform::Signal<> iconTapped;
    platform::Signal<> chevronTapped;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Part { none, icon, chevron };
    Part partAt(QPointF p) const;

    SwatchAnchorView* anchorView_;
    TooltipChipModifier* chip_;
    DrawingTool shown_ = DrawingTool::pen;
    bool selected_ = false;
    bool panelOpen_ = false;
    Part pressed_ = Part::none;
};
