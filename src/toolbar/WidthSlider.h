#pragma once

// The line-width slider: 1 to 100 points, continuous, in the small control
// size, 80 points long. Turned a quarter turn for a vertical toolbar, with
// the minimum at the bottom.

#include "platform/Signal.h"

#include <QWidget>

class WidthSlider : public QWidget {
public:
    static constexpr double kMinimum = 1;
    static constexpr double kMaximum = 100;
    static constexpr double kLength = 80;
    // Across the slider: the horizontal height, the vertical width.
    static constexpr double kHorizontalThickness = 16;
    static constexpr double kVerticalThickness = 24;
    static constexpr double kKnobDiameter = 12;
    static constexpr double kTrackThickness = 4;

    explicit WidthSlider(QWidget* parent = nullptr);

    void setVertical(bool vertical);
    bool isVertical() const { return vertical_; }

    // Clamped to the range; NaN goes to the minimum.
    void setValue(double value);
    double value() const { return value_; }

    // The value under a point of the widget, clamped to the range.
    double valueAt(QPointF position) const;
    // Where the knob's centre stands for a value.
    QPointF knobCentre(double value) const;

    // The user moved the knob: the new value.
    platform::Signal<double> valueChanged;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void userMovedTo(QPointF position);

    bool vertical_ = false;
    double value_ = kMinimum;
    bool dragging_ = false;
};
