#pragma once

#include <cstddef>
#include <functional>

namespace tw {

// Runs work(0) to work(n - 1) at once: work(0) on this thread, the others on threads of their
// own, and returns when all are done. What a worker throws is thrown again here (the lowest
// index first) instead of ending the process; a share whose thread cannot be started runs here.
void runOnThreads(std::size_t n, const std::function<void(std::size_t)>& work);

} // namespace tw
