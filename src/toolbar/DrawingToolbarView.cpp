#include "toolbar/DrawingToolbarView.h"

#include "model/DrawingState.h"
#include "platform/Compositing.h"
#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"
#include "toolbar/CanvasVisibilityControl.h"
#include "toolbar/ColorSwatchView.h"
#include "toolbar/LeadingControls.h"
#include "toolbar/TextToolSlot.h"
#include "toolbar/ToolButton.h"
#include "toolbar/ToolFamilies.h"
#include "toolbar/ToolSlotView.h"
#include "toolbar/ToolbarLayout.h"
#include "toolbar/WidthControl.h"
#include "toolbar/WidthSlider.h"
#include "ui/ControlPainting.h"
#include "ui/NotificationNames.h"
#include "ui/PanelDivider.h"
#include "ui/Theme.h"
#include "ui/TooltipChipModifier.h"

#include <QPainter>
#include <QTimer>

namespace M = ToolbarMetrics;

namespace {
constexpr double kShadowOpacity = 0.18;
constexpr double kShadowRadius = 12;
constexpr double kShadowOffset = 4;
constexpr double kActionPointSize = 12;
constexpr double kLeadingPointSize = 13;
} // namespace

// ---- Group divider ----

GroupDivider::GroupDivider(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(sizeHint());
}

void GroupDivider::setVerticalToolbar(bool vertical) {
    if (vertical == vertical_) return;
    vertical_ = vertical;
    setFixedSize(sizeHint());
    update();
}

QSize GroupDivider::sizeHint() const {
    const int along = int(1 + 2 * M::dividerPadding);
    const int across = int(M::dividerLength);
    return vertical_ ? QSize(across, along) : QSize(along, across);
}

void GroupDivider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF line = vertical_ ? QRectF(0, M::dividerPadding, M::dividerLength, 1)
                                  : QRectF(M::dividerPadding, 0, 1, M::dividerLength);
    // One device pixel or more, never smeared over two.
    p.fillRect(ui::snapToDevicePixels(p, line), PanelDivider::color(theme, PanelDivider::Shade::medium));
}

// ---- Toolbar ----

DrawingToolbarView::DrawingToolbarView(std::shared_ptr<DrawingState> state, ToolbarPanels& panels, QWidget* parent)
    : QWidget(parent),
      state_(std::move(state)),
      panels_(panels),
      layout_(new QBoxLayout(QBoxLayout::LeftToRight, this)) {
    platform::assertMainThread("DrawingToolbarView");
    setAttribute(Qt::WA_TranslucentBackground);
    layout_->setSpacing(int(M::itemSpacing));
    layout_->setSizeConstraint(QLayout::SetFixedSize);
    build();
    if (state_) lastSelectedTool_ = state_->selectedTool.get();
    refresh();
    follow();
}

DrawingToolbarView::~DrawingToolbarView() = default;

QSize DrawingToolbarView::sizeHint() const { return layout_->sizeHint(); }

