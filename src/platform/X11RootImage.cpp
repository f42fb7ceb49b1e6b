// Root window pixels through GetImage, with MIT-SHM when the server offers it.
#include "platform/X11RootImage.h"

#include "platform/X11.h"
#include "platform/X11Monitors.h"

#include <QtEndian>

#include <xcb/shm.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <bit>
#include <cstring>

namespace platform::x11 {

namespace {

// Below this many pixels a reply is as quick as setting up shared memory.
constexpr qint64 kSharedMemoryThreshold = 256 * 1024;

struct PixelLayout {
    int bitsPerPixel = 0;
    std::uint32_t red = 0, green = 0, blue = 0;
    bool lsbFirst = true;
};

PixelLayout rootLayout() {
    PixelLayout l;
    auto* c = connection();
    xcb_screen_t* s = screen();
    if (!c || !s) return l;
    const xcb_setup_t* setup = xcb_get_setup(c);
    l.lsbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == s->root_depth) l.bitsPerPixel = f.data->bits_per_pixel;
    for (auto d = xcb_screen_allowed_depths_iterator(s); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id != s->root_visual) continue;
            l.red = v.data->red_mask;
            l.green = v.data->green_mask;
            l.blue = v.data->blue_mask;
        }
    }
    return l;
}

int channel(std::uint32_t pixel, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t max = mask >> shift;
    return static_cast<int>(((pixel & mask) >> shift) * 255 / max);
}

// Rows of 32-bit pixels as the server laid them out, into an RGB32 image.
QImage toImage(const std::uint8_t* data, int width, int height, const PixelLayout& l, QString* error) {
    if (l.bitsPerPixel != 32) {
        if (error) *error = QStringLiteral("unsupported root pixel size of %1 bits").arg(l.bitsPerPixel);
        return {};
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        if (error) *error = QStringLiteral("no memory for a %1×%2 image").arg(width).arg(height);
        return {};
    }
    const std::size_t rowBytes = std::size_t(width) * 4;
    const bool nativeOrder = l.lsbFirst == (QSysInfo::ByteOrder == QSysInfo::LittleEndian);
    if (nativeOrder && l.red == 0xff0000 && l.green == 0x00ff00 && l.blue == 0x0000ff) {
        for (int y = 0; y < height; ++y) std::memcpy(image.scanLine(y), data + rowBytes * y, rowBytes);
        return image;
    }
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* in = data + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p =
                l.lsbFirst ? qFromLittleEndian<std::uint32_t>(in + x * 4) : qFromBigEndian<std::uint32_t>(in + x * 4);
            out[x] = qRgb(channel(p, l.red), channel(p, l.green), channel(p, l.blue));
        }
    }
    return image;
}

// Why a read's reply did not come: the server's error, or none when the
// connection broke (the server went away).
QString unread(const xcb_generic_error_t* e) {
    if (!e) return QStringLiteral("the connection to the X server broke");
    return QStringLiteral("the X server refused to read the screen (error %1)").arg(e->error_code);
}

bool sharedMemoryOffered(xcb_connection_t* c) {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
    return ext && ext->present;
}

QImage readThroughReply(xcb_connection_t* c, const QRect& a, const PixelLayout& l, QString* error,
                        const std::function<void()>& whenRead) {
    xcb_generic_error_t* e = nullptr;
    auto r =
        reply(xcb_get_image_reply(c,
                                  xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root(), static_cast<std::int16_t>(a.x()),
                                                static_cast<std::int16_t>(a.y()), static_cast<std::uint16_t>(a.width()),
                                                static_cast<std::uint16_t>(a.height()), ~0u),
                                  &e));
    if (whenRead) whenRead();
    if (!r) {
        if (error) *error = unread(e);
        std::free(e);
        return {};
    }
    const auto length = static_cast<std::size_t>(xcb_get_image_data_length(r.get()));
    if (length < std::size_t(a.width()) * a.height() * (l.bitsPerPixel / 8)) {
        if (error) *error = QStringLiteral("the X server sent a short image");
        return {};
    }
    return toImage(xcb_get_image_data(r.get()), a.width(), a.height(), l, error);
}

} // namespace

// A System V segment the server writes into, kept attached for the reader's
// life. Marked for removal once both sides are attached, so nothing outlives
// the reader even if the program dies.
class RootImageReader::SharedSegment {
public:
    SharedSegment(xcb_connection_t* c, std::size_t size) : c_(c), size_(size) {
        id_ = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
        if (id_ < 0) return;
        void* a = shmat(id_, nullptr, 0);
        if (a == reinterpret_cast<void*>(-1)) {
            shmctl(id_, IPC_RMID, nullptr);
            id_ = -1;
            return;
        }
        address_ = static_cast<std::uint8_t*>(a);
        seg_ = xcb_generate_id(c);
        xcb_generic_error_t* e =
            xcb_request_check(c, xcb_shm_attach_checked(c, seg_, static_cast<std::uint32_t>(id_), 0));
        attached_ = e == nullptr;
        std::free(e);
        shmctl(id_, IPC_RMID, nullptr);
        // The pages exist from here on; the server only maps them.
        if (attached_) std::memset(address_, 0, size);
    }
    ~SharedSegment() {
        detachFromServer();
        if (address_) shmdt(address_);
    }
    // The server no longer writes here; the memory stays ours.
    void detachFromServer() {
        if (!attached_) return;
        attached_ = false;
        xcb_shm_detach(c_, seg_);
        xcb_flush(c_);
    }
    SharedSegment(const SharedSegment&) = delete;
    SharedSegment& operator=(const SharedSegment&) = delete;

