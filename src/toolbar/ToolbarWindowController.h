#pragma once

#include "platform/Window.h"

#include <memory>

class DrawingState;

// The toolbar's floating window. For now an empty panel at the toolbar
// level that takes neither the pointer nor the keyboard: showing it marks
// the toolbar visible, closing it marks it hidden.
class ToolbarWindowController {
public:
    explicit ToolbarWindowController(const std::shared_ptr<DrawingState>& drawingState);
    ~ToolbarWindowController();

    platform::Window* window() const { return window_.get(); }

    // Shows the window (not key) and marks the toolbar visible.
    void showWindow();
    // Hides the window and marks the toolbar hidden.
    void close();

private:
    std::weak_ptr<DrawingState> drawingState_;
    platform::WindowPtr<> window_;
};