void DrawingToolbarView::build() {
    for (const ToolbarItem& item : toolbarItems()) {
        switch (item.kind) {
        case ToolbarItemKind::canvasVisibility:
            canvas_ = new CanvasVisibilityControl(state_, this);
            addItem(canvas_);
            break;
        case ToolbarItemKind::lock:
            lock_ = makeActionButton({}, [this] {
                if (state_) toggleLock(*state_);
            });
            lock_->setPointSize(kLeadingPointSize);
            break;
        case ToolbarItemKind::pin:
            pin_ = makeActionButton({}, [this] {
                if (state_) togglePinToWindow(*state_);
            });
            pin_->setPointSize(kLeadingPointSize);
            break;
        case ToolbarItemKind::divider:
            dividers_.push_back(new GroupDivider(this));
            addItem(dividers_.back());
            break;
        case ToolbarItemKind::toolSlot: addItem(makeToolSlot(item.tool)); break;
        case ToolbarItemKind::colorSwatch:
            swatch_ = new ColorSwatchView(swatchRef, this);
            bindings_.add(swatch_->tapped.connect([this] { toggleColorPicker(); }));
            addItem(swatch_);
            break;
        case ToolbarItemKind::widthControl:
            widthIcon_ = new WidthIcon(this);
            slider_ = new WidthSlider(this);
            value_ = new ThicknessValue(state_, this);
            bindings_.add(slider_->valueChanged.connect([this](double v) {
                if (state_) state_->lineWidth = v;
            }));
            addItem(widthIcon_);
            addItem(slider_);
            addItem(value_);
            break;
        case ToolbarItemKind::redo:
            redo_ = makeActionButton(QStringLiteral("arrow.uturn.forward"),
                                     [this] { performStateAction(StateAction::redo); });
            break;
        case ToolbarItemKind::undo:
            undo_ = makeActionButton(QStringLiteral("arrow.uturn.backward"),
                                     [this] { performStateAction(StateAction::undo); });
            break;
        case ToolbarItemKind::clearAll:
            clear_ = makeActionButton(QStringLiteral("trash"), [this] { performStateAction(StateAction::clearAll); });
            break;
        case ToolbarItemKind::capture:
            capture_ = makeActionButton(QStringLiteral("camera.viewfinder"), [this] { requestScreenCapture(); });
            break;
        }
    }
}

SymbolButton* DrawingToolbarView::makeActionButton(const QString& symbol, std::function<void()> action) {
    auto* button = new SymbolButton(this);
    button->setSymbol(symbol);
    button->setPointSize(kActionPointSize);
    QObject::connect(button, &QAbstractButton::clicked, this, [action = std::move(action)] {
        platform::assertMainThread("toolbar button");
        action();
    });
    addItem(button);
    return button;
}

QWidget* DrawingToolbarView::makeToolSlot(DrawingTool tool) {
    switch (tool) {
    case DrawingTool::pen:
        penSlot_ = new ToolSlotView(penRef, this);
        bindings_.add(penSlot_->iconTapped.connect([this] { selectPenFamilyTool(penSlot_->shownTool()); }));
        bindings_.add(penSlot_->chevronTapped.connect([this] { openPenSubmenu(); }));
        return penSlot_;
    case DrawingTool::rectangle:
        shapeSlot_ = new ToolSlotView(shapeRef, this);
        bindings_.add(shapeSlot_->iconTapped.connect([this] { selectShapeFamilyTool(shapeSlot_->shownTool()); }));
        bindings_.add(shapeSlot_->chevronTapped.connect([this] { openShapeSubmenu(); }));
        return shapeSlot_;
    case DrawingTool::gimpBrush:
        gimpSlot_ = new ToolSlotView(gimpBrushRef, this);
        gimpSlot_->setShownTool(DrawingTool::gimpBrush);
        bindings_.add(gimpSlot_->iconTapped.connect([this] { selectGIMPBrushTool(); }));
        bindings_.add(gimpSlot_->chevronTapped.connect([this] { openGIMPBrushPanel(); }));
        return gimpSlot_;
    case DrawingTool::text:
        textSlot_ = new TextToolSlot(fontRef, this);
        QObject::connect(textSlot_, &QAbstractButton::clicked, this, [this] { selectTool(DrawingTool::text); });
        bindings_.add(textSlot_->longPressed.connect([this] { openFontPicker(); }));
        return textSlot_;
    default: {
        const bool selected = state_ && slotIsSelected(tool, state_->selectedTool);
        auto* button = new ToolButton(
            tool, selected, [this, tool] { selectTool(tool); }, state_, this);
        toolButtons_.push_back(button);
        return button;
    }
    }
}

