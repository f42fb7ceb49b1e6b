#include "toolbar/CanvasVisibilityControl.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"
#include "platform/SymbolIcon.h"
#include "platform/Window.h"
#include "toolbar/LeadingControls.h"
#include "ui/AnchoredPanelPlacement.h"
#include "ui/ControlPainting.h"

CanvasVisibilityControl::CanvasVisibilityControl(const std::shared_ptr<DrawingState>& state, QWidget* parent)
    : SymbolButton(parent), state_(state) {
    setPointSize(13);
    QObject::connect(this, &QAbstractButton::clicked, this, [this] { clickedNow(); });
}

CanvasVisibilityControl::~CanvasVisibilityControl() { delete menu_.data(); }

void CanvasVisibilityControl::refresh(bool showTooltips, PanelOpenDirection direction) {
    const auto state = state_.lock();
    if (!state) return;
    direction_ = direction;
    const ControlLook look = canvasVisibilityLook(state->isOverlayVisible);
    setSymbol(look.symbol);
    setTint(look.tint);
    isMenu_ = screensWithStrokes(state->screenProvider().screens(), state->strokes).size() >= 2;
    if (isMenu_) {
        // The menu carries the platform's own help tag, not a chip.
        chip()->update(QString(), false, TooltipPlacement::toolbar(direction));
        setToolTip(kCanvasMenuHelp);
        setAccessibleName(kCanvasMenuHelp);
    } else {
        setToolTip(QString());
        chip()->update(look.help, showTooltips, TooltipPlacement::toolbar(direction));
    }
}

void CanvasVisibilityControl::clickedNow() {
    platform::assertMainThread("CanvasVisibilityControl");
    const auto state = state_.lock();
    if (!state) return;
    if (isMenu_) popUpMenu();
    else toggleAllCanvases(*state);
}

QMenu* CanvasVisibilityControl::buildMenu() {
    const auto state = state_.lock();
    if (!state) return nullptr;
    if (!menu_) menu_ = new QMenu();
    menu_->clear();
    const QColor tint = ControlPainting::qcolor(ui::Theme::current(this).primary);
    const std::weak_ptr<DrawingState> weak = state;
    bool first = true;
    for (const CanvasMenuEntry& entry : canvasMenuEntries(*state)) {
        // A display's name comes from the X server: an ampersand in it is
        // shown, not taken for a keyboard mnemonic.
        QString title = entry.title;
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = menu_->addAction(platform::symbolIcon(entry.symbol, tint), title);
        const auto display = entry.displayID;
        QObject::connect(action, &QAction::triggered, menu_, [weak, display] {
            platform::assertMainThread("canvas menu");
            const auto s = weak.lock();
            if (!s) return;
            if (display) toggleScreenCanvas(*s, *display);
            else toggleAllCanvases(*s);
        });
        if (first) menu_->addSeparator();
        first = false;
    }
    return menu_;
}

platform::Rect CanvasVisibilityControl::menuFrame(QSize size) const {
    const platform::Rect control = platform::toScreen(QRectF(QPointF(mapToGlobal(QPoint(0, 0))), QSizeF(this->size())));
    const platform::Window* toolbar = platform::Window::fromWidget(this);
    const auto state = state_.lock();
    return ui::toolbarMenuFrame(direction_, platform::Size(size.width(), size.height()), control,
                                toolbar ? toolbar->frame() : control,
                                state ? ui::visibleFrameHolding(state->screenProvider(), control) : std::nullopt);
}

void CanvasVisibilityControl::popUpMenu() {
    QMenu* m = buildMenu();
    if (!m) return;
    const QRectF frame = platform::toGlobal(menuFrame(m->sizeHint()));
    m->popup(frame.topLeft().toPoint());
}
