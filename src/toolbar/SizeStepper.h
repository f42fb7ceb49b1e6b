#pragma once

// A small stepper: an up and a down arrow in one rounded box, no label.
// Pressing a half steps once, and again and again while it is held; a half
// that cannot step is drawn faint and does nothing.

#include <QTimer>
#include <QWidget>

#include <functional>

class SizeStepper : public QWidget {
public:
    static constexpr int kWidth = 15;
    static constexpr int kHeight = 22;

    // `stepUp` and `stepDown`: one step of the upper or the lower half.
    SizeStepper(std::function<void()> stepUp, std::function<void()> stepDown, QWidget* parent = nullptr);

    void setCanStep(bool up, bool down);
    bool canStepUp() const { return canUp_; }
    bool canStepDown() const { return canDown_; }

    QSize sizeHint() const override { return QSize(kWidth, kHeight); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    enum class Half { none, up, down };
    void step();

    std::function<void()> stepUp_;
    std::function<void()> stepDown_;
    bool canUp_ = true;
    bool canDown_ = true;
    Half held_ = Half::none;
    QTimer repeat_;
};
