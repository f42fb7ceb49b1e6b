#include "ui/TooltipPanel.h"

#include "platform/Dispatch.h"
#include "ui/TooltipChip.h"

#include <QWidget>

TooltipPanel::TooltipPanel() : platform::Window(platform::Rect(0, 0, 200, 40)), chip_(new TooltipChip) {
    platform::assertMainThread("TooltipPanel");
    keyboard().setNonActivatingPanel(true);
    stacking().setLevel(platform::WindowLevel::popUp);
    setOpaque(false);
    setBackgroundColor(Color::clear());
    setHasShadow(true);
    shape().setIgnoresMouseEvents(true);
    keyboard().setCanBecomeKey(false);
    keyboard().setCanBecomeMain(false);
    setContentView(chip_);
}
