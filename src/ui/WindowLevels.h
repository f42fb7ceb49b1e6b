#pragma once

// The lowering of our floating windows around a modal alert, and their
// restoring afterwards.

#include "platform/Window.h"

#include <QPointer>

#include <vector>

// A window with the level it had before it was lowered.
struct RememberedWindowLevel {
    QPointer<platform::Window> window;
    int level = 0;
};

// Every window of ours at the overlay level or above goes down to the
// ordinary level, so that a modal alert is not hidden beneath them; the old
// levels are returned for restoreWindowLevels().
std::vector<RememberedWindowLevel> lowerHighLevelWindows();
// Puts the levels back, in order, and brings the visible windows to the
// front without giving them keyboard focus. Windows gone since are skipped.
void restoreWindowLevels(const std::vector<RememberedWindowLevel>& remembered);
