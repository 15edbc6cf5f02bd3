#pragma once

#include <functional>

namespace tw {

// Runs work on a thread of its own while this thread goes on painting windows and running
// timers; clicks, keys and drops that arrive meanwhile are dropped, since the work may be
// reading the very rows they would change. Returns when the work is done and rethrows what it
// threw. whileWaiting, when given, runs on this thread every tenth of a second meanwhile.
void runKeepingWindowsPainted(const std::function<void()>& work,
                              const std::function<void()>& whileWaiting = {});

} // namespace tw
