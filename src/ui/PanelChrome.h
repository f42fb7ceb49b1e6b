#pragma once

// The background an anchored panel's content stands on: the panels'
// material in a rectangle whose two corners on the toolbar's side are
// square and whose other two are rounded.

#include "platform/Subscription.h"
#include "ui/PanelOpenDirection.h"

#include <QPainterPath>
#include <QRectF>
#include <QWidget>

namespace ui {

class PanelChrome : public QWidget {
public:
    struct Corners {
        double topLeft = 0;
        double topRight = 0;
        double bottomRight = 0;
        double bottomLeft = 0;
        friend bool operator==(const Corners&, const Corners&) = default;
    };

    // The panel opens to `direction` of its control, so the side facing the
    // control (and the toolbar) is square.
    static Corners corners(PanelOpenDirection direction, double radius);
    // `rect` with each corner rounded by its radius (0: square).
    static QPainterPath shape(const QRectF& rect, const Corners& corners);

    PanelChrome(double cornerRadius, PanelOpenDirection direction, QWidget* parent = nullptr);

    double cornerRadius() const { return radius_; }
    PanelOpenDirection direction() const { return direction_; }
    void setDirection(PanelOpenDirection direction);
    Corners corners() const { return corners(direction_, radius_); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    PanelOpenDirection direction_;
    platform::Subscription subscription_;
};

} // namespace ui
