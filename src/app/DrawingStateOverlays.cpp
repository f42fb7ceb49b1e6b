// The overlay operations of the drawing state: one overlay controller per
// display, shown, hidden and kept in step with the connected displays.

#include "model/DrawingState.h"

#include "platform/Dispatch.h"
#include "platform/Window.h"

#include <set>

namespace {

// The controllers of a table, for walking it while its entries are closed.
std::vector<std::shared_ptr<OverlayController>>
controllersOf(const std::map<platform::DisplayID, std::shared_ptr<OverlayController>>& table) {
    std::vector<std::shared_ptr<OverlayController>> list;
    list.reserve(table.size());
    for (const auto& [id, c] : table)
        if (c) list.push_back(c);
    return list;
}

} // namespace

void DrawingState::lowerOverlaysForPanel() {
    platform::assertMainThread("DrawingState::lowerOverlaysForPanel");
    isImportingBrushes = true;
    for (const auto& c : controllersOf(overlayControllers)) {
        if (!c->hasWindow()) continue;
        c->setIgnoresMouseEvents(true);
        c->setWindowLevel(platform::WindowLevel::normal);
    }
}

void DrawingState::raiseOverlaysAfterPanel() {
    platform::assertMainThread("DrawingState::raiseOverlaysAfterPanel");
    isImportingBrushes = false;
    for (const auto& c : controllersOf(overlayControllers)) {
        if (!c->hasWindow()) continue;
        // The pointer rule corrects this at the next movement or flag change.
        c->setIgnoresMouseEvents(false);
        c->setWindowLevel(platform::WindowLevel::overlay);
        if (c->isWindowVisible()) c->orderFront();
    }
}

void DrawingState::showOverlays() {
    platform::assertMainThread("DrawingState::showOverlays");
    isOverlayVisible = true;
    for (const platform::Screen& screen : screenProvider().screens()) {
        const DisplayID id = screen.displayID;
        if (hiddenDisplayIDs->count(id)) continue;
        if (const auto it = overlayControllers.find(id); it != overlayControllers.end() && it->second) {
            if (it->second->hasWindow()) it->second->orderFront();
            continue;
        }
        if (!env_.overlayControllerFactory) continue;
        auto controller = env_.overlayControllerFactory(*this, screen);
        if (!controller) continue;
        // An overlay made again while pinned keeps the frame fitted to the
        // pinned window.
        if (id == attachedDisplayID && currentOverlayFrame) controller->setWindowFrame(*currentOverlayFrame, false);
        controller->showWindow();
        overlayControllers[id] = controller;
    }

    std::shared_ptr<OverlayController> key;
    if (const auto main = screenProvider().mainScreen()) {
        if (const auto it = overlayControllers.find(main->displayID); it != overlayControllers.end()) key = it->second;
    }
    if (!key && !overlayControllers.empty()) key = overlayControllers.begin()->second;
    if (key && key->hasWindow()) key->makeKey();
}

void DrawingState::hideOverlays() {
    platform::assertMainThread("DrawingState::hideOverlays");
    // A stroke under edit lives only in its canvas: it is written back
    // before the canvases go.
    if (!overlayControllers.empty()) endOpenEditsRequested.emit(std::nullopt);
    for (const auto& c : controllersOf(overlayControllers)) c->close();
    overlayControllers.clear();
    isOverlayVisible = false;
}

void DrawingState::showOverlay(DisplayID displayID) {
    platform::assertMainThread("DrawingState::showOverlay");
    hiddenDisplayIDs.modify([&](auto& hidden) { hidden.erase(displayID); });
    if (const auto it = overlayControllers.find(displayID); it != overlayControllers.end() && it->second) {
        if (it->second->hasWindow()) it->second->orderFront();
    } else if (const auto screen = screenProvider().screen(displayID); screen && env_.overlayControllerFactory) {
        if (auto controller = env_.overlayControllerFactory(*this, *screen)) {
            if (displayID == attachedDisplayID && currentOverlayFrame)
                controller->setWindowFrame(*currentOverlayFrame, false);
            controller->showWindow();
            overlayControllers[displayID] = controller;
        }
    }
    if (!isOverlayVisible) isOverlayVisible = true;
}

void DrawingState::hideOverlay(DisplayID displayID) {
    platform::assertMainThread("DrawingState::hideOverlay");
    hiddenDisplayIDs.modify([&](auto& hidden) { hidden.insert(displayID); });
    if (const auto it = overlayControllers.find(displayID); it != overlayControllers.end()) {
        const auto controller = it->second;
        if (controller) {
            endOpenEditsRequested.emit(displayID);
            controller->close();
        }
        overlayControllers.erase(displayID);
    }
    if (overlayControllers.empty()) isOverlayVisible = false;
}

void DrawingState::toggleOverlay(DisplayID displayID) {
    platform::assertMainThread("DrawingState::toggleOverlay");
    const auto it = overlayControllers.find(displayID);
    if (it != overlayControllers.end() && it->second && it->second->hasWindow() && it->second->isWindowVisible())
        hideOverlay(displayID);
    else showOverlay(displayID);
}

void DrawingState::screensDidChange() {
    platform::assertMainThread("DrawingState::screensDidChange");
    const std::vector<platform::Screen> screens = screenProvider().screens();
    std::set<DisplayID> present;
    for (const platform::Screen& screen : screens) present.insert(screen.displayID);
    std::vector<DisplayID> vanished;
    for (const auto& [id, c] : overlayControllers)
        if (!present.count(id)) vanished.push_back(id);
    for (DisplayID id : vanished) {
        const auto controller = overlayControllers[id];
        if (controller) {
            endOpenEditsRequested.emit(id);
            controller->close();
        }
        overlayControllers.erase(id);
    }
    // Nothing moves or resizes a window for us when a display changes: each
    // remaining overlay takes its display's new frame, except the pinned
    // display's, which keeps the frame fitted to the pinned window.
    for (const platform::Screen& screen : screens) {
        const auto it = overlayControllers.find(screen.displayID);
        if (it == overlayControllers.end() || !it->second || !it->second->hasWindow()) continue;
        if (screen.displayID == attachedDisplayID && currentOverlayFrame) continue;
        it->second->setWindowFrame(screen.frame, true);
    }
    if (isOverlayVisible) showOverlays();
}
