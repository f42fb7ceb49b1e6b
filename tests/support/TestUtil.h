#pragma once

#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>

namespace testing_support {

// Runs the event loop until `done` holds or `timeoutMs` passes.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Lets queued main-thread work (and finished background work) run.
inline void drainEvents(int rounds = 3) {
    for (int i = 0; i < rounds; ++i) {
        platform::waitForBackgroundWork();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

} // namespace testing_support
