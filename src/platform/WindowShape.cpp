// A window's X shapes: the input region, the painted-pixel bounding shape
// used without a compositing manager, and hiding a window from the screen
// (by shape or opacity) while it stays mapped.
#include "platform/WindowShape.h"

#include "platform/Window.h"

#include "platform/PaintedMask.h"
#include "platform/X11.h"
#include "platform/X11EventSource.h"
#include "platform/X11InputWindow.h"
#include "platform/X11ShapeStaging.h"

#include <QBackingStore>
#include <QTimer>
#include <QWidget>

#include <xcb/shape.h>

#include <utility>

namespace platform {

namespace {
xcb_rectangle_t toXcb(const QRect& r) {
    return xcb_rectangle_t{static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                           static_cast<std::uint16_t>(r.width()), static_cast<std::uint16_t>(r.height())};
}

void shapeRects(xcb_window_t id, xcb_shape_op_t op, xcb_shape_kind_t kind, const std::vector<QRect>& rects) {
    std::vector<xcb_rectangle_t> xr;
    xr.reserve(rects.size());
    for (const QRect& r : rects) xr.push_back(toXcb(r));
    xcb_shape_rectangles(x11::connection(), op, kind, XCB_CLIP_ORDERING_UNSORTED, id, 0, 0,
                         static_cast<std::uint32_t>(xr.size()), xr.data());
}
} // namespace

WindowShape::WindowShape(Window& window) : window_(window), paintedMask_(std::make_unique<PaintedMask>()) {
    compositingWatch_ = X11EventSource::instance().compositingChanged.connect([this](bool) { updateShapeMode(); });
}

WindowShape::~WindowShape() = default;

void WindowShape::setIgnoresMouseEvents(bool ignores) {
    setMouseRegion(ignores ? std::optional<QRegion>(QRegion()) : std::nullopt);
}

const std::optional<QRegion>& WindowShape::mouseRegion() const {
    if (!mouseRegionChanges_.empty()) {
        QRegion r = mouseRegion_.value_or(QRegion());
        for (const auto& [added, removed] : mouseRegionChanges_) r = (r | added) - removed;
        mouseRegionChanges_.clear();
        mouseRegion_ = std::move(r);
    }
    return mouseRegion_;
}

void WindowShape::setMouseRegion(const std::optional<QRegion>& region) {
    if (region == mouseRegion()) return;
    const bool ignored = ignoresMouseEvents();
    mouseRegion_ = region;
    ++mouseRegionRevision_;
    applyInputShape();
    if (ignored != ignoresMouseEvents()) Window::arrangementChanged().emit(&window_);
}

void WindowShape::changeMouseRegion(const QRegion& added, const QRegion& removed) {
    if (!mouseRegion_) {
        const QWidget* host = window_.widget();
        setMouseRegion((QRegion(QRect(QPoint(0, 0), host->size() * host->devicePixelRatioF())) | added) - removed);
        return;
    }
    if (added.isEmpty() && removed.isEmpty()) return;
    mouseRegionChanges_.emplace_back(added, removed);
    ++mouseRegionRevision_;
    applyInputShapeChange(added, removed);
}

void WindowShape::dropInputWindow() { inputWindow_.reset(); }

void WindowShape::nativeWindowCreated() {
    applyInputShape();
    shapeInitialised_ = false;
    updateShapeMode();
}

void WindowShape::painted(const QRegion& region) {
    if (shaped_) scheduleShapeUpdate(region);
}

void WindowShape::resized() {
    if (shaped_) scheduleShapeUpdate(QRegion(window_.widget()->rect()));
    updateInputWindow();
}

void WindowShape::moved() { updateInputWindow(); }

void WindowShape::aboutToShow() {
    // Before the window itself is mapped, so that a press that comes as soon
    // as it shows is routed as it will be: without a compositing manager
    // the window is shaped to its painted pixels already (a window manager
    // that frames it shapes its frame alike as it takes it on, and the frame
    // then takes no press the window would not), and the input-only window
    // is up.
    if (shaped_ && !shapeInitialised_) updateBoundingShape();
    updateInputWindow();
}

void WindowShape::hidden() {
    if (inputWindow_) inputWindow_->setShown(false);
    inputShapeSentWhileMapped_ = false;
}

bool WindowShape::exposed() {
    // A window manager copies the input shape onto its frame when told of a
    // change, but it only listens once it manages the window: a shape set
    // between our map request and that moment would leave the frame taking
    // every click. Mapped and shown now, so managed: send the shape again.
    if (inputShapeSentWhileMapped_) return false;
    inputShapeSentWhileMapped_ = true;
    applyInputShape();
    return true;
}

void WindowShape::closed() {
    if (inputWindow_) inputWindow_->setShown(false);
}

void WindowShape::restackInputWindow() {
    if (inputWindow_) inputWindow_->restack();
}

void WindowShape::applyInputShape() {
    const xcb_window_t id = window_.xid();
    if (id == XCB_NONE) return;
    // Shaped to its pixels, the window itself takes no input: the input-only
    // window over it carries the region.
    const std::optional<QRegion> own = shaped_ ? std::optional<QRegion>(QRegion()) : mouseRegion();
    if (!own) {
        // No input shape at all: the window's own (bounding) area, which
        // follows every resize.
        xcb_shape_mask(x11::connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, id, 0, 0, XCB_NONE);
    } else {
        std::vector<QRect> rects(own->begin(), own->end());
        shapeRects(id, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, rects);
    }
    x11::flush();
    updateInputWindow();
}

void WindowShape::applyInputShapeChange(const QRegion& added, const QRegion& removed) {
    const xcb_window_t id = window_.xid();
    if (id == XCB_NONE) return;
    if (shaped_) {
        // The input-only window carries the region; hidden, it is shown with
        // the whole of it.
        if (inputWindow_ && inputWindow_->isShown()) inputWindow_->changeRegion(added, removed);
        else updateInputWindow();
        return;
    }
    if (!added.isEmpty())
        shapeRects(id, XCB_SHAPE_SO_UNION, XCB_SHAPE_SK_INPUT, std::vector<QRect>(added.begin(), added.end()));
    if (!removed.isEmpty())
        shapeRects(id, XCB_SHAPE_SO_SUBTRACT, XCB_SHAPE_SK_INPUT, std::vector<QRect>(removed.begin(), removed.end()));
    x11::flush();
}

void WindowShape::updateInputWindow() {
    const bool want = shaped_ && window_.xid() != XCB_NONE && window_.isVisible() && !window_.closed_ &&
                      !(mouseRegion() && mouseRegion()->isEmpty());
    if (!want) {
        if (inputWindow_) inputWindow_->setShown(false);
        return;
    }
    if (!inputWindow_) inputWindow_ = std::make_unique<X11InputWindow>(window_.xid());
    // It stands where the server has this window (see X11InputWindow).
    inputWindow_->setSize(window_.widget()->size() * window_.widget()->devicePixelRatioF());
    inputWindow_->setRegion(mouseRegion());
    inputWindow_->setShown(true);
}

std::uint32_t WindowShape::inputWindowId() const {
    return inputWindow_ && inputWindow_->isShown() ? inputWindow_->id() : 0;
}

bool WindowShape::translucent() const { return !window_.isOpaque() && window_.backgroundColor().a < 1.0; }

void WindowShape::updateShapeMode() {
    const bool want = x11::available() && translucent() && !X11EventSource::instance().compositingManagerRunning();
    const xcb_window_t id = window_.xid();
    if (want == shaped_ && (shapeInitialised_ || !want)) return;
    // Content may paint otherwise while shaped (see isShapedToPaintedPixels).
    if (want != shaped_) window_.widget()->update();
    shaped_ = want;
    if (id != XCB_NONE && !hiddenFromScreen_) {
        if (want) {
            shapeInitialised_ = false;
            scheduleShapeUpdate(QRegion(window_.widget()->rect()));
        } else {
            xcb_shape_mask(x11::connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, id, 0, 0, XCB_NONE);
            x11::flush();
        }
        applyInputShape();
    }
}

void WindowShape::scheduleShapeUpdate(const QRegion& dirty) {
    pendingDirty_ += dirty;
    if (shapeUpdateQueued_) return;
    shapeUpdateQueued_ = true;
    // Paint events arrive before the widgets paint; read the pixels once the
    // whole repaint has reached the backing store.
    QTimer::singleShot(0, this, [this] {
        shapeUpdateQueued_ = false;
        updateBoundingShape();
    });
}

void WindowShape::setHiddenFromScreen(bool hidden) {
    if (hidden == hiddenFromScreen_) return;
    hiddenFromScreen_ = hidden;
    const xcb_window_t id = window_.xid();
    if (id == XCB_NONE) return;
    auto* c = x11::connection();
    const xcb_atom_t opacity = x11::atom("_NET_WM_WINDOW_OPACITY");
    if (hidden && x11::compositingManagerRunning()) {
        hiddenByOpacity_ = true;
        const auto was = x11::property32(id, opacity, XCB_ATOM_CARDINAL, 1);
        opacityBeforeHiding_ = was.empty() ? std::nullopt : std::optional(was.front());
        const std::uint32_t none = 0;
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, opacity, XCB_ATOM_CARDINAL, 32, 1, &none);
    } else if (hidden) {
        shapeRects(id, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, {});
    } else if (std::exchange(hiddenByOpacity_, false)) {
        if (opacityBeforeHiding_) {
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, opacity, XCB_ATOM_CARDINAL, 32, 1,
                                &*opacityBeforeHiding_);
        } else {
            xcb_delete_property(c, id, opacity);
        }
        opacityBeforeHiding_.reset();
        // An alpha set while hidden (a fade going on) is applied now.
        window_.widget()->setWindowOpacity(window_.alphaValue());
    } else if (shaped_) {
        shapeInitialised_ = false;
        updateBoundingShape();
    } else {
        xcb_shape_mask(x11::connection(), XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, id, 0, 0, XCB_NONE);
    }
    x11::flush();
}

