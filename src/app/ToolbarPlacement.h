#pragma once

// Where the toolbar window goes, at a dock position or beside the pinned
// window: the bottom-left corner of its frame, in y-up screen space.

#include "model/ToolbarDockPosition.h"
#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"

#include <optional>
#include <vector>

class WindowAttachManager;

// The bottom counts as taken when the visible frame starts more than 20
// points above the screen's bottom (a panel reserves that edge); exactly 20
// counts as free.
bool isScreenBottomTaken(const platform::Rect& visibleFrame, const platform::Rect& screenFrame);

// Whether a toolbar docked at `position` goes to the top row: one of the
// three horizontal bottom positions, while the bottom is taken.
bool dockedToolbarMovesToTopRow(ToolbarDockPosition position, const platform::Rect& visibleFrame,
                                const platform::Rect& screenFrame);

// 8 points in from the visible frame; the three horizontal bottom positions
// go to the top row while the bottom is taken.
platform::Point dockedToolbarOrigin(ToolbarDockPosition position, const platform::Rect& visibleFrame,
                                    const platform::Rect& screenFrame, platform::Size toolbarSize);

// The longest a toolbar docked at `position` may be along its stacking axis
// to stay 8 points inside the visible frame at both ends.
double dockedToolbarMaxLength(ToolbarDockPosition position, const platform::Rect& visibleFrame);

// Beside the pinned window, at the manager's current edge (not tested again
// here), while a window is pinned and still listed; none: the dock position
// applies.
std::optional<platform::Point> pinnedToolbarOrigin(bool isAttachedToWindow, const WindowAttachManager& manager,
                                                   platform::Size toolbarSize);

// The screen a toolbar that stood on `before` goes back to as a pin ends:
// that display as it is now (its frames may have changed meanwhile); where
// it is gone (monitors merged or split), the one now holding the centre of
// its old frame; none when neither is found.
std::optional<platform::Screen> screenNowFor(const platform::Screen& before,
                                             const std::vector<platform::Screen>& screens);

// After the displays changed, the screen on which a shown toolbar at `frame`
// that is not pinned to a window goes back to its dock position: the one
// holding most of it, once the toolbar no longer lies inside that screen's
// visible frame; `main` when it is on no screen any more. None while it
// still fits where it stands.
std::optional<platform::Screen> screenForDisplacedToolbar(const platform::Rect& frame,
                                                          const std::vector<platform::Screen>& screens,
                                                          const std::optional<platform::Screen>& main);
