#pragma once

// A continuous horizontal slider of the panels, in the small control size,
// as wide as its row: a value within a range, moved by a press anywhere on
// it and a drag, which it reports as it goes and as an edit that begins and
// ends.

#include "platform/Signal.h"

#include <QWidget>

class PanelSlider : public QWidget {
public:
    static constexpr double kHeight = 16;
    static constexpr double kKnobDiameter = 12;
    static constexpr double kTrackThickness = 4;

    PanelSlider(double minimum, double maximum, QWidget* parent = nullptr);

    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }
    // Shown as given, kept within the range (NaN at the minimum); reports
    // nothing.
    void setValue(double value);
    double value() const { return value_; }
    bool isEditing() const { return editing_; }

    // The value under a point, within the range.
    double valueAt(QPointF position) const;
    QPointF knobCentre(double value) const;

    // The user moved the knob: the new value.
    platform::Signal<double> valueChanged;
    // True when a press starts an edit, false when its release ends it.
    platform::Signal<bool> editingChanged;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void userMovedTo(QPointF position);
    void endEditing();

    double minimum_;
    double maximum_;
    double value_;
    bool editing_ = false;
};