void WindowShape::updateBoundingShape() {
    const xcb_window_t id = window_.xid();
    QRegion dirty = std::exchange(pendingDirty_, QRegion());
    if (!shaped_ || id == XCB_NONE) return;
    // Repaints while hidden are read whole once the window shows again.
    if (hiddenFromScreen_) {
        shapeInitialised_ = false;
        return;
    }
    const qreal dpr = window_.widget()->devicePixelRatioF();
    QImage image;
    if (QBackingStore* bs = window_.widget()->backingStore();
        bs && bs->paintDevice() && bs->paintDevice()->devType() == QInternal::Image) {
        image = *static_cast<QImage*>(bs->paintDevice());
    }
    const QRect full(QPoint(0, 0), window_.widget()->size() * dpr);
    if (image.isNull() || image.size() != full.size()) {
        // No image-backed store yet (or of another kind): render the window.
        image = QImage(full.size(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        window_.widget()->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        dirty = QRegion(window_.widget()->rect());
        shapeInitialised_ = false;
    }
    if (!shapeInitialised_) {
        std::vector<QRect> painted, cleared;
        paintedMask_->clear();
        paintedMask_->update(image, full, painted, cleared);
        if (!shapeStaging_) shapeStaging_ = std::make_unique<X11ShapeStaging>();
        shapeStaging_->set(id, painted);
        shapeInitialised_ = true;
    } else {
        // Only the pixels that turned: the server's work for each change
        // grows with the whole shape, and most repaints turn few pixels
        // (the new tail of a stroke) or none at all.
        std::vector<QRect> painted, cleared;
        for (const QRect& r : dirty) {
            const QRect device =
                QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr).toAlignedRect().intersected(full);
            if (!device.isEmpty()) paintedMask_->update(image, device, painted, cleared);
        }
        // What is painted and what is no longer reach the window in one
        // change: a pixel that stays painted never drops out of the shape in
        // between. The pointer resting on it would see the window leave and
        // come back, and a control repainting on that would start it again.
        if (painted.empty() && cleared.empty()) return;
        shapeStaging_->change(id, painted, cleared);
    }
    x11::flush();
}

} // namespace platform
