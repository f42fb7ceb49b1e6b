// Window: a top-level window's geometry, flags, transience and registry; it
// tells its shape, keyboard, stacking and placement of what happens to it.
#include "platform/Window.h"

#include "platform/Dispatch.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"

#include <QApplication>
#include <QChildEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <utility>

namespace platform {

namespace {
std::vector<Window*>& registry() {
    static std::vector<Window*> windows;
    return windows;
}

} // namespace

// The top-level widget of a Window: paints the background colour and keeps
// its owner informed of native-window creation.
class WindowHost : public QWidget {
public:
    explicit WindowHost(Window* owner) : owner_(owner) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus, false);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }

    // Lets go of the X window (and Qt's window) while hidden; the next show
    // makes new ones.
    void dropNativeWindow() { destroy(); }

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::WinIdChange && internalWinId()) owner_->nativeWindowCreated();
        return QWidget::event(e);
    }
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        QColor c = owner_->background_.toQColor();
        if (owner_->opaque_) c.setAlpha(255);
        for (const QRect& r : e->region()) p.fillRect(r, c);
    }

private:
    Window* owner_;
};

Window::Window(const Rect& contentRect)
    : host_(std::make_unique<WindowHost>(this)),
      shape_(std::make_unique<WindowShape>(*this)),
      keyboard_(std::make_unique<WindowKeyboard>(*this)),
      stacking_(std::make_unique<WindowStacking>(*this)),
      placement_(std::make_unique<WindowPlacement>(*this)) {
    assertMainThread("Window");
    registry().push_back(this);
    WindowActivation::install();
    host_->installEventFilter(this);
    applyFlags();
    setFrame(contentRect);
    host_->setWindowTitle(title_);
}

Window::~Window() {
    shape_->dropInputWindow();
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    keyboard_.reset();
    host_->removeEventFilter(this);
    host_.reset();
}

std::vector<Window*> Window::all() { return registry(); }

Window* Window::fromQWindow(const QWindow* window) {
    if (!window) return nullptr;
    for (Window* w : registry())
        if (w->host_->windowHandle() == window) return w;
    return nullptr;
}

Window* Window::fromWidget(const QWidget* widget) {
    if (!widget) return nullptr;
    const QWidget* top = widget->window();
    for (Window* w : registry())
        if (w->host_.get() == top) return w;
    return nullptr;
}

void Window::setTitle(const QString& title) {
    title_ = title;
    host_->setWindowTitle(title);
    applyName();
}

void Window::applyName() {
    // Qt adds the application's name to a title and leaves WM_NAME empty:
    // both names are set here, exactly.
    const xcb_window_t id = xid();
    if (id == XCB_NONE) return;
    x11::setWindowName(id, title_);
    x11::setWindowClass(id);
    x11::flush();
}

QWidget* Window::widget() const { return host_.get(); }
QWindow* Window::windowHandle() const { return host_->windowHandle(); }

std::uint32_t Window::xid() const {
    return host_->internalWinId() && x11::available() ? static_cast<xcb_window_t>(host_->internalWinId()) : XCB_NONE;
}

void Window::setContentView(QWidget* view) {
    if (content_ == view) return;
    delete content_.data();
    content_ = view;
    if (!view) return;
    view->setParent(host_.get());
    host_->layout()->addWidget(view);
    watchWidget(view);
    view->show();
}

QWidget* Window::contentView() const { return content_.data(); }

Rect Window::frame() const { return toScreen(QRectF(host_->geometry())); }

Rect Window::requestedFrame() const { return wantedGeometry_.isNull() ? frame() : toScreen(QRectF(wantedGeometry_)); }

void Window::setFrame(const Rect& frame) {
    const QRect g = toGlobal(frame.standardized()).toRect();
    wantedGeometry_ = g;
    placement_->requested();
    if (g == host_->geometry()) return;
    host_->setGeometry(g);
}

void Window::setBaseWindow(bool base) {
    base_ = base;
    applyFlags();
}