// Every field the toolbar shows is followed; a change reaches the controls
// on the next turn, once all fields changed together hold their new values.
void DrawingToolbarView::follow() {
    if (!state_) return;
    DrawingState& s = *state_;
    auto watch = [this](auto& field) { bindings_.add(refreshLater_.schedulingOn(field)); };
    watch(s.selectedTool);
    watch(s.selectedColor);
    watch(s.lineWidth);
    watch(s.strokes);
    watch(s.undoStack);
    watch(s.redoStack);
    watch(s.isOverlayVisible);
    watch(s.captureAll);
    watch(s.isAttachedToWindow);
    watch(s.isPickingAttachWindow);
    watch(s.toolbarPenOrder);
    watch(s.toolbarShapeOrder);
    watch(s.showTooltips);
    watch(s.toolbarDockPosition);
    watch(s.isToolbarMovedToTopRow);
    watch(colorPickerIsOpen);
    watch(penSubmenuIsOpen);
    watch(fontPickerIsOpen);
    watch(shapeSubmenuIsOpen);
    watch(gimpBrushPanelIsOpen);
    bindings_.connect(s.screenProvider().screensChanged, this,
                      [](DrawingToolbarView& v) { v.refreshLater_.schedule(); });
    bindings_.connect(platform::compositingChanged(), this, [](DrawingToolbarView& v, bool) { v.update(); });

    // The selected tool's own reaction, on every real change.
    bindings_.followLater(s.selectedTool, this, [](DrawingToolbarView& v, const std::optional<DrawingTool>& tool) {
        v.selectedToolChanged(tool);
    });
}

void DrawingToolbarView::addItem(QWidget* item) { items_.push_back(item); }

void DrawingToolbarView::applyDockPosition() {
    const ToolbarDockPosition position = state_ ? state_->toolbarDockPosition.get() : ToolbarDockPosition::topCenterH;
    const bool vertical = isVertical(position);
    direction_ = state_ ? toolbarPanelDirection(*state_) : panelOpenDirection(position);
    if (layoutApplied_ && vertical == vertical_) return;
    layoutApplied_ = true;
    vertical_ = vertical;
    const QMarginsF padding = toolbarPadding(position);
    layout_->setContentsMargins(int(padding.left()), int(padding.top()), int(padding.right()), int(padding.bottom()));
    for (GroupDivider* d : dividers_) d->setVerticalToolbar(vertical);
    slider_->setVertical(vertical);
    arrangeLines();
}

void DrawingToolbarView::setMaxLength(std::optional<double> length) {
    platform::assertMainThread("DrawingToolbarView::setMaxLength");
    if (length == maxLength_) return;
    maxLength_ = length;
    if (layoutApplied_) arrangeLines();
    else applyDockPosition();
}

