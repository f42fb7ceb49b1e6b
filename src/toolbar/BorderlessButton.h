#pragma once

// A borderless button: its label (an optional symbol, then text) in the
// accent colour with no bezel, aligned to the leading edge of whatever
// width it is given; it dims while held down.

#include <QAbstractButton>
#include <QFont>
#include <QString>

class BorderlessButton : public QAbstractButton {
public:
    // `symbol` empty: text only.
    BorderlessButton(const QString& text, const QFont& font, const QString& symbol = {}, QWidget* parent = nullptr);

    const QString& symbol() const { return symbol_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    double symbolSide() const;

    QString symbol_;
};
