#pragma once

// The square, icon-only button of the toolbar and the panels: a tinted
// symbol centred in a frame (24 points unless set) that takes clicks over
// its whole square, in the plain style (no chrome), optionally with the
// selected look of a tool.

#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QAbstractButton>
#include <QColor>

#include <optional>

class SymbolButton : public QAbstractButton {
public:
    static constexpr double kSide = 24;

    // `chipAnchor`: where the help text's chip hangs from; none: the button.
    explicit SymbolButton(QWidget* parent = nullptr, std::shared_ptr<AnchorRef> chipAnchor = nullptr);

    void setSymbol(const QString& name);
    const QString& symbol() const { return symbol_; }
    void setTint(ui::ThemeColor tint);
    ui::ThemeColor tint() const { return tint_; }
    // A colour of the panel's own instead of the theme's tint; an invalid
    // colour goes back to the tint.
    void setColor(const QColor& color);
    const QColor& color() const { return color_; }
    void setPointSize(double size);
    double pointSize() const { return pointSize_; }
    // The frame's side, which the button takes as its fixed size.
    void setSide(double side);
    double side() const { return side_; }
    // The label's opacity while disabled (pressed, it is always 0.6).
    void setDisabledOpacity(double opacity);
    // The selected look of a tool's label.
    void setHighlighted(bool on);
    bool isHighlighted() const { return highlighted_; }

    // The help text, its setting and placement.
    TooltipChipModifier* chip() const { return chip_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole square takes clicks, transparent corners included.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    QString symbol_;
    ui::ThemeColor tint_ = ui::ThemeColor::primary;
    QColor color_;
    double pointSize_ = 13;
    double side_ = kSide;
    double disabledOpacity_ = 0.3;
    bool highlighted_ = false;
    TooltipChipModifier* chip_;
};
