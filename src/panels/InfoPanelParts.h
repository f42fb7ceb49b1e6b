#pragma once

// The pieces the help and about panels share: the background that gives the
// panel its rounded corners and lets it be dragged, the round close button
// of the header, the symbol image, labels and the footer's "Close" button,
// and the rows and layout around them.

#include "platform/Color.h"
#include "ui/Theme.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPointF>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class TooltipChipModifier;

// Fills itself with the panels' material inside rounded corners. A press on
// it (anywhere no control takes the press) and a drag move its window.
class InfoPanelBackground : public QWidget {
public:
    InfoPanelBackground(double cornerRadius, QWidget* parent = nullptr);

    double cornerRadius() const { return radius_; }
    bool isDragging() const { return pressedAt_.has_value(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double radius_;
    // Where the drag started (Qt's global coordinates) and the window's
    // origin then.
    std::optional<QPointF> pressedAt_;
    double startX_ = 0;
    double startY_ = 0;
};

// The header's close button: an "xmark" of size 9, semibold, in the
// secondary colour, centred in an 18-point circle of the primary colour at
// 8 % opacity. Its help text is "Close".
class InfoPanelCloseButton : public QAbstractButton {
public:
    static constexpr double kSide = 18;
    static constexpr double kSymbolSize = 9;
    static constexpr double kCircleOpacity = 0.08;

    explicit InfoPanelCloseButton(QWidget* parent = nullptr);

    TooltipChipModifier* chip() const { return chip_; }

    QSize sizeHint() const override { return QSize(int(kSide), int(kSide)); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TooltipChipModifier* chip_;
};

// A symbol drawn in a colour of the theme at a size, in a square box.
class InfoPanelSymbol : public QWidget {
public:
    InfoPanelSymbol(const QString& name, double pointSize, ui::ThemeColor color, QWidget* parent = nullptr);

    const QString& name() const { return name_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    double pointSize_;
    ui::ThemeColor color_;
};

// A label in `font` and `color` (alpha included), taking no clicks, so a
// press on it drags the panel.
QLabel* makeInfoLabel(const QString& text, const QFont& font, const Color& color, QWidget* parent);

// The footer's push button "Close", at the small control size.
QPushButton* makeInfoCloseButton(QWidget* parent);

// The panels' inset from their edges, around the header, the footer and the
// body's content.
inline constexpr int kInfoPanelInset = 12;

// The header row, its items 8 apart, and the footer row: horizontal rows
// with the panels' insets, for the caller to fill.
QWidget* makeInfoHeaderRow(QWidget* parent);
QWidget* makeInfoFooterRow(QWidget* parent);
// Ends a header or footer row: a stretch, then `close` at the right, which
// runs `onClick` when clicked. Returns `close`.
QAbstractButton* endInfoRowWithClose(QWidget* row, QAbstractButton* close, std::function<void()> onClick);
// Lays `panel` out top to bottom: `header`, a divider, `body` taking the
// spare height, a divider, `footer`.
void layOutInfoPanel(QWidget* panel, QWidget* header, QWidget* body, QWidget* footer);
