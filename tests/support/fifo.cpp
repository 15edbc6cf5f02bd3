#include "support/fifo.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tw::test {

Fifo::Fifo()
{
    m_valid = m_dir.isValid() && ::mkfifo(QFile::encodeName(path()).constData(), 0600) == 0;
}

bool Fifo::endsWithin(int ms, const std::function<void()>& work) const
{
    std::atomic<bool> done = false;
    std::thread worker([&] {
        work();
        done = true;
    });
    const QDeadlineTimer deadline(ms);
    while (!done && !deadline.hasExpired())
        QThread::msleep(5);
    const bool inTime = done;
    const QByteArray name = QFile::encodeName(path());
    while (!done) {
        // Opening for writing releases a reader waiting in open(); closing gives it the end.
        const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        QThread::msleep(5);
    }
    worker.join();
    return inTime;
}

} // namespace tw::test
