#pragma once

// A window that only takes input (an X InputOnly window), laid over one of
// our windows. Without a compositing manager X clips a window's input to its
// painted pixels; this window carries the input region instead, and its
// pointer events reach Qt as the owner window's own (routed by
// ServerPlacement as Qt reads them).
//
// It stands where the X server has the owner (ServerPlacement), not where
// Qt believes the owner is. Each pointer event's position in the owner is
// taken from its root position and where the owner's events are placed at
// that moment (where the server has it, or where it is about to stand), so
// that no event lands off by the distance of a move still under way.

#include "platform/Subscription.h"

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <cstdint>
#include <optional>

namespace platform {

class X11InputWindow {
public:
    // `owner`: the X window whose events these become.
    explicit X11InputWindow(std::uint32_t owner);
    ~X11InputWindow();

    X11InputWindow(const X11InputWindow&) = delete;
    X11InputWindow& operator=(const X11InputWindow&) = delete;

    std::uint32_t id() const { return id_; }
    std::uint32_t owner() const { return owner_; }
    bool isShown() const { return shown_; }

    // The owner's size, in device pixels; the window stands at the owner's
    // place on the server.
    void setSize(const QSize& size);
    // Where the server has the owner's top-left corner (root coordinates),
    // as last learnt.
    std::optional<QPoint> ownerOrigin() const;
    // Relative to the window; none: all of it.
    void setRegion(const std::optional<QRegion>& region);
    // Adds pixels to the region set last, then takes others away.
    void changeRegion(const QRegion& added, const QRegion& removed);
    void setShown(bool shown);
    // Puts the window just above its owner (above the window manager's frame
    // of the owner, if it has one).
    void restack();

    // Every input window that exists, for telling our windows from others.
    static std::vector<std::uint32_t> all();
    // Whether any input window exists.
    static bool any();
    // The window whose events an input window's become; 0 for any other.
    static std::uint32_t ownerOf(std::uint32_t id);

private:
    void place();

    std::uint32_t owner_ = 0;
    std::uint32_t id_ = 0;
    QSize size_;
    QRect placed_;
    bool shown_ = false;
    Subscription ownerWatch_;
};

} // namespace platform
