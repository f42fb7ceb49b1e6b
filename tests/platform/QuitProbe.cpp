// Helper program for the background-work tests: fills the thread pool with
// tasks that never end, queues more behind them, quits, and reports whether
// it got out and whether any queued task ran.
#include "platform/Dispatch.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Never destroyed: the tasks still wait on them when the program ends.
    static auto* mutex = new std::mutex;
    static auto* never = new std::condition_variable;
    static std::atomic<int> started{0}, queuedRan{0};
    const int threads = QThread::idealThreadCount();
    for (int i = 0; i < threads; ++i) {
        platform::runInBackground(
            [] {
                ++started;
                std::unique_lock lock(*mutex);
                never->wait(lock, [] { return false; });
            },
            platform::TaskPriority::UserInitiated);
    }
    for (int i = 0; i < 100; ++i) platform::runInBackground([] { ++queuedRan; }, platform::TaskPriority::Utility);
    QTimer::singleShot(200, [] { QCoreApplication::quit(); });
    const int status = QCoreApplication::exec();
    std::printf("exited with %d blocked, %d queued ran\n", started.load(), queuedRan.load());
    std::fflush(stdout);
    return status;
}
