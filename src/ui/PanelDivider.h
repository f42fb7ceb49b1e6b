#pragma once

// A horizontal hairline across a panel, in the theme's separator colour,
// with optional room above and below it.

#include "ui/Theme.h"

#include <QColor>
#include <QWidget>

class PanelDivider : public QWidget {
public:
    // How strongly the line shows, by panel.
    enum class Shade {
        faint,  // the primary colour at 12 %: the brush panel and its editor
        medium, // at 15 %: the font picker, the toolbar's groups
        themed, // at 10 % in light palettes, 15 % in dark ones: settings, information panels
    };

    explicit PanelDivider(double padding = 0, QWidget* parent = nullptr, Shade shade = Shade::faint);
    explicit PanelDivider(Shade shade, QWidget* parent = nullptr) : PanelDivider(0, parent, shade) {}

    Shade shade() const { return shade_; }
    // The line's colour in `theme`.
    static QColor color(const ui::Theme& theme, Shade shade);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double padding_;
    Shade shade_;
};