void DrawingToolbarView::arrangeLines() {
    // The lines stand side by side across the stacking axis.
    layout_->setDirection(vertical_ ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    while (QLayoutItem* line = layout_->takeAt(0)) delete line;

    std::vector<ToolbarLineItem> lengths;
    for (QWidget* item : items_) {
        const QSize hint = item->sizeHint();
        lengths.push_back(
            {double(vertical_ ? hint.height() : hint.width()), dynamic_cast<GroupDivider*>(item) != nullptr});
    }
    const QMargins padding = layout_->contentsMargins();
    const double along = vertical_ ? padding.top() + padding.bottom() : padding.left() + padding.right();
    lineStarts_ =
        maxLength_ ? toolbarLineStarts(lengths, M::itemSpacing, *maxLength_ - along) : std::vector<std::size_t>{0};

    const Qt::Alignment across = vertical_ ? Qt::AlignHCenter : Qt::AlignVCenter;
    QBoxLayout* line = nullptr;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (std::find(lineStarts_.begin(), lineStarts_.end(), i) != lineStarts_.end()) {
            // Shorter lines keep to the start, lined up with the first.
            if (line) line->addStretch(1);
            line = new QBoxLayout(vertical_ ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
            line->setSpacing(int(M::itemSpacing));
            line->setContentsMargins(0, 0, 0, 0);
            layout_->addLayout(line);
        }
        line->addWidget(items_[i], 0, across);
        // A divider where a line breaks is left out: the break parts the
        // groups.
        items_[i]->setVisible(isShownInLines(lengths, lineStarts_, i));
    }
    if (line && lineStarts_.size() > 1) line->addStretch(1);
    // The new size holds at once: the window is fitted to it next.
    layout_->activate();
    adjustSize();
}

void DrawingToolbarView::refresh() {
    platform::assertMainThread("DrawingToolbarView::refresh");
    applyDockPosition();
    if (!state_) return;
    const DrawingState& s = *state_;
    const bool tips = s.showTooltips;
    const auto placement = TooltipPlacement::toolbar(direction_);
    const auto selected = s.selectedTool.get();

    canvas_->refresh(tips, direction_);
    const ControlLook lock = lockLook(s.captureAll);
    lock_->setSymbol(lock.symbol);
    lock_->setTint(lock.tint);
    lock_->chip()->update(lock.help, tips, placement);
    const ControlLook pin = pinLook(s.isAttachedToWindow, s.isPickingAttachWindow);
    pin_->setSymbol(pin.symbol);
    pin_->setTint(pin.tint);
    pin_->chip()->update(pin.help, tips, placement);

    const DrawingTool pen = familyShownTool(s.toolbarPenOrder, DrawingTool::pen);
    penSlot_->setShownTool(pen);
    penSlot_->setSelected(slotIsSelected(DrawingTool::pen, selected));
    penSlot_->setPanelOpen(penSubmenuIsOpen);
    penSlot_->chip()->update(displayName(pen), tips, placement);
    const DrawingTool shape = familyShownTool(s.toolbarShapeOrder, DrawingTool::rectangle);
    shapeSlot_->setShownTool(shape);
    shapeSlot_->setSelected(slotIsSelected(DrawingTool::rectangle, selected));
    shapeSlot_->setPanelOpen(shapeSubmenuIsOpen);
    shapeSlot_->chip()->update(displayName(shape), tips, placement);
    gimpSlot_->setSelected(slotIsSelected(DrawingTool::gimpBrush, selected));
    gimpSlot_->setPanelOpen(gimpBrushPanelIsOpen);
    gimpSlot_->chip()->update(QStringLiteral("GIMP Brush"), tips, placement);
    textSlot_->setHighlighted(slotIsSelected(DrawingTool::text, selected));
    textSlot_->chip()->update(QStringLiteral("Text (hold for font)"), tips, placement);
    for (ToolButton* b : toolButtons_) b->setSelected(slotIsSelected(b->tool(), selected));

    swatch_->setColor(s.selectedColor);
    swatch_->setPickerOpen(colorPickerIsOpen);
    swatch_->chip()->update(QStringLiteral("Color"), tips, placement);
    slider_->setValue(s.lineWidth);
    value_->update();

    redo_->setEnabled(!s.redoStack->empty());
    redo_->chip()->update(QStringLiteral("Redo"), tips, placement);
    undo_->setEnabled(!s.undoStack->empty());
    undo_->chip()->update(QStringLiteral("Undo"), tips, placement);
    const bool hasStrokes = !s.strokes->empty();
    clear_->setEnabled(hasStrokes);
    clear_->setTint(hasStrokes ? ui::ThemeColor::red : ui::ThemeColor::secondary);
    clear_->chip()->update(QStringLiteral("Clear all"), tips, placement);
    capture_->chip()->update(s.isAttachedToWindow ? QStringLiteral("Capture window + drawing (3s)")
                                                  : QStringLiteral("Capture screen + drawing (3s)"),
                             tips, placement);
}

// ---- Actions ----

void DrawingToolbarView::selectTool(DrawingTool tool) {
    platform::assertMainThread("DrawingToolbarView::selectTool");
    if (state_) state_->selectedTool = tool;
}

void DrawingToolbarView::selectPenFamilyTool(DrawingTool tool) {
    selectTool(tool);
    panels_.drop(ToolbarPanel::penSubmenu);
}

void DrawingToolbarView::selectShapeFamilyTool(DrawingTool tool) {
    selectTool(tool);
    panels_.drop(ToolbarPanel::shapeSubmenu);
}

// An open brush panel stays open.
void DrawingToolbarView::selectGIMPBrushTool() { selectTool(DrawingTool::gimpBrush); }

std::function<void(bool)> DrawingToolbarView::openFlagSetter(platform::Published<bool>& isOpen) {
    QPointer<DrawingToolbarView> guard(this);
    platform::Published<bool>* flag = &isOpen;
    return [guard, flag](bool open) {
        platform::assertMainThread("panel open flag");
        if (guard) *flag = open;
    };
}

void DrawingToolbarView::togglePanel(ToolbarPanel panel, platform::Published<bool>& isOpen,
                                     const std::shared_ptr<AnchorRef>& anchor, QWidget* control) {
    // The flag is cleared by the close routine, on a later turn.
    if (!panels_.toggle(panel, isOpen.get(), anchor, openFlagSetter(isOpen))) return;
    isOpen = true;
    if (TooltipChipModifier* chip = TooltipChipModifier::of(control)) chip->withdraw();
}

void DrawingToolbarView::openPenSubmenu() {
    platform::assertMainThread("DrawingToolbarView::openPenSubmenu");
    togglePanel(ToolbarPanel::penSubmenu, penSubmenuIsOpen, penRef, penSlot_);
}

void DrawingToolbarView::openShapeSubmenu() {
    platform::assertMainThread("DrawingToolbarView::openShapeSubmenu");
    togglePanel(ToolbarPanel::shapeSubmenu, shapeSubmenuIsOpen, shapeRef, shapeSlot_);
}

void DrawingToolbarView::openFontPicker() {
    platform::assertMainThread("DrawingToolbarView::openFontPicker");
    togglePanel(ToolbarPanel::fontPicker, fontPickerIsOpen, fontRef, textSlot_);
}

void DrawingToolbarView::openGIMPBrushPanel() {
    platform::assertMainThread("DrawingToolbarView::openGIMPBrushPanel");
    togglePanel(ToolbarPanel::gimpBrushPanel, gimpBrushPanelIsOpen, gimpBrushRef, gimpSlot_);
}

void DrawingToolbarView::toggleColorPicker() {
    platform::assertMainThread("DrawingToolbarView::toggleColorPicker");
    togglePanel(ToolbarPanel::colorPicker, colorPickerIsOpen, swatchRef, swatch_);
}

void DrawingToolbarView::performStateAction(StateAction action) {
    platform::assertMainThread("DrawingToolbarView::performStateAction");
    if (!state_) return;
    switch (action) {
    case StateAction::redo: state_->redo(); break;
    case StateAction::undo: state_->undo(); break;
    case StateAction::clearAll: state_->clearAll(); break;
    }
}

void DrawingToolbarView::requestScreenCapture() {
    platform::assertMainThread("DrawingToolbarView::requestScreenCapture");
    platform::NotificationCenter::defaultCenter().post(Notifications::screenCaptureRequested);
}

void DrawingToolbarView::selectedToolChanged(std::optional<DrawingTool> tool) {
    platform::assertMainThread("DrawingToolbarView::selectedToolChanged");
    const bool changed = tool != lastSelectedTool_;
    lastSelectedTool_ = tool;
    if (!changed || !tool || !state_) return;
    if (!state_->isOverlayVisible) state_->showOverlays();
}

// ---- Painting ----

void DrawingToolbarView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const ui::Theme theme = ui::Theme::current(this);
    const QRectF bounds(rect());
    const QPainterPath panel = ControlPainting::roundedRect(bounds, M::cornerRadius);
    // The shadow falls 4 points down and is drawn only within the window,
    // which is exactly the toolbar: it shows at the rounded corners. Without
    // a compositing manager its soft pixels would show as solid, so it is
    // left out.
    if (platform::compositingManagerRunning()) {
        const int steps = int(kShadowRadius / 2);
        for (int i = steps; i >= 1; --i) {
            const double grow = i * kShadowRadius / (2 * steps);
            const double alpha = kShadowOpacity / steps * (1 - double(i - 1) / steps);
            p.fillPath(
                ControlPainting::roundedRect(bounds.translated(0, kShadowOffset).adjusted(-grow, -grow, grow, grow),
                                             M::cornerRadius + grow),
                QColor::fromRgbF(0, 0, 0, float(alpha)));
        }
        p.setCompositionMode(QPainter::CompositionMode_Source);
    }
    p.fillPath(panel, ControlPainting::qcolor(theme.material));
}
