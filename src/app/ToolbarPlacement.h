#pragma once

// Where the toolbar window goes at a dock position: the bottom-left corner
// of its frame, in y-up screen space.

#include "model/ToolbarDockPosition.h"
#include "platform/Geometry.h"

// The bottom counts as taken when the visible frame starts more than 20
// points above the screen's bottom (a panel reserves that edge); exactly 20
// counts as free.
bool isScreenBottomTaken(const platform::Rect& visibleFrame, const platform::Rect& screenFrame);

// 8 points in from the visible frame; the three horizontal bottom positions
// go to the top row while the bottom is taken.
platform::Point dockedToolbarOrigin(ToolbarDockPosition position, const platform::Rect& visibleFrame,
                                    const platform::Rect& screenFrame, platform::Size toolbarSize);
