#pragma once

#include "analysis/row_filter.h"

#include <QObject>

#include <atomic>
#include <exception>
#include <memory>
#include <vector>

namespace tw {

class LogList;

// Works out which rows pass a filter beside the window: each new request cancels the one before,
// so typing never waits for the filtering of an older text. The list must not change while a
// request runs: whoever changes it cancels first.
class FilterRunner final : public QObject {
    Q_OBJECT

public:
    explicit FilterRunner(const LogList& list, QObject* parent = nullptr);
    ~FilterRunner() override;

    void request(const RowFilter& filter);
    // Stops the running request (if any) and waits until its thread lets go of the list.
    void cancel();
    bool isRunning() const { return m_running != nullptr; }

signals:
    // On the runner's thread, for the latest request only.
    void finished(const tw::RowFilter& filter, const std::vector<quint32>& rows);
    // Memory ran out (or another failure) while filtering: the rows shown stay as they were.
    void failed(const std::exception_ptr& failure);

private:
    struct Job;
    const LogList& m_list;
    std::shared_ptr<Job> m_running;
    quint64 m_serial = 0;
};

} // namespace tw
