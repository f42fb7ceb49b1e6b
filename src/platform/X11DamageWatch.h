#pragma once

// What the X server draws on the screen from a given moment on, as the
// DAMAGE extension reports it for the root window: every client's drawing
// without a compositing manager, the compositing manager's repaints with
// one.

#include "platform/Clock.h"
#include "platform/Signal.h"

#include <QRegion>

#include <memory>

namespace platform::x11 {

class DamageWatch {
public:
    // Watches through a connection of its own. Everything the server draws
    // after the constructor returns is reported; drawing requested earlier
    // may be reported too. Reports are timed by `clock` as they are taken in.
    explicit DamageWatch(std::shared_ptr<Clock> clock = Clock::system());
    ~DamageWatch();
    DamageWatch(const DamageWatch&) = delete;
    DamageWatch& operator=(const DamageWatch&) = delete;

    // False where the server has no DAMAGE extension or cannot be reached.
    bool isWatching() const { return damage_ != 0; }

    // Root pixels drawn since the watch began.
    const QRegion& drawn() const { return drawn_; }
    // Milliseconds since the watch began.
    qint64 elapsed() const { return clock_->nowMs() - startedMs_; }
    // Milliseconds since the watch began at which drawing in `area` was last
    // reported; -1 when none was.
    qint64 lastDrawnIn(const QRegion& area) const;

    // Fires on the main thread after each batch of reports that arrives.
    Signal<> newReports;

    // Takes in the reports that have arrived; the watch does so by itself as
    // they come.
    void readReports();

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
    std::uint32_t damage_ = 0;
    QRegion drawn_;
    // Each report's area with the time it came, newest last.
    std::vector<std::pair<QRect, qint64>> reports_;
    std::shared_ptr<Clock> clock_;
    qint64 startedMs_ = 0;
};

} // namespace platform::x11
