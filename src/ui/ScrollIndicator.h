#pragma once

// A slim scroll thumb laid over the trailing edge of a scrolling view.

#include <QRectF>
#include <QWidget>

#include <optional>

class QScrollBar;

namespace ui {

// Follows `bar` (which need not be shown): a rounded thumb in the theme's
// secondary colour, as long as the visible share of the content, shown only
// while there is something to scroll. It takes no width from the view it
// lies over, and it can be dragged; the wheel over it scrolls the view.
class ScrollIndicator : public QWidget {
public:
    static constexpr double kWidth = 6;
    static constexpr double kMinimumThumb = 16;
    static constexpr double kOpacity = 0.45;

    ScrollIndicator(QScrollBar* bar, QWidget* parent);

    // Shown while the bar has a range; repainted.
    void follow();
    // The thumb, in the indicator's coordinates; empty with nothing to
    // scroll.
    QRectF thumbRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void dragTo(double y);

    QScrollBar* bar_;
    // Where in the thumb the drag holds it.
    std::optional<double> grab_;
};

} // namespace ui
