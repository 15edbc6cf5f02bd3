#pragma once

#include <functional>

namespace tw {

// Runs work that touches nothing a window shows (reading a file, ordering rows, writing a file)
// and returns when it is done; a window's runner keeps painting meanwhile. Without one the work
// simply runs.
using LongWorkRunner = std::function<void(const std::function<void()>& work)>;

inline void runLongWork(const LongWorkRunner& runner, const std::function<void()>& work)
{
    if (runner)
        runner(work);
    else
        work();
}

} // namespace tw
