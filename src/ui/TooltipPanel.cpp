#include "ui/TooltipPanel.h"

#include "platform/Dispatch.h"
#include "ui/TooltipChip.h"

#include <QWidget>

TooltipPanel::TooltipPanel() : platform::Window(platform::Rect(0, 0, 200, 40)), chip_(new TooltipChip) {
    platform::assertMainThread("TooltipPanel");
    setNonActivatingPanel(true);
    setLevel(platform::WindowLevel::popUp);
    setOpaque(false);
    setBackgroundColor(Color::clear());
    setHasShadow(true);
    shape().setIgnoresMouseEvents(true);
    setCanBecomeKey(false);
    setCanBecomeMain(false);
    setContentView(chip_);
}
