#pragma once

// Termination signals delivered on the main thread.

#include "platform/Signal.h"

#include <memory>

class QSocketNotifier;

namespace platform {

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the main thread (through
// a self-pipe, since almost nothing is safe inside a signal handler).
class UnixSignals {
public:
    static UnixSignals& instance();
    ~UnixSignals();

    // Starts watching; safe to call more than once.
    void install();

    Signal<int> received;

private:
    UnixSignals() = default;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace platform
