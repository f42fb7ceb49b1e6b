#pragma once

// What connects a control to the tooltip manager: its text, the user's
// tooltip setting and where its chip goes. When the pointer enters the
// control the manager is asked for a chip; when it leaves, the chip goes.
// The setting is handed to the manager when the control comes on screen and
// whenever it changes.

#include "ui/AnchorRef.h"
#include "ui/TooltipPlacement.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class QWidget;
class TooltipManager;

class TooltipChipModifier : public QObject {
public:
    // Attaches a modifier to `control`, which owns it. Without an anchor the
    // modifier keeps one of its own whose view is the control; with one, it
    // is an ExplicitAnchorTooltipChipModifier and the chip hangs from that
    // anchor's view. `manager`: none, the shared one.
    static TooltipChipModifier* attach(QWidget* control, std::shared_ptr<AnchorRef> anchor = nullptr,
                                       TooltipManager* manager = nullptr);
    // The modifier attached to a control, if any.
    static TooltipChipModifier* of(const QWidget* control);

    ~TooltipChipModifier() override;

    // An empty text carries no chip. `showTooltips` is the user's setting;
    // none makes a help text that follows whatever setting the controls
    // around it applied.
    void update(const QString& text, std::optional<bool> showTooltips, TooltipPlacement placement);

    // The control opened a panel: its chip goes at once. The pointer still
    // rests on the control, and the chip comes back only after it leaves
    // and enters again.
    void withdraw();

    const QString& text() const { return text_; }
    bool showTooltips() const { return showTooltips_.value_or(true); }
    bool carriesSetting() const { return showTooltips_.has_value(); }
    TooltipPlacement placement() const { return placement_; }
    const std::shared_ptr<AnchorRef>& anchor() const { return anchor_; }
    QWidget* control() const { return control_; }
    bool isHovered() const { return hovered_; }

protected:
    TooltipChipModifier(QWidget* control, std::shared_ptr<AnchorRef> anchor, TooltipManager* manager);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TooltipManager& manager() const;
    void applySetting();
    void pointerEntered();
    void pointerLeft();
    bool pointerRestsOnControl() const;

    QPointer<QWidget> control_;
    std::shared_ptr<AnchorRef> anchor_;
    TooltipManager* manager_;
    QString text_;
    std::optional<bool> showTooltips_;
    TooltipPlacement placement_;
    bool hovered_ = false;
    // A leave is handled on the next turn, so that the pointer arriving on
    // another control in the same move first hands the chip over.
    bool leavePending_ = false;
    // The control opened a panel; set until the pointer leaves it.
    bool withdrawn_ = false;
};

// The modifier for a control whose anchor another part of the toolbar keeps
// (the colour swatch's, which its panel opens from too).
class ExplicitAnchorTooltipChipModifier : public TooltipChipModifier {
public:
    ExplicitAnchorTooltipChipModifier(QWidget* control, std::shared_ptr<AnchorRef> anchor, TooltipManager* manager);
};
