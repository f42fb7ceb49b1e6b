#pragma once

// The pointer driven through XTest on a connection of its own: a scripted
// run of moves and buttons at set intervals, played out by a thread of its
// own while this process goes on with its events, as a pen's input comes.

#include <QPoint>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

struct xcb_connection_t;

namespace testing_support {

class XTestPointer {
public:
    XTestPointer();
    ~XTestPointer();
    XTestPointer(const XTestPointer&) = delete;
    XTestPointer& operator=(const XTestPointer&) = delete;

    bool ready() const { return connection_ != nullptr; }

    // Steps of a run; each waits `delayMs` after the step before it.
    XTestPointer& moveTo(QPoint at, int delayMs = 0);
    XTestPointer& press(int delayMs = 0);
    XTestPointer& release(int delayMs = 0);

    // Plays the run and returns at once.
    void send();
    // Whether the run sent last is played and the server has taken it in.
    // Never blocks.
    bool played() const { return done_; }
    // Waits, running this process's events, until played(); false at the
    // deadline.
    bool waitUntilPlayed(int timeoutMs = 10000);

private:
    struct Step {
        std::uint8_t type;
        std::uint8_t detail;
        QPoint at;
        int delayMs;
    };
    void join();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::vector<Step> steps_;
    std::thread player_;
    std::atomic<bool> done_{true};
};

} // namespace testing_support
