#pragma once

// The colour swatch: a small rounded square of the selected colour, outlined
// in the accent colour while the colour picker is open. Its anchor view,
// behind it, is where the picker and the swatch's chip hang from.

#include "platform/Color.h"
#include "platform/Signal.h"
#include "ui/AnchorRef.h"
#include "ui/TooltipChipModifier.h"

#include <QWidget>

#include <memory>

class ColorSwatchView : public QWidget {
public:
    static constexpr double kSide = 16;
    static constexpr double kRadius = 3;

    explicit ColorSwatchView(std::shared_ptr<AnchorRef> anchor, QWidget* parent = nullptr);

    void setColor(const Color& color);
    const Color& color() const { return color_; }
    void setPickerOpen(bool open);
    bool isPickerOpen() const { return pickerOpen_; }

    TooltipChipModifier* chip() const { return chip_; }
    SwatchAnchorView* anchorView() const { return anchorView_; }

    platform::Signal<> tapped;

    QSize sizeHint() const override { return QSize(int(kSide), int(kSide)); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    SwatchAnchorView* anchorView_;
    TooltipChipModifier* chip_;
    Color color_ = Color::black();
    bool pickerOpen_ = false;
    bool pressed_ = false;
};
