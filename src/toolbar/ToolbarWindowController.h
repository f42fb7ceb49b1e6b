#pragma once

// The toolbar's floating window: a borderless, non-activating panel at the
// toolbar level, exactly the size of the toolbar. A click on it never takes
// the keyboard; the program gives it the keyboard when it activates itself
// (keys then reach the program, no control of the toolbar shows the focus),
// and the typed-width field takes typing only while it asks for it. It
// brings hidden overlays back on Shift+Esc and steps out of the way (level
// 0, pointer ignored) while a modal open or save panel is up. The
// application delegate places, shows and closes it.

#include "platform/Event.h"
#include "platform/Geometry.h"
#include "platform/Lifetime.h"
#include "platform/Subscription.h"
#include "platform/Window.h"
#include "ui/Bindings.h"

#include <QPointer>
#include <QSize>

#include <memory>
#include <optional>

class DrawingState;
class DrawingToolbarView;
class ToolbarPanels;

class ToolbarWindowController {
public:
    // The window's size when the toolbar reports none.
    static constexpr double kFallbackWidth = 640;
    static constexpr double kFallbackHeight = 56;

    // Builds the window around a new toolbar view, sized to it; not shown.
    explicit ToolbarWindowController(const std::shared_ptr<DrawingState>& drawingState);
    ~ToolbarWindowController();

    ToolbarWindowController(const ToolbarWindowController&) = delete;
    ToolbarWindowController& operator=(const ToolbarWindowController&) = delete;

    platform::Window* window() const { return window_.get(); }
    DrawingToolbarView* toolbarView() const;
    ToolbarPanels& panels() const { return *panels_; }

    // The toolbar's intrinsic size, or the fallback in both dimensions when
    // either is not positive.
    static platform::Size windowSize(QSize intrinsic);

    // Whether the toolbar's typed-width field may take typing: one flag for
    // all toolbar windows, kept from one controller to the next.
    static bool allowsKey();

    // Sets the flag (even when the controller is gone), then, for a request,
    // makes the window key; for a release, gives the keyboard back.
    static void setKeyState(bool allows, platform::WeakRef<ToolbarWindowController> controller);

    // Shift+Esc (exactly) while the overlays are hidden and no panel is open
    // shows them and is swallowed; every other key goes on.
    static std::optional<platform::Event> handleKeyDown(const platform::Event& event,
                                                        const std::weak_ptr<DrawingState>& state);

    // A modal panel came up (true) or went (false).
    void setImportingBrushes(bool importing);

    // The toolbar may be at most `length` long along its stacking axis (none:
    // unlimited); a longer one breaks into lines. The window takes the
    // toolbar's new size, keeping its origin.
    void fitToLength(std::optional<double> length);

private:
    void makeKey();
    void resignKey();

    ui::Bindings importBinding_;
    platform::Subscription escapeMonitor_;
    platform::Subscription requestKeyObserver_;
    platform::Subscription resignKeyObserver_;
    platform::WindowPtr<> window_;
    // The toolbar's pop-up panels; declared after the window so that they
    // end before the controls they hang from.
    std::unique_ptr<ToolbarPanels> panels_;
    // Where the keyboard was before the field asked for it.
    QPointer<platform::Window> previousKeyWindow_;
    platform::Lifetime<ToolbarWindowController> lifetime_{this};
};
