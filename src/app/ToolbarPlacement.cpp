#include "app/ToolbarPlacement.h"

#include "capture/WindowAttachManager.h"

namespace {
constexpr double kMargin = 8;
constexpr double kTakenBottom = 20;
} // namespace

bool isScreenBottomTaken(const platform::Rect& visibleFrame, const platform::Rect& screenFrame) {
    return visibleFrame.minY() > screenFrame.minY() + kTakenBottom;
}

bool dockedToolbarMovesToTopRow(ToolbarDockPosition position, const platform::Rect& visibleFrame,
                                const platform::Rect& screenFrame) {
    using P = ToolbarDockPosition;
    const bool bottomRow = position == P::bottomCenterH || position == P::bottomLeftH || position == P::bottomRightH;
    return bottomRow && isScreenBottomTaken(visibleFrame, screenFrame);
}

platform::Point dockedToolbarOrigin(ToolbarDockPosition position, const platform::Rect& v, const platform::Rect& f,
                                    platform::Size size) {
    using P = ToolbarDockPosition;
    const double w = size.width, h = size.height;
    const double left = v.minX() + kMargin, right = v.maxX() - w - kMargin, centre = v.midX() - w / 2;
    const double top = v.maxY() - h - kMargin, bottom = v.minY() + kMargin, middle = v.midY() - h / 2;
    const bool toTop = dockedToolbarMovesToTopRow(position, v, f);
    switch (position) {
    case P::topCenterH: return {centre, top};
    case P::topLeftH:
    case P::topLeftV: return {left, top};
    case P::topRightH:
    case P::topRightV: return {right, top};
    case P::middleLeftV: return {left, middle};
    case P::middleRightV: return {right, middle};
    case P::bottomLeftV: return {left, bottom};
    case P::bottomRightV: return {right, bottom};
    case P::bottomCenterH: return {centre, toTop ? top : bottom};
    case P::bottomLeftH: return {left, toTop ? top : bottom};
    case P::bottomRightH: return {right, toTop ? top : bottom};
    }
    return {centre, top};
}

double dockedToolbarMaxLength(ToolbarDockPosition position, const platform::Rect& visibleFrame) {
    return (isVertical(position) ? visibleFrame.height() : visibleFrame.width()) - 2 * kMargin;
}

std::optional<platform::Point> pinnedToolbarOrigin(bool isAttachedToWindow, const WindowAttachManager& manager,
                                                   platform::Size toolbarSize) {
    if (!isAttachedToWindow || manager.targetWindowID() == 0) return std::nullopt;
    const auto frame = manager.windowFrame(manager.targetWindowID());
    if (!frame) return std::nullopt;
    return WindowAttachManager::toolbarOrigin(*frame, manager.attachEdge(), toolbarSize);
}

std::optional<platform::Screen> screenForDisplacedToolbar(const platform::Rect& frame,
                                                          const std::vector<platform::Screen>& screens,
                                                          const std::optional<platform::Screen>& main) {
    const platform::Screen* holder = nullptr;
    double most = 0;
    for (const platform::Screen& s : screens) {
        const platform::Rect shared = s.frame.intersection(frame);
        const double area = shared.isNull() ? 0 : shared.width() * shared.height();
        if (area > most) {
            most = area;
            holder = &s;
        }
    }
    if (!holder) return main;
    if (holder->visibleFrame.contains(frame)) return std::nullopt;
    return *holder;
}

std::optional<platform::Screen> screenNowFor(const platform::Screen& before,
                                             const std::vector<platform::Screen>& screens) {
    for (const platform::Screen& s : screens)
        if (s.displayID == before.displayID) return s;
    const platform::Point centre(before.frame.midX(), before.frame.midY());
    for (const platform::Screen& s : screens)
        if (s.frame.contains(centre)) return s;
    return std::nullopt;
}
