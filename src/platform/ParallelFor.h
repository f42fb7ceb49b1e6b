#pragma once

// Fork-join work on the same thread pool that runInBackground uses: the
// caller takes part and returns once every item is done.

#include <cstddef>
#include <functional>

namespace platform {

// Calls `work(i)` for every i in [0, count), on pool threads and on the
// calling thread, and returns when all calls have returned. Never waits on
// a pool that is busy elsewhere: items no pool thread has taken yet are
// done by the caller. `work` must be safe to run concurrently with itself.
void parallelFor(std::size_t count, const std::function<void(std::size_t)>& work);

} // namespace platform
