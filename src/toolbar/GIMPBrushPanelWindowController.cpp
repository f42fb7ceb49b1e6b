// The brush panel's window: placement, and the watch that re-fits its height.
#include "toolbar/GIMPBrushPanelWindowController.h"

#include "model/DrawingState.h"
#include "toolbar/GIMPBrushPanelRoot.h"

#include <QLayout>

#include <algorithm>
#include <cmath>

GIMPBrushPanelWindowController::GIMPBrushPanelWindowController(const std::shared_ptr<DrawingState>& state,
                                                               std::shared_ptr<AnchorRef> anchorRef,
                                                               std::function<void(bool)> isOpen)
    : AnchoredPanelController(makePanelWindow(QStringLiteral("Overink Brushes"), kWidth), std::move(anchorRef),
                              std::move(isOpen), Options{}),
      observedState_(state),
      direction_(toolbarPanelDirection(*state)),
      root_(new GIMPBrushPanelRoot(state, dismissBox())) {
    platform::assertMainThread("GIMPBrushPanelWindowController");
    window()->widget()->setAccessibleName(QStringLiteral("Brushes"));
    setContent(root_, kWidth);
    place();
    followDisplays(state->screenProvider());
    // However the panel closes (its toggle, Esc, a click elsewhere, its own
    // import), the watch ends with it.
    closeSubscription_ = window()->willClose.connect([this] { stopObservingState(); });
}

GIMPBrushPanelWindowController::~GIMPBrushPanelWindowController() {
    platform::assertMainThread("~GIMPBrushPanelWindowController");
    lifetime_.end();
    stopObservingState();
    closeSubscription_.cancel();
}

void GIMPBrushPanelWindowController::place() {
    const auto state = observedState_.lock();
    if (!state) return;
    placeBesideAnchor(toolbarPanelDirection(*state), ui::PanelAlignment::centred(), state->screenProvider());
}

void GIMPBrushPanelWindowController::placeAgain() {
    const auto state = observedState_.lock();
    if (!state) return;
    direction_ = toolbarPanelDirection(*state);
    openTowards(direction_);
    place();
}

void GIMPBrushPanelWindowController::showWindow() {
    platform::assertMainThread("GIMPBrushPanelWindowController::showWindow");
    AnchoredPanelController::showWindow();
    startObservingState();
}

void GIMPBrushPanelWindowController::startObservingState() {
    platform::assertMainThread("GIMPBrushPanelWindowController::startObservingState");
    stopObservingState();
    const auto state = observedState_.lock();
    if (!state) return;
    lastCount_ = state->importedGIMPBrushes->size();
    const auto weak = lifetime_.ref();
    observation_.bind(
        state->importedGIMPBrushes, weak,
        [](GIMPBrushPanelWindowController& self, const std::vector<ImportedGIMPBrush>& list) {
            // A brush changed in place (an edit, a new opacity) leaves the
            // count, and the panel, alone.
            if (list.size() == self.lastCount_) return;
            self.lastCount_ = list.size();
            self.contentMayHaveChanged();
        },
        platform::Initial::Skip);
    // The editor comes and goes with the active brush, and the empty store's
    // line with the tool: the panel follows them too, or the editor's
    // sliders would be cut off when a parametric brush is chosen in it.
    const auto refit = [](GIMPBrushPanelWindowController& self, const auto&) { self.contentMayHaveChanged(); };
    observation_.bind(state->activeGIMPBrushID, weak, refit, platform::Initial::Skip);
    observation_.bind(state->selectedTool, weak, refit, platform::Initial::Skip);
}

void GIMPBrushPanelWindowController::stopObservingState() {
    observation_.clear();
    pendingRefit_.cancel();
}

void GIMPBrushPanelWindowController::contentMayHaveChanged() {
    if (pendingRefit_.isPending()) return;
    const auto weak = lifetime_.ref();
    pendingRefit_ = platform::dispatchMainAfter(kRefitDelay, [weak] {
        if (GIMPBrushPanelWindowController* self = weak.get()) self->repositionToContent();
    });
}

void GIMPBrushPanelWindowController::repositionToContent() {
    platform::assertMainThread("GIMPBrushPanelWindowController::repositionToContent");
    if (!window() || !content()) return;
    QWidget* root = content();
    const platform::Rect frame = window()->requestedFrame();
    const int width = int(std::lround(frame.width()));
    if (QLayout* layout = root->layout()) layout->activate();
    const double fitting = root->hasHeightForWidth() ? root->heightForWidth(width) : root->sizeHint().height();
    const double height = std::max(1.0, fitting);
    // On a short display the panel is shorter than its content, which then
    // scrolls.
    if (std::abs(ui::panelHeightOnDisplay(height, displayFrame()) - frame.height()) <= 1) return;
    fitContentHeight(height, direction_);
}
