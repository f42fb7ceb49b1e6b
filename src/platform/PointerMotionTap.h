#pragma once

// The pointer's motion during a left-button drag, taken straight from the X
// connection: Qt would make a mouse event of each move and send it through
// the application's filters and widgets one by one; the tap hands over all
// the moves of one read of the connection at once.

#include <QPointF>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QWindow;

namespace platform {

struct PointerSample {
    QPointF position; // in the window, logical pixels
    bool shift = false;
};

class PointerMotionTap {
public:
    // How moves are handed over: those of one read of the connection, on a
    // later turn of the event loop; or those still held, because another
    // input event (a release, a key) is about to reach Qt or flush() asks.
    enum class Delivery { read, beforeOtherInput };
    using Handler = std::function<void(const std::vector<PointerSample>&, Delivery)>;

    // While the tap lives, the moves with the left button held that X sends
    // to `window` go to `handler` instead of Qt, oldest first. The left
    // button's release closes the tap. `pressTime` is the X time of the
    // press that starts the drag (QMouseEvent::timestamp()): when Qt hands
    // that press over late, behind a burst of input, X may already have
    // sent the release and the next press, and the moves that follow are
    // not this drag's; the tap then takes none. None without an X server
    // with XInput 2.
    static std::unique_ptr<PointerMotionTap> start(QWindow* window, std::uint64_t pressTime, Handler handler);
    ~PointerMotionTap();

    PointerMotionTap(const PointerMotionTap&) = delete;
    PointerMotionTap& operator=(const PointerMotionTap&) = delete;

    // Hands over what is held now.
    void flush();
    // Whether moves are still being taken (the release has not come).
    bool isOpen() const;

    struct State;

private:
    explicit PointerMotionTap(std::shared_ptr<State> state);
    std::shared_ptr<State> state_;
};

} // namespace platform
