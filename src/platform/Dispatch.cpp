#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {

namespace {

// How long quitting waits for background work that is already running. Each
// task is bounded (stored files are read only when regular and small) and
// long ones stop between their steps once quitting begins, so this is a
// grace period, not a promise to finish.
constexpr int kQuitGraceMs = 2000;

std::atomic<bool> quitting{false};

// Hand-overs to the main thread not yet taken, with what undoes each.
struct HandOffs {
    std::mutex mutex;
    std::map<quint64, std::function<void()>> pending;
    quint64 last = 0;
};
HandOffs& handOffs() {
    static auto* const kInstance = new HandOffs;
    return *kInstance;
}

// The pool is never destroyed: ~QCoreApplication waits for Qt's global pool
// without a limit, and a task that cannot finish must not keep the program
// from ending.
QThreadPool& pool() {
    static QThreadPool* const kInstance = [] {
        auto* p = new QThreadPool;
        p->setObjectName(QStringLiteral("overink-background"));
        return p;
    }();
    return *kInstance;
}

void dropQueuedWorkAtQuit() {
    static bool connected = false;
    auto* app = QCoreApplication::instance();
    if (connected || !app || !isMainThread()) return;
    connected = true;
    QObject::connect(app, &QCoreApplication::aboutToQuit, [] { stopBackgroundWork(); });
}

} // namespace

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
        QMetaObject::invokeMethod(
            app,
            [ms, app, run = std::move(run)]() mutable {
                QTimer::singleShot(ms, Qt::PreciseTimer, app, std::move(run));
            },
            Qt::QueuedConnection);
    }
    return DispatchHandle(cancelled);
}

void detail::startInBackground(std::function<void()> task, TaskPriority priority) {
    dropQueuedWorkAtQuit();
    pool().start(std::move(task), priority == TaskPriority::UserInitiated ? 1 : 0);
}

void detail::dispatchMainOrDrop(std::function<void()> work, std::function<void()> dropped) {
    auto& h = handOffs();
    quint64 id = 0;
    {
        std::lock_guard lock(h.mutex);
        id = ++h.last;
        h.pending.emplace(id, std::move(dropped));
    }
    dispatchMain([id, work = std::move(work)] {
        {
            auto& h = handOffs();
            std::lock_guard lock(h.mutex);
            if (h.pending.erase(id) == 0) return; // dropped at quit
        }
        work();
    });
}

void concurrentFor(qsizetype count, std::function<void(qsizetype)> body) {
    struct Shared {
        std::atomic<qsizetype> next{0};
        qsizetype count = 0;
        std::function<void(qsizetype)> body;
        std::mutex mutex;
        std::condition_variable idle;
        int helping = 0;

        void work() {
            for (qsizetype i; (i = next++) < count;) body(i);
        }
    };
    auto shared = std::make_shared<Shared>();
    shared->count = count;
    shared->body = std::move(body);
    const qsizetype helpers = std::min<qsizetype>(count - 1, pool().maxThreadCount());
    for (qsizetype h = 0; h < helpers; ++h) {
        pool().start(
            [shared] {
                {
                    // A helper that starts late finds nothing left and
                    // never touches the caller's data.
                    std::lock_guard lock(shared->mutex);
                    if (shared->next >= shared->count) return;
                    ++shared->helping;
                }
                shared->work();
                std::lock_guard lock(shared->mutex);
                if (--shared->helping == 0) shared->idle.notify_all();
            },
            1);
    }
    shared->work();
    std::unique_lock lock(shared->mutex);
    shared->idle.wait(lock, [&] { return shared->helping == 0; });
}

bool backgroundWorkCancelled() { return quitting.load(std::memory_order_relaxed); }

bool stopBackgroundWork() {
    quitting = true;
    pool().clear();
    const bool ended = pool().waitForDone(kQuitGraceMs);
    // The event loop runs no more: what the finished work handed over is
    // never taken.
    std::map<quint64, std::function<void()>> dropped;
    {
        auto& h = handOffs();
        std::lock_guard lock(h.mutex);
        dropped.swap(h.pending);
    }
    for (auto& entry : dropped) entry.second();
    return ended;
}

bool waitForBackgroundWork(int msecs) { return pool().waitForDone(msecs); }

int runningBackgroundWork() { return pool().activeThreadCount(); }

} // namespace platform
