#pragma once

// A horizontal hairline across a panel, in the theme's separator colour,
// with optional room above and below it.

#include <QWidget>

class PanelDivider : public QWidget {
public:
    explicit PanelDivider(double padding = 0, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double padding_;
};