Signal<Window*>& Window::arrangementChanged() {
    static Signal<Window*> signal;
    return signal;
}

void Window::setBackgroundColor(const Color& color) {
    background_ = color;
    shape_->updateShapeMode();
    host_->update();
}

void Window::setOpaque(bool opaque) {
    opaque_ = opaque;
    shape_->updateShapeMode();
    host_->update();
}

void Window::setHasShadow(bool shadow) {
    shadow_ = shadow;
    applyFlags();
}

void Window::setAlphaValue(double alpha) {
    alpha_ = std::clamp(alpha, 0.0, 1.0);
    // A fade must not bring a window back into a screenshot.
    if (shape_->hiddenByOpacity()) return;
    host_->setWindowOpacity(alpha_);
}

void Window::applyFlags() {
    // A base window is no window manager's (override-redirect): none frames,
    // moves or restacks it. A tool window is a transient for the window
    // manager (see applyTransience()).
    Qt::WindowFlags f = (base_ ? Qt::Window | Qt::BypassWindowManagerHint : Qt::Tool) | Qt::FramelessWindowHint;
    if (stacking_->level() > WindowLevel::normal && !base_) f |= Qt::WindowStaysOnTopHint;
    if (!shadow_) f |= Qt::NoDropShadowWindowHint;
    if (keyboard_->refusesFocus()) f |= Qt::WindowDoesNotAcceptFocus;
    if (QWindow* w = host_->windowHandle(); w && host_->internalWinId()) {
        // Qt replaces the X window at the next show after this hint changed,
        // behind the id the widget (and everyone we gave it to) still holds:
        // the window is made anew before that show instead.
        if ((w->flags() ^ f) & Qt::WindowStaysOnTopHint) nativeWindowStale_ = true;
        // Set on the live window: QWidget::setWindowFlags would recreate it.
        host_->overrideWindowFlags(f);
        w->setFlags(f);
    } else {
        host_->setWindowFlags(f);
    }
}

void Window::renewNativeWindowIfStale() {
    if (!std::exchange(nativeWindowStale_, false) || host_->isVisible() || !host_->internalWinId()) return;
    // The show that follows creates the new window through the widget, which
    // says so (nativeWindowCreated()) before the window is mapped.
    static_cast<WindowHost*>(host_.get())->dropNativeWindow();
}

void Window::nativeWindowCreated() {
    if (QWindow* w = host_->windowHandle()) w->installEventFilter(this);
    if (const std::uint32_t id = xid(); id != XCB_NONE && id != nativeId_) {
        shape_->dropInputWindow();
        nativeId_ = id;
        placement_->nativeWindowCreated(id);
    }
    applyStickyAndSkip();
    applyName();
    shape_->nativeWindowCreated();
}

void Window::applyTransience() {
    const xcb_window_t id = xid();
    if (id == XCB_NONE || base_) return;
    // Above the overlays: transient for the whole window group (the root as
    // the target says so), which window managers keep above the group's
    // ordinary windows, the overlays. Otherwise the client leader Qt names,
    // which no manager stacks anything against, so that an alert stays
    // above windows lowered for it.
    xcb_window_t target = x11::root();
    if (stacking_->level() <= WindowLevel::overlay) {
        const auto leader = x11::property32(id, x11::atom("WM_CLIENT_LEADER"), XCB_ATOM_WINDOW, 1);
        target = leader.empty() ? XCB_NONE : leader.front();
    }
    if (target == XCB_NONE) xcb_delete_property(x11::connection(), id, XCB_ATOM_WM_TRANSIENT_FOR);
    else x11::setProperty32(id, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, {target});
    x11::flush();
}

