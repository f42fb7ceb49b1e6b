#pragma once

// A button of the panels drawn as its label alone: an optional symbol and a
// text, in a text style and a colour of the theme, dimmed while pressed. A
// disabled button looks as its tint says: its owner picks a fainter one.

#include "ui/TooltipChipModifier.h"
#include "ui/Theme.h"

#include <QAbstractButton>

class BorderlessButton : public QAbstractButton {
public:
    static constexpr double kSymbolSpacing = 4;

    BorderlessButton(const QString& text, ui::TextStyle style, QWidget* parent = nullptr);

    // A symbol before the text; empty: none.
    void setSymbol(const QString& name);
    const QString& symbol() const { return symbol_; }
    void setTint(ui::ThemeColor tint);
    ui::ThemeColor tint() const { return tint_; }
    // The help text and where its chip goes.
    TooltipChipModifier* chip() const { return chip_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    double symbolSide() const;

    QString symbol_;
    ui::TextStyle style_;
    ui::ThemeColor tint_ = ui::ThemeColor::primary;
    TooltipChipModifier* chip_;
};
