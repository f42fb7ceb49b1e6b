#pragma once

// The floating panel that holds the tooltip chip: above every other window
// of ours, invisible to the pointer, never key, on every desktop.

#include "platform/Window.h"

class TooltipChip;

class TooltipPanel : public platform::Window {
public:
    TooltipPanel();

    // The content: the chip, which fills the panel.
    TooltipChip* chip() const { return chip_; }

private:
    TooltipChip* chip_;
};
