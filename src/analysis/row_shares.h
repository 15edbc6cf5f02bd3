#pragma once

#include "core/worker_threads.h"

#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstddef>

namespace tw {

// Whether work that watches this flag should stop.
inline bool isCancelled(const std::atomic<bool>* cancel)
{
    return cancel && cancel->load(std::memory_order_relaxed);
}

// How many cores share `count` rows: one for a small count, where starting threads costs more
// than it saves.
inline std::size_t shareCount(qsizetype count)
{
    constexpr qsizetype kRowsPerShare = 50000;
    return std::clamp<std::size_t>(std::size_t(count / kRowsPerShare), 1,
                                   std::size_t(std::max(1, QThread::idealThreadCount())));
}

// Runs work(share, begin, end) on `shares` consecutive parts of positions 0 .. count-1 at once.
// What a share throws is thrown here.
template <typename Work> void forEachShare(qsizetype count, std::size_t shares, Work&& work)
{
    runOnThreads(shares, [&](std::size_t s) {
        work(s, qsizetype(std::size_t(count) * s / shares),
             qsizetype(std::size_t(count) * (s + 1) / shares));
    });
}

} // namespace tw
