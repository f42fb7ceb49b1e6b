#pragma once

// A button of the panels drawn as its label alone: an optional symbol and a
// text, in a text style (or font) and a colour of the theme, dimmed while
// pressed, the text cut short with an ellipsis when the width runs out. A
// disabled button is drawn in the tertiary colour.

#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QAbstractButton>
#include <QFont>

class BorderlessButton : public QAbstractButton {
public:
    static constexpr double kSymbolSpacing = 4;

    BorderlessButton(const QString& text, ui::TextStyle style, QWidget* parent = nullptr);
    BorderlessButton(const QString& text, const QFont& font, QWidget* parent = nullptr);

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
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    // The label's size in pixels, which sizes the symbol too.
    double labelPixelSize() const;
    double symbolSide() const;

    QString symbol_;
    ui::ThemeColor tint_ = ui::ThemeColor::primary;
    TooltipChipModifier* chip_;
};
