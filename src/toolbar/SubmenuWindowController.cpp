// The pen and shape submenus' panels.
#include "toolbar/SubmenuWindowController.h"

#include "model/DrawingState.h"

namespace {

double submenuWidth(const AnchorRef* anchorRef) {
    const auto frames = ui::AnchoredPanelController::anchorFrames(anchorRef);
    return frames ? frames->anchor.width() : SubmenuWindowController::kFallbackWidth;
}

} // namespace

SubmenuWindowController::SubmenuWindowController(const std::shared_ptr<DrawingState>& state,
                                                 std::shared_ptr<AnchorRef> anchorRef, std::function<void(bool)> isOpen,
                                                 SubmenuRoot::Family family)
    : AnchoredPanelController(makePanelWindow(family == SubmenuRoot::Family::pen ? QStringLiteral("Overink Pens")
                                                                                 : QStringLiteral("Overink Shapes"),
                                              submenuWidth(anchorRef.get())),
                              anchorRef, std::move(isOpen), Options{}),
      state_(state) {
    platform::assertMainThread("SubmenuWindowController");
    const double width = window()->frame().width();
    if (family == SubmenuRoot::Family::pen) root_ = new PenSubmenuRoot(state, dismissBox());
    else root_ = new ShapeSubmenuRoot(state, dismissBox());
    window()->widget()->setAccessibleName(family == SubmenuRoot::Family::pen ? QStringLiteral("Pen submenu")
                                                                             : QStringLiteral("Shape submenu"));
    setContent(root_, width);
    place();
    followDisplays(state->screenProvider());
}

void SubmenuWindowController::place() {
    const auto state = state_.lock();
    if (!state) return;
    placeBesideAnchor(toolbarPanelDirection(*state), ui::PanelAlignment::centred(), state->screenProvider());
}

void SubmenuWindowController::placeAgain() {
    const auto state = state_.lock();
    if (!state) return;
    openTowards(toolbarPanelDirection(*state));
    place();
}
