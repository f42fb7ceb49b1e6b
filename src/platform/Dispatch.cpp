#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {

bool isMainThread() {
    auto* app = QCoreApplication::instance();
    return app ? QThread::currentThread() == app->thread() : true;
}

void assertMainThread(const char* where) {
    if (!isMainThread()) {
        std::fprintf(stderr, "overink: %s called off the main thread\n", where ? where : "main-thread code");
        std::abort();
    }
}

void dispatchMain(std::function<void()> work) {
    auto* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
}

DispatchHandle dispatchMainAfter(double seconds, std::function<void()> work) {
    auto cancelled = std::make_shared<bool>(false);
    auto* app = QCoreApplication::instance();
    if (!app) return DispatchHandle(cancelled);
    const int ms = seconds > 0 && std::isfinite(seconds) ? static_cast<int>(std::lround(seconds * 1000.0)) : 0;
    auto run = [cancelled, work = std::move(work)] {
        if (!*cancelled) {
            *cancelled = true;
            work();
        }
    };
    if (isMainThread()) {
        QTimer::singleShot(ms, Qt::PreciseTimer, app, std::move(run));
    } else {
        QMetaObject::invokeMethod(app, [ms, app, run = std::move(run)]() mutable {
            QTimer::singleShot(ms, Qt::PreciseTimer, app, std::move(run));
        }, Qt::QueuedConnection);
    }
    return DispatchHandle(cancelled);
}

} // namespace platform
