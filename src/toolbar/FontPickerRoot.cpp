// The font picker panel's root.
#include "toolbar/FontPickerRoot.h"

#include "model/DrawingState.h"
#include "toolbar/FontPickerPanel.h"

#include <QVBoxLayout>

FontPickerRoot::FontPickerRoot(const std::shared_ptr<DrawingState>& state, QWidget* parent)
    : PanelChrome(kCornerRadius, toolbarPanelDirection(*state), parent),
      panel_(new FontPickerPanel(state->textFontName, state->textFontSize, state, this)) {
    platform::assertMainThread("FontPickerRoot");
    auto* layout = new QVBoxLayout(this);
    // The content decides the size the panel is fitted to.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel_);
    DrawingState* s = state.get();
    bindings_.bind(s->toolbarDockPosition, this, [s](FontPickerRoot& root, ToolbarDockPosition position) {
        root.setDirection(panelOpenDirection(position, s->isToolbarMovedToTopRow));
    });
    bindings_.bind(s->isToolbarMovedToTopRow, this, [s](FontPickerRoot& root, bool moved) {
        root.setDirection(panelOpenDirection(s->toolbarDockPosition, moved));
    });
}
