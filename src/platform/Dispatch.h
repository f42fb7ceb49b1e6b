#pragma once

#include <QThreadPool>

#include <functional>
#include <memory>

namespace platform {

bool isMainThread();
// Stops the program when called off the main thread: all state and every
// user-interface object belong to the main thread.
void assertMainThread(const char* where = nullptr);

// Runs `work` on the main thread on a later turn of the event loop.
void dispatchMain(std::function<void()> work);

// A scheduled piece of work that can still be called off.
class DispatchHandle {
public:
    DispatchHandle() = default;
    explicit DispatchHandle(std::shared_ptr<bool> cancelled) : cancelled_(std::move(cancelled)) {}
    void cancel() {
        if (cancelled_) *cancelled_ = true;
    }
    bool isPending() const { return cancelled_ && !*cancelled_; }

private:
    std::shared_ptr<bool> cancelled_;
};

// Runs `work` on the main thread after `seconds` (0 = next turn).
DispatchHandle dispatchMainAfter(double seconds, std::function<void()> work);

enum class TaskPriority { UserInitiated, Utility };

// Runs `work` on the thread pool and hands its result to `done` on the main
// thread, but only if `owner` still exists by then. The work must not touch
// main-thread objects; it gets only what it captured.
template <typename Owner, typename Work, typename Done>
void runInBackground(std::weak_ptr<Owner> owner, Work work, Done done,
                     TaskPriority priority = TaskPriority::UserInitiated) {
    const int qtPriority = priority == TaskPriority::UserInitiated ? 1 : 0;
    QThreadPool::globalInstance()->start(
        [owner = std::move(owner), work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<decltype(work())>(work());
            dispatchMain([owner = std::move(owner), done = std::move(done), result]() mutable {
                if (auto strong = owner.lock()) done(*strong, std::move(*result));
            });
        },
        qtPriority);
}

// Same, for work with no result.
template <typename Owner, typename Work, typename Done>
void runInBackgroundVoid(std::weak_ptr<Owner> owner, Work work, Done done,
                         TaskPriority priority = TaskPriority::Utility) {
    const int qtPriority = priority == TaskPriority::UserInitiated ? 1 : 0;
    QThreadPool::globalInstance()->start(
        [owner = std::move(owner), work = std::move(work), done = std::move(done)]() mutable {
            work();
            dispatchMain([owner = std::move(owner), done = std::move(done)]() mutable {
                if (auto strong = owner.lock()) done(*strong);
            });
        },
        qtPriority);
}

} // namespace platform
