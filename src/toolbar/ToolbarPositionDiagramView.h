#pragma once

// The settings panel's miniature screen with a bar for each dock position of
// the toolbar that a desktop panel does not cover, the current one in the
// accent colour. Picking a bar closes the settings panel and docks the
// toolbar there. While the toolbar is pinned to a window the miniature is
// dimmed and does not react.

#include "model/ToolbarDockPosition.h"
#include "toolbar/DockSpots.h"
#include "ui/Bindings.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class DrawingState;
class QLabel;
class TooltipChipModifier;

// One spot's click target, 28 points square, with its bar in the middle.
class DockSpotButton : public QAbstractButton {
public:
    static constexpr double kSide = 28;
    static constexpr double kBarLength = 18;
    static constexpr double kBarThickness = 4;
    static constexpr double kBarRadius = 1.5;

    DockSpotButton(ToolbarDockPosition position, QWidget* parent);

    ToolbarDockPosition position() const { return position_; }
    void setCurrent(bool current);
    bool isCurrent() const { return current_; }
    // The bar's rectangle in the button.
    QRectF barRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ToolbarDockPosition position_;
    bool current_ = false;
};

class ToolbarPositionDiagramView : public QWidget {
public:
    static constexpr double kMiniatureHeight = 96;
    static constexpr double kSpacing = 5;
    static constexpr double kBottomPadding = 10;
    static constexpr double kCornerRadius = 5;
    static constexpr double kDimmedOpacity = 0.4;
    static inline const QString kPinnedCaption = QStringLiteral("Pinned to a window");
    static inline const QString kPinnedHelp = QStringLiteral("Unpin from the window to change the toolbar position");

    // `onPositionSelected` runs before a picked position is written.
    ToolbarPositionDiagramView(std::shared_ptr<DrawingState> state, std::function<void()> onPositionSelected,
                               std::vector<DockSpot> spots, QWidget* parent = nullptr);

    // The positions of the main screen that a desktop panel covers.
    std::set<ToolbarDockPosition> blockedSpots() const;

    // The bars shown, in drawing order.
    const std::vector<DockSpotButton*>& buttons() const { return buttons_; }
    QWidget* miniature() const;
    QString caption() const;
    bool isDimmed() const;

    // What a click on a bar does.
    void pick(ToolbarDockPosition position);

    // Builds the bars again from the state and the main screen.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Miniature;

    void layOutButtons();

    std::shared_ptr<DrawingState> state_;
    std::function<void()> onPositionSelected_;
    std::vector<DockSpot> spots_;
    std::vector<DockSpot> offered_;
    std::vector<DockSpotButton*> buttons_;
    QLabel* title_;
    Miniature* miniature_;
    QLabel* caption_;
    TooltipChipModifier* miniatureHelp_;
    ui::Bindings bindings_;
};
