#include "toolbar/LeadingControls.h"

#include "model/DrawingState.h"
#include "platform/Dispatch.h"

using ui::ThemeColor;

ControlLook canvasVisibilityLook(bool isOverlayVisible) {
    if (isOverlayVisible) return {QStringLiteral("eye.fill"), ThemeColor::orange, QStringLiteral("Hide Canvas")};
    return {QStringLiteral("eye.slash.fill"), ThemeColor::primary, QStringLiteral("Show Canvas")};
}

ControlLook lockLook(bool captureAll) {
    if (captureAll)
        return {QStringLiteral("lock.fill"), ThemeColor::purple,
                QStringLiteral("Locked: all clicks pass through to other apps")};
    return {QStringLiteral("lock.open.fill"), ThemeColor::green, QStringLiteral("Lock drawing.")};
}

ControlLook pinLook(bool isAttachedToWindow, bool isPickingAttachWindow) {
    if (isAttachedToWindow)
        return {QStringLiteral("pin.circle"), ThemeColor::blue, QStringLiteral("Detach toolbar from window")};
    if (isPickingAttachWindow)
        return {QStringLiteral("scope"), ThemeColor::orange,
                QStringLiteral("Click any app window to dock to it (Esc to cancel)")};
    return {QStringLiteral("pin.circle"), ThemeColor::primary, QStringLiteral("Dock toolbar to an app window")};
}

bool screenHasStrokes(const platform::Screen& screen, bool isFirstScreen, const std::vector<DrawingStroke>& strokes) {
    for (const DrawingStroke& s : strokes) {
        if (s.displayID == screen.displayID) return true;
        if (s.displayID == 0 && isFirstScreen) return true;
    }
    return false;
}

std::vector<platform::Screen> screensWithStrokes(const std::vector<platform::Screen>& screens,
                                                 const std::vector<DrawingStroke>& strokes) {
    std::vector<platform::Screen> kept;
    for (std::size_t i = 0; i < screens.size(); ++i)
        if (screenHasStrokes(screens[i], i == 0, strokes)) kept.push_back(screens[i]);
    return kept;
}

std::vector<CanvasMenuEntry> canvasMenuEntries(const DrawingState& state) {
    std::vector<CanvasMenuEntry> entries;
    if (state.isOverlayVisible)
        entries.push_back({QStringLiteral("Hide All"), QStringLiteral("eye.slash"), std::nullopt});
    else entries.push_back({QStringLiteral("Show All"), QStringLiteral("eye"), std::nullopt});
    for (const platform::Screen& screen : screensWithStrokes(state.screenProvider().screens(), state.strokes)) {
        bool shown = false;
        if (const auto it = state.overlayControllers.find(screen.displayID); it != state.overlayControllers.end())
            shown = it->second && it->second->hasWindow() && it->second->isWindowVisible();
        entries.push_back(
            {screen.localizedName, shown ? QStringLiteral("eye.slash") : QStringLiteral("eye"), screen.displayID});
    }
    return entries;
}

void toggleAllCanvases(DrawingState& state) {
    platform::assertMainThread("toggleAllCanvases");
    if (state.isOverlayVisible) state.hideOverlays();
    else state.showOverlays();
}

void toggleScreenCanvas(DrawingState& state, platform::DisplayID displayID) {
    platform::assertMainThread("toggleScreenCanvas");
    state.toggleOverlay(displayID);
}

void toggleLock(DrawingState& state) {
    platform::assertMainThread("toggleLock");
    state.captureAll = !state.captureAll;
}

void togglePinToWindow(DrawingState& state) {
    platform::assertMainThread("togglePinToWindow");
    if (state.isAttachedToWindow) state.isAttachedToWindow = false;
    else state.isPickingAttachWindow = !state.isPickingAttachWindow;
}
