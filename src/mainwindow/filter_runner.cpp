#include "mainwindow/filter_runner.h"

#include <QMetaObject>

#include <thread>

namespace tw {

struct FilterRunner::Job {
    std::atomic<bool> cancel = false;
    std::thread thread;
    std::shared_ptr<Job> older; // still to be joined before the list may change
};

FilterRunner::FilterRunner(const LogList& list, QObject* parent) : QObject(parent), m_list(list) {}

FilterRunner::~FilterRunner()
{
    cancel();
}

void FilterRunner::request(const RowFilter& filter)
{
    auto job = std::make_shared<Job>();
    if (m_running) {
        m_running->cancel = true;
        job->older = std::move(m_running);
    }
    const quint64 serial = ++m_serial;
    m_running = job;
    job->thread = std::thread([this, job = job.get(), filter, serial] {
        std::optional<std::vector<quint32>> rows;
        std::exception_ptr failure;
        try {
            rows = filterRows(m_list, filter, &job->cancel);
        } catch (...) {
            failure = std::current_exception();
        }
        if (job->cancel)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, serial, filter, rows = std::move(rows), failure] {
                if (serial != m_serial)
                    return; // a newer request is on its way
                cancel();   // joins this job's thread, done by now
                if (rows)
                    emit finished(filter, *rows);
                else if (failure)
                    emit failed(failure);
            },
            Qt::QueuedConnection);
    });
}

void FilterRunner::cancel()
{
    std::shared_ptr<Job> job = std::move(m_running);
    ++m_serial; // what is still queued is now stale
    for (; job; job = std::move(job->older)) {
        job->cancel = true;
        if (job->thread.joinable())
            job->thread.join();
    }
}

} // namespace tw
