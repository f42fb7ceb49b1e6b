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

// Runs the event loop for `ms` and whether `holds` stayed true all along:
// for what must not change once it is so.
inline bool holdsFor(const std::function<bool()>& holds, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (!holds()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return holds();
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