void Window::applyStickyAndSkip() {
    const xcb_window_t id = xid();
    if (id == XCB_NONE) return;
    x11::setProperty32(id, x11::atom("_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, {0xFFFFFFFFu});
    for (const char* state : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        x11::setNetWmState(id, x11::atom(state), true, false);
    x11::flush();
}

void Window::watchWidget(QWidget* w) {
    w->installEventFilter(this);
    for (QObject* child : w->children())
        if (child->isWidgetType()) watchWidget(static_cast<QWidget*>(child));
}

bool Window::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint:
        if (shape_->isShapedToPaintedPixels() && watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            const QRegion r = static_cast<QPaintEvent*>(event)->region();
            shape_->painted(w == host_.get() ? r : r.translated(w->mapTo(host_.get(), QPoint(0, 0))));
        }
        break;
    case QEvent::ChildAdded:
        if (auto* child = static_cast<QChildEvent*>(event)->child(); child && child->isWidgetType())
            watchWidget(static_cast<QWidget*>(child));
        break;
    case QEvent::Resize:
        if (watched == host_.get()) {
            placement_->resized(event->spontaneous());
            shape_->resized();
            frameChanged.emit();
            arrangementChanged().emit(this);
        }
        break;
    case QEvent::Move:
        if (watched == host_.get()) {
            shape_->moved();
            placement_->moved();
            frameChanged.emit();
            arrangementChanged().emit(this);
        }
        break;
    case QEvent::Show:
        if (watched == host_.get()) {
            // Qt maps the window right after this event.
            shape_->aboutToShow();
            // Applied once mapped: the window manager only restacks
            // viewable windows.
            QTimer::singleShot(0, this, [this] {
                shape_->updateInputWindow();
                WindowStacking::restackAll();
            });
        }
        break;
    case QEvent::Hide:
        if (watched == host_.get()) {
            shape_->hidden();
            arrangementChanged().emit(this);
        }
        break;
    case QEvent::Expose:
        if (watched == host_->windowHandle() && host_->windowHandle()->isExposed() && shape_->exposed())
            placement_->exposed();
        break;
    default: break;
    }
    return false;
}

void Window::orderFront() {
    if (closed_) closed_ = false;
    if (!host_->isVisible()) {
        renewNativeWindowIfStale();
        host_->show();
        // Qt names its own transient target as it maps the window.
        applyTransience();
        arrangementChanged().emit(this);
    } else {
        stacking_->raise();
    }
}

void Window::orderOut() {
    if (!host_->isVisible()) return;
    keyboard_->handOverKeyboard();
    host_->hide();
}

void Window::makeKeyAndOrderFront() {
    if (!host_->isVisible()) keyboard_->takesKeyboardAsItShows();
    orderFront();
    keyboard_->makeKey();
}

bool Window::isVisible() const { return host_->isVisible(); }

void Window::close() {
    if (closed_) return;
    willClose.emit();
    if (host_->isVisible()) keyboard_->handOverKeyboard();
    closed_ = true;
    shape_->closed();
    host_->hide();
}

std::optional<Screen> Window::screen(const ScreenProvider& screens) const {
    const Rect f = frame();
    std::optional<Screen> best;
    double bestArea = 0;
    for (const Screen& s : screens.screens()) {
        const Rect i = s.frame.intersection(f);
        const double area = i.isNull() ? 0 : i.width() * i.height();
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    return best;
}

Point Window::convertPointFromScreen(const Point& p) const {
    const Rect f = frame();
    return Point{p.x - f.minX(), p.y - f.minY()};
}

Point Window::convertPointToScreen(const Point& p) const {
    const Rect f = frame();
    return Point{p.x + f.minX(), p.y + f.minY()};
}

QPointF Window::convertScreenToContent(const Point& p) const {
    const QPointF global = toGlobal(p);
    const QWidget* target = content_ ? content_.data() : host_.get();
    return global - QPointF(target->mapToGlobal(QPoint(0, 0)));
}

Rect Window::convertContentRectToScreen(const QRectF& r) const {
    const QWidget* target = content_ ? content_.data() : host_.get();
    return toScreen(r.translated(QPointF(target->mapToGlobal(QPoint(0, 0)))));
}

} // namespace platform
