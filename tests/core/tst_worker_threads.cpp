#include "core/worker_threads.h"

#include <QTest>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>

using namespace tw;

class TestWorkerThreads : public QObject {
    Q_OBJECT

private slots:
    // Every share runs, each once, on threads besides the caller's.
    void everyShareRunsOnce()
    {
        std::vector<std::atomic<int>> runs(5);
        std::atomic<int> elsewhere = 0;
        const auto caller = std::this_thread::get_id();
        runOnThreads(runs.size(), [&](std::size_t i) {
            ++runs[i];
            if (std::this_thread::get_id() != caller)
                ++elsewhere;
        });
        for (const auto& n : runs)
            QCOMPARE(n.load(), 1);
        QCOMPARE(elsewhere.load(), 4);
    }

    // What a worker throws reaches the caller once all have finished, instead of ending the
    // process; the lowest share's failure wins.
    void failuresReachTheCaller()
    {
        std::atomic<int> finished = 0;
        bool caught = false;
        try {
            runOnThreads(4, [&](std::size_t i) {
                if (i == 3)
                    throw std::runtime_error("later share");
                if (i == 2)
                    throw std::bad_alloc();
                ++finished;
            });
        } catch (const std::bad_alloc&) {
            caught = true;
        }
        QVERIFY(caught);
        QCOMPARE(finished.load(), 2);
    }
};

QTEST_GUILESS_MAIN(TestWorkerThreads)
#include "tst_worker_threads.moc"
