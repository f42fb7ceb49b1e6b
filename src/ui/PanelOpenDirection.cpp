// The opening direction of the toolbar where it stands.
#include "ui/PanelOpenDirection.h"

#include "model/DrawingState.h"

PanelOpenDirection toolbarPanelDirection(const DrawingState& state) {
    return panelOpenDirection(state.toolbarDockPosition, state.isToolbarMovedToTopRow);
}
