#pragma once

// The toolbar's first three controls as data and actions: showing and hiding
// the drawing (everywhere, or per display once drawings lie on several), the
// lock that lets every click through, and the pin that starts or ends
// pinning to another window.

#include "model/DrawingStroke.h"
#include "platform/ScreenProvider.h"
#include "ui/Theme.h"

#include <QString>

#include <optional>
#include <vector>

class DrawingState;

// How a control looks in one state: its symbol, tint and help text.
struct ControlLook {
    QString symbol;
    ui::ThemeColor tint = ui::ThemeColor::primary;
    QString help;
    friend bool operator==(const ControlLook&, const ControlLook&) = default;
};

ControlLook canvasVisibilityLook(bool isOverlayVisible);
ControlLook lockLook(bool captureAll);
// Attached wins over picking.
ControlLook pinLook(bool isAttachedToWindow, bool isPickingAttachWindow);

// Whether a stroke lies on the screen; a stroke without a display belongs to
// the first screen.
bool screenHasStrokes(const platform::Screen& screen, bool isFirstScreen, const std::vector<DrawingStroke>& strokes);
// The screens holding strokes, in the platform's order. With two or more the
// show/hide control becomes a menu.
std::vector<platform::Screen> screensWithStrokes(const std::vector<platform::Screen>& screens,
                                                 const std::vector<DrawingStroke>& strokes);

// One entry of the per-display menu; after the first (all displays) comes a
// separator.
struct CanvasMenuEntry {
    QString title;
    QString symbol;
    // None: every display.
    std::optional<platform::DisplayID> displayID;
    friend bool operator==(const CanvasMenuEntry&, const CanvasMenuEntry&) = default;
};
std::vector<CanvasMenuEntry> canvasMenuEntries(const DrawingState& state);
inline const QString kCanvasMenuHelp = QStringLiteral("Show/Hide Canvas");

// The actions.
void toggleAllCanvases(DrawingState& state);
void toggleScreenCanvas(DrawingState& state, platform::DisplayID displayID);
void toggleLock(DrawingState& state);
void togglePinToWindow(DrawingState& state);
