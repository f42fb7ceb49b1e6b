#pragma once

// The program's windows: geometry, transience and the window registry; each
// window's other concerns are types of their own (shape, keyboard, stacking,
// placement).

#include "platform/Color.h"
#include "platform/Geometry.h"
#include "platform/ScreenProvider.h"
#include "platform/Signal.h"
#include "platform/WindowActivation.h"
#include "platform/WindowKeyboard.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowShape.h"
#include "platform/WindowStacking.h"

#include <QObject>
#include <QPointer>
#include <QRegion>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;
class QWindow;
class QTimer;

namespace platform {

// A borderless top-level window: a frameless QWidget (the host) whose
// content view fills it. Frames are in y-up screen space. Every window made
// here joins a registry in creation order, so the application can find and
// restack all of its windows. Shown on every desktop and left out of
// taskbars and pagers. Showing never activates; only makeKey() does.
//
// Base windows (the overlays) are no window manager's: none frames, moves or
// restacks them, so that only their own input region takes presses and they
// stand exactly where they ask. The program keeps them below its other
// windows and above every other program's (WindowStacking).
class Window : public QObject {
    Q_OBJECT
public:
    explicit Window(const Rect& contentRect = Rect(0, 0, 100, 100));
    ~Window() override;

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Registry of every live window, in creation order.
    static std::vector<Window*> all();
    static Window* fromQWindow(const QWindow* window);
    // The window whose host is, or contains, `widget`.
    static Window* fromWidget(const QWidget* widget);

    // The name window lists and accessibility tools show ("Overink" until
    // set).
    QString title() const { return title_; }
    void setTitle(const QString& title);

    QWidget* widget() const;
    QWindow* windowHandle() const;
    // The X window id; 0 before the window exists.
    std::uint32_t xid() const;

    // Takes ownership; the view fills the window. A previous view is deleted.
    void setContentView(QWidget* view);
    QWidget* contentView() const;

    Rect frame() const;
    void setFrame(const Rect& frame);
    // The frame last set, wherever a window manager has the window for the
    // moment (it may place a new window elsewhere first); frame() before
    // any. A new frame worked out from the present one starts from this.
    Rect requestedFrame() const;
    // A base window is left out of the window manager's hands
    // (override-redirect) and stacked by the program itself. Set before the
    // window is first shown.
    bool isBaseWindow() const { return base_; }
    void setBaseWindow(bool base);

    // The host fills itself with this colour; a translucent colour (the
    // default, clear) lets the content view paint on a transparent window.
    Color backgroundColor() const { return background_; }
    void setBackgroundColor(const Color& color);
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque);

    // A compositing manager decides whether shadows are drawn; the flag is
    // passed on as a hint.
    bool hasShadow() const { return shadow_; }
    void setHasShadow(bool shadow);

    double alphaValue() const { return alpha_; }
    void setAlphaValue(double alpha);

    // Shows the window (if hidden) and raises it among its level, without
    // activating it.
    void orderFront();
    // Hides the window. When it holds the keyboard, the keyboard first goes
    // to another shown window of ours (the one that had it last), so the
    // program stays active while it shows a window.
    void orderOut();
    // Shows the window and takes the keyboard for it (see
    // WindowKeyboard::makeKey).
    void makeKeyAndOrderFront();
    bool isVisible() const;
    // Hides the window for good; `willClose` fires first. The keyboard is
    // handed on as by orderOut().
    void close();

    // The screen holding most of the window; none when off every screen.
    std::optional<Screen> screen(const ScreenProvider& screens) const;

    // Window coordinates: y-up, origin at the window's bottom-left corner.
    Point convertPointFromScreen(const Point& p) const;
    Point convertPointToScreen(const Point& p) const;
    // Content coordinates: Qt's, y-down from the content view's top-left.
    QPointF convertScreenToContent(const Point& p) const;
    Rect convertContentRectToScreen(const QRectF& r) const;

    // Where the window takes the pointer and which of its pixels show.
    WindowShape& shape() { return *shape_; }
    const WindowShape& shape() const { return *shape_; }
    // Whether the window may take the keyboard, taking it, handing it on.
    WindowKeyboard& keyboard() { return *keyboard_; }
    const WindowKeyboard& keyboard() const { return *keyboard_; }
    // The window's level and its place among ours.
    WindowStacking& stacking() { return *stacking_; }
    const WindowStacking& stacking() const { return *stacking_; }
    // Where the X server has the window, and where its pointer events land.
    WindowPlacement& placement() { return *placement_; }
    const WindowPlacement& placement() const { return *placement_; }

    Signal<> willClose;
    Signal<> frameChanged;

    // Any window of ours was shown or hidden, moved or resized (by the
    // program or on the server), or changed its level or whether it takes
    // the pointer.
    static Signal<Window*>& arrangementChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class WindowHost;
    friend class WindowKeyboard;
    friend class WindowPlacement;
    friend class WindowShape;
    friend class WindowStacking;
    void nativeWindowCreated();
    // Replaces the X window of a hidden window that Qt would otherwise
    // replace as it shows it.
    void renewNativeWindowIfStale();
    void applyFlags();
    // Tells the window manager which of our windows this one stays above.
    void applyTransience();
    void applyStickyAndSkip();
    void applyName();
    void watchWidget(QWidget* w);

    std::unique_ptr<QWidget> host_;
    QString title_ = QStringLiteral("Overink");
    QPointer<QWidget> content_;
    Color background_ = Color{0, 0, 0, 0};
    bool opaque_ = false;
    bool shadow_ = true;
    double alpha_ = 1.0;
    bool base_ = false;
    bool closed_ = false;
    // The stays-on-top hint changed since the X window was made.
    bool nativeWindowStale_ = false;
    // The frame last asked for, in Qt's global coordinates.
    QRect wantedGeometry_;

    std::unique_ptr<WindowShape> shape_;
    std::unique_ptr<WindowKeyboard> keyboard_;
    std::unique_ptr<WindowStacking> stacking_;
    std::unique_ptr<WindowPlacement> placement_;
    // The X window its concerns last heard of.
    std::uint32_t nativeId_ = 0;
};

} // namespace platform

namespace platform {

// Owns a window and ends it the one safe way: closed at once, deleted on a
// later turn, since the window may be delivering the very event that ends
// its owner.
struct WindowDeleter {
    void operator()(Window* window) const {
        if (!window) return;
        window->close();
        window->deleteLater();
    }
};
template <typename W = Window>
using WindowPtr = std::unique_ptr<W, WindowDeleter>;

template <typename W = Window, typename... Args>
WindowPtr<W> makeWindow(Args&&... args) {
    return WindowPtr<W>(new W(std::forward<Args>(args)...));
}

} // namespace platform
