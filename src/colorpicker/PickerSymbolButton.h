#pragma once

// A plain button that is only a tinted symbol: no bezel, no focus.

#include <QAbstractButton>
#include <QColor>
#include <QString>

class PickerSymbolButton : public QAbstractButton {
public:
    // `symbolSize` is the symbol's side in points; the button adds a little
    // room around it for the pointer.
    PickerSymbolButton(const QString& symbol, double symbolSize, QWidget* parent = nullptr);

    void setTint(const QColor& tint);
    QColor tint() const { return tint_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbol_;
    double symbolSize_;
    QColor tint_;
};
