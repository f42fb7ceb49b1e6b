# Without a compositing manager the toolbar is shaped to its painted panel
# and must still get its clicks without holding the pointer.
overink_x11_cases(x11_toolbar x11_toolbar_no_compositor SESSION_OPTIONS --no-compositor FILTER ToolbarOnX11.Clicks*)
