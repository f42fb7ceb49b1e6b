#pragma once

// The countdown's face: a fading digit on a dark disc.

#include <QImage>
#include <QVariantAnimation>
#include <QWidget>

#include <map>

class QTimer;

// The countdown's face: a large white digit on a dark disc, stepping down
// once a second with its own timer. Each new digit fades in while shrinking
// from 1.8 times its size; the old one fades out while growing to it.
class CountdownView : public QWidget {
public:
    static constexpr int kSide = 260;
    static constexpr int kDiscDiameter = 170;
    static constexpr int kDigitPixels = 120;
    static constexpr int kStepMs = 900;

    explicit CountdownView(int count = 3, QWidget* parent = nullptr);
    ~CountdownView() override;

    int count() const { return count_; }

    // One step: below 2 nothing changes and the countdown is done; otherwise
    // the digit goes down by one, animated. Answers whether it is done.
    bool advance();

    QSize sizeHint() const override { return {kSide, kSide}; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // A repeating one-second timer that stops itself once advance() is done.
    void startStepTimer();
    // The digit with its soft shadow, centred on a kSide square, for this
    // pixel ratio.
    const QImage& digitImage(int digit, qreal dpr);
    void drawDigit(QPainter& p, int digit, qreal opacity, qreal scale);

    int count_;
    int previous_;
    qreal progress_ = 1; // of the step animation, eased
    QVariantAnimation animation_;
    QTimer* stepTimer_ = nullptr;
    std::map<std::pair<int, qreal>, QImage> digits_;
};
