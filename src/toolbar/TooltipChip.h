#pragma once

// The help text a toolbar control carries, with the tooltip setting and
// where its chip goes. The tooltip module shows the chips: it installs a
// presenter that hears when the pointer comes to rest on a control and when
// it leaves; until then the texts are carried and nothing is shown.

#include "ui/AnchorRef.h"
#include "ui/PanelOpenDirection.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QWidget;

// Where a chip goes relative to its anchor: beside a toolbar control, on the
// side the toolbar's panels open to, or to the side of a panel's row.
struct TooltipPlacement {
    enum class Kind { toolbar, side };
    Kind kind = Kind::side;
    PanelOpenDirection direction = PanelOpenDirection::below;

    static TooltipPlacement toolbar(PanelOpenDirection direction) { return {Kind::toolbar, direction}; }
    static TooltipPlacement side() { return {Kind::side, PanelOpenDirection::below}; }
    friend bool operator==(const TooltipPlacement&, const TooltipPlacement&) = default;
};

class TooltipChip : public QObject {
public:
    // What shows the chips.
    class Presenter {
    public:
        virtual ~Presenter() = default;
        virtual void pointerEntered(TooltipChip& chip) = 0;
        virtual void pointerLeft(TooltipChip& chip) = 0;
    };
    // Not owned; none (the default) shows nothing. The presenter must be
    // removed before it goes.
    static void setPresenter(Presenter* presenter);
    static Presenter* presenter();

    // Attaches a chip to `control` (which owns it). Without an anchor the chip
    // makes one of its own whose view is the control.
    static TooltipChip* attach(QWidget* control, std::shared_ptr<AnchorRef> anchor = nullptr);
    // The chip attached to a control, if any.
    static TooltipChip* of(const QWidget* control);

    ~TooltipChip() override;

    void update(const QString& text, bool showTooltips, TooltipPlacement placement);

    const QString& text() const { return text_; }
    bool showTooltips() const { return showTooltips_; }
    TooltipPlacement placement() const { return placement_; }
    const std::shared_ptr<AnchorRef>& anchor() const { return anchor_; }
    QWidget* control() const { return control_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TooltipChip(QWidget* control, std::shared_ptr<AnchorRef> anchor);

    QPointer<QWidget> control_;
    std::shared_ptr<AnchorRef> anchor_;
    QString text_;
    bool showTooltips_ = true;
    TooltipPlacement placement_;
    bool hovered_ = false;
};
