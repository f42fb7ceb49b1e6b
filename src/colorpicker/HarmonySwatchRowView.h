#pragma once

// The row of swatches under the wheel: one per colour of the current
// harmony, each with its own code, the selected one outlined in white.

#include <QFont>
#include <QRectF>
#include <QWidget>

#include <vector>

class ColorPickerModel;

class HarmonySwatchRowView : public QWidget {
public:
    static constexpr double kSwatchHeight = 44;
    static constexpr double kSpacing = 1;

    HarmonySwatchRowView(ColorPickerModel& model, QWidget* parent = nullptr);

    // The swatches' rectangles, sharing the width equally.
    std::vector<QRectF> swatchRects() const;
    // The font a code is drawn in: size 11, shrunk down to 40% when the
    // text would not fit the swatch.
    QFont codeFont(const QString& text, double swatchWidth) const;
    static QFont fittedCodeFont(QFont font, const QString& text, double swatchWidth);

    QSize sizeHint() const override { return {222, static_cast<int>(kSwatchHeight)}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    ColorPickerModel& model_;
};
