#pragma once

// The toolbar's square, icon-only button: a tinted symbol centred in a
// 24-point frame that takes clicks over its whole square, in the plain style
// (no chrome), optionally with the selected look of a tool.

#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QAbstractButton>

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
    void setPointSize(double size);
    double pointSize() const { return pointSize_; }
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
    double pointSize_ = 13;
    bool highlighted_ = false;
    TooltipChipModifier* chip_;
};
