#pragma once

// Main-thread checks, main-queue dispatch and background work.

#include <QtGlobal>

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

namespace detail {
void startInBackground(std::function<void()> task, TaskPriority priority);
// Runs `work` on the main thread on a later turn, unless stopBackgroundWork()
// comes first: then `dropped` runs instead, there.
void dispatchMainOrDrop(std::function<void()> work, std::function<void()> dropped);
} // namespace detail

// Background work runs on the program's own thread pool, which quitting does
// not wait for beyond a short grace: when the application is about to quit,
// work still queued is dropped and work still running gets a moment to end.

// Runs `work` on the thread pool and hands its result to `done` on the main
// thread, but only if `owner` still exists by then. The work must not touch
// main-thread objects; it gets only what it captured.
template <typename Owner, typename Work, typename Done>
void runInBackground(std::weak_ptr<Owner> owner, Work work, Done done,
                     TaskPriority priority = TaskPriority::UserInitiated) {
    detail::startInBackground(
        [owner = std::move(owner), work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<decltype(work())>(work());
            dispatchMain([owner = std::move(owner), done = std::move(done), result]() mutable {
                if (auto strong = owner.lock()) done(*strong, std::move(*result));
            });
        },
        priority);
}

// Same, for work whose result is handed to `done` on the main thread in any
// case (work that goes on after its owner is gone).
template <typename Work, typename Done>
void runInBackground(Work work, Done done, TaskPriority priority) {
    detail::startInBackground(
        [work = std::move(work), done = std::move(done)]() mutable {
            auto result = std::make_shared<decltype(work())>(work());
            dispatchMain([done = std::move(done), result]() mutable { done(std::move(*result)); });
        },
        priority);
}

// Same, for work that leaves something behind that only its result would
// record (files it wrote): when the program quits before `done` gets the
// result, `undo` gets it instead, on the main thread once the background
// work has stopped.
template <typename Work, typename Done, typename Undo>
void runInBackgroundOrUndo(Work work, Done done, Undo undo, TaskPriority priority) {
    detail::startInBackground(
        [work = std::move(work), done = std::move(done), undo = std::move(undo)]() mutable {
            auto result = std::make_shared<decltype(work())>(work());
            detail::dispatchMainOrDrop([done = std::move(done), result]() mutable { done(std::move(*result)); },
                                       [undo = std::move(undo), result]() mutable { undo(std::move(*result)); });
        },
        priority);
}

// Same, for work with no result and nothing to do afterwards.
inline void runInBackground(std::function<void()> work, TaskPriority priority) {
    detail::startInBackground(std::move(work), priority);
}

// Same, for work with no result.
template <typename Owner, typename Work, typename Done>
void runInBackgroundVoid(std::weak_ptr<Owner> owner, Work work, Done done,
                         TaskPriority priority = TaskPriority::Utility) {
    detail::startInBackground(
        [owner = std::move(owner), work = std::move(work), done = std::move(done)]() mutable {
            work();
            dispatchMain([owner = std::move(owner), done = std::move(done)]() mutable {
                if (auto strong = owner.lock()) done(*strong);
            });
        },
        priority);
}

// Calls body(i) for every i in [0, count) and returns once all calls are
// done. The calling thread takes part and the pool's idle threads help, so
// this never waits on work queued before it.
void concurrentFor(qsizetype count, std::function<void(qsizetype)> body);

// Whether the application is quitting: long background work checks it
// between its steps and stops early, leaving nothing half recorded.
bool backgroundWorkCancelled();

// What quitting does to background work (also when the X connection is
// lost, which ends the program without leaving the event loop): asks it to
// stop, drops what is still queued and waits for what is running, at most a
// short grace, then hands the results that will never be taken to their
// `undo`. Whether it all ended. Main thread.
bool stopBackgroundWork();

// Waits until no background work is queued or running, at most `msecs`
// (-1: no limit). Whether it all finished.
bool waitForBackgroundWork(int msecs = -1);
// Background tasks now running.
int runningBackgroundWork();

} // namespace platform
