#include "core/worker_threads.h"

#include <exception>
#include <thread>
#include <vector>

namespace tw {

void runOnThreads(std::size_t n, const std::function<void(std::size_t)>& work)
{
    if (n == 0)
        return;
    // Everything that allocates comes before the first thread starts.
    std::vector<std::exception_ptr> failures(n);
    std::vector<char> started(n, 0);
    std::vector<std::thread> pool;
    pool.reserve(n);
    const auto guarded = [&](std::size_t i) {
        try {
            work(i);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    for (std::size_t i = 1; i < n; ++i) {
        try {
            pool.emplace_back(guarded, i);
            started[i] = 1;
        } catch (...) {
            // No thread to be had (a limit on threads or memory): this share waits for us.
        }
    }
    guarded(0);
    for (std::size_t i = 1; i < n; ++i) {
        if (!started[i])
            guarded(i);
    }
    for (std::thread& t : pool)
        t.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace tw
