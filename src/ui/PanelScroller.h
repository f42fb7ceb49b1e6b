#pragma once

// The panels' one way of fitting a display: the panel's root in a clear,
// frameless scroll area that shows all of it while the panel is as tall as
// the root asks, and scrolls it inside the chrome while the panel is shorter.

#include "ui/PanelChrome.h"

#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include <functional>
#include <memory>
#include <vector>

namespace ui {

class ScrollIndicator;

// Hosts a panel's root (which paints the chrome and holds the content).
// While the root is taller than the panel: the wheel and a slim indicator on
// the trailing edge scroll it (the indicator leaves the bars of views that
// scroll on their own in sight), the wheel scrolls it also over the controls
// that would otherwise take it for their value (menus, sliders), and the
// chrome's rounded corners are cut at the panel's own edges rather than the
// root's. The root keeps its full size (down to its minimum, where a part
// of it that scrolls on its own gives way first). Takes no keyboard focus.
class PanelScroller : public QScrollArea {
public:
    // The chrome's corners, asked at each paint (a chrome turns with the
    // toolbar).
    using CornerSource = std::function<PanelChrome::Corners()>;

    PanelScroller(QWidget* root, CornerSource corners, QWidget* parent = nullptr);
    ~PanelScroller() override;

    QWidget* root() const { return widget(); }
    // Whether the root is taller than the panel shows.
    bool scrolls() const;
    ScrollIndicator* indicator() const { return indicator_; }

    // The root's own: a window sized by it takes the root's size.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    class EdgeCut;
    class WheelRedirect;

    void arrange();
    void giveWayLater();
    void giveWayToInnerBars();
    // Whether a wheel event bound for `target` goes to the scrolling instead.
    bool takesWheelFrom(const QWidget* target) const;

    CornerSource corners_;
    EdgeCut* edgeCut_ = nullptr;
    ScrollIndicator* indicator_ = nullptr;
    std::unique_ptr<WheelRedirect> wheelRedirect_;
    // The content's own scroll bars, watched as they move.
    std::vector<QPointer<QScrollBar>> innerBars_;
    bool giveWayQueued_ = false;
};

} // namespace ui
