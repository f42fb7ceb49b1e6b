// The colour picker panel's root.
#include "colorpicker/ColorPickerRoot.h"

#include "colorpicker/ColorPickerPanel.h"
#include "platform/Dispatch.h"

#include <QVBoxLayout>

ColorPickerRoot::ColorPickerRoot(std::shared_ptr<DrawingState> state, PanelOpenDirection direction,
                                 std::shared_ptr<DismissBox> dismissBox, QWidget* parent)
    : PanelChrome(kCornerRadius, direction, parent),
      panel_(new ColorPickerPanel(std::move(state), std::move(dismissBox), this)) {
    platform::assertMainThread("ColorPickerRoot");
    auto* layout = new QVBoxLayout(this);
    // The content decides the size the panel is fitted to.
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel_);
}