    bool ok() const { return attached_; }
    std::size_t size() const { return size_; }
    xcb_shm_seg_t seg() const { return seg_; }
    const std::uint8_t* data() const { return address_; }

private:
    xcb_connection_t* c_;
    std::size_t size_;
    int id_ = -1;
    std::uint8_t* address_ = nullptr;
    xcb_shm_seg_t seg_ = 0;
    bool attached_ = false;
};

RootImageReader::RootImageReader(QSize largest, RootReadMethod method) : largest_(largest), method_(method) {
    auto* c = connection();
    if (!c || method == RootReadMethod::request) return;
    const bool large = qint64(largest.width()) * largest.height() >= kSharedMemoryThreshold;
    if (method == RootReadMethod::automatic && !large) return;
    if (!sharedMemoryOffered(c)) {
        setupError_ = QStringLiteral("the X server does not offer MIT-SHM");
        return;
    }
    const PixelLayout layout = rootLayout();
    const std::size_t size = std::size_t(std::max(largest.width(), 0)) * std::max(largest.height(), 0) * 4;
    if (layout.bitsPerPixel != 32 || size == 0) return;
    auto segment = std::make_unique<SharedSegment>(c, size);
    // A remote server, or one that may not see our memory: replies instead.
    if (segment->ok()) {
        segment_ = std::move(segment);
    } else {
        setupError_ = QStringLiteral("the X server could not share memory with us");
    }
}

RootImageReader::~RootImageReader() = default;

bool RootImageReader::usesSharedMemory() const { return segment_ != nullptr; }

QImage RootImageReader::read(const QRect& area, QString* error, const std::function<void()>& whenRead) {
    auto* c = connection();
    xcb_screen_t* s = screen();
    if (!c || !s) {
        if (error) *error = QStringLiteral("no connection to an X server");
        return {};
    }
    // The root's size now: the connection's setup keeps the size at start.
    const QRect a = area.intersected(QRect(QPoint(0, 0), rootSize()));
    if (a.isEmpty()) {
        if (error) *error = QStringLiteral("the area lies outside the screen");
        return {};
    }
    const PixelLayout layout = rootLayout();
    const std::size_t bytes = std::size_t(a.width()) * a.height() * 4;
    if (segment_ && segment_->size() >= bytes) {
        if (!readIntoSegment(a, error, whenRead)) return {};
        return toImage(segment_->data(), a.width(), a.height(), layout, error);
    }
    if (method_ == RootReadMethod::sharedMemory) {
        if (error)
            *error = setupError_.isEmpty() ? QStringLiteral("the area is larger than the shared memory") : setupError_;
        return {};
    }
    return readThroughReply(c, a, layout, error, whenRead);
}

bool RootImageReader::readIntoSegment(const QRect& a, QString* error, const std::function<void()>& whenRead) {
    auto* c = connection();
    xcb_generic_error_t* e = nullptr;
    auto r = reply(xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, root(), static_cast<std::int16_t>(a.x()), static_cast<std::int16_t>(a.y()),
                          static_cast<std::uint16_t>(a.width()), static_cast<std::uint16_t>(a.height()), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment_->seg(), 0),
        &e));
    if (whenRead) whenRead();
    if (r) return true;
    if (error) *error = unread(e);
    std::free(e);
    return false;
}

QImage RootImageReader::readInPlace(const QRect& area, QString* error, const std::function<void()>& whenRead) {
    auto* c = connection();
    xcb_screen_t* s = screen();
    const PixelLayout layout = rootLayout();
    const bool native = layout.bitsPerPixel == 32 &&
                        layout.lsbFirst == (QSysInfo::ByteOrder == QSysInfo::LittleEndian) && layout.red == 0xff0000 &&
                        layout.green == 0x00ff00 && layout.blue == 0x0000ff;
    if (!c || !s || !segment_ || !native) return read(area, error, whenRead);
    const QRect a = area.intersected(QRect(0, 0, s->width_in_pixels, s->height_in_pixels));
    if (a.isEmpty() || segment_->size() < std::size_t(a.width()) * a.height() * 4) return read(area, error, whenRead);
    if (!readIntoSegment(a, error, whenRead)) return {};
    SharedSegment* segment = segment_.release();
    segment->detachFromServer();
    QImage image(
        segment->data(), a.width(), a.height(), a.width() * 4, QImage::Format_RGB32,
        [](void* held) { delete static_cast<SharedSegment*>(held); }, segment);
    if (image.isNull()) {
        delete segment;
        if (error) *error = QStringLiteral("no memory for a %1×%2 image").arg(a.width()).arg(a.height());
    }
    return image;
}

QImage readRootImage(const QRect& area, QString* error, RootReadMethod method) {
    return RootImageReader(area.size(), method).read(area, error);
}

} // namespace platform::x11
