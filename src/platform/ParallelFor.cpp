#include "platform/ParallelFor.h"

#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// Shared with helper tasks that may start only after the caller returned.
struct Batch {
    std::function<void(std::size_t)> work;
    std::size_t count = 0;
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t done = 0;

    // Takes items until none is left.
    void drain() {
        for (;;) {
            const std::size_t i = next.fetch_add(1);
            if (i >= count) return;
            work(i);
            std::lock_guard lock(mutex);
            if (++done == count) finished.notify_all();
        }
    }
};

} // namespace

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work) {
    if (count == 0) return;
    if (count == 1) {
        work(0);
        return;
    }
    auto batch = std::make_shared<Batch>();
    batch->work = work;
    batch->count = count;
    const int helpers = std::min<int>(static_cast<int>(count) - 1, QThreadPool::globalInstance()->maxThreadCount());
    for (int h = 0; h < helpers; ++h) {
        // tryStart: a pool with no idle thread leaves the item to the caller.
        if (!QThreadPool::globalInstance()->tryStart([batch] { batch->drain(); })) break;
    }
    batch->drain();
    std::unique_lock lock(batch->mutex);
    batch->finished.wait(lock, [&] { return batch->done == batch->count; });
}

} // namespace platform
