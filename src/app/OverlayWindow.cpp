#include "app/OverlayWindow.h"

OverlayWindow::OverlayWindow(const platform::Rect& contentRect) : platform::Window(contentRect) {
    setTitle(QStringLiteral("Overink Overlay"));
    // The window manager keeps the toolbar and the panels above it.
    setBaseWindow(true);
    keyboard().setCanBecomeKey(true);
    keyboard().setCanBecomeMain(false);
    stacking().setLevel(platform::WindowLevel::overlay);
    setOpaque(false);
    setBackgroundColor(Color{0, 0, 0, 0});
    setHasShadow(false);
    shape().setIgnoresMouseEvents(false);
}
