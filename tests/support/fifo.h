#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace tw::test {

// A named pipe with no writer, in a temporary folder of its own.
class Fifo {
public:
    Fifo();
    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.filePath(QStringLiteral("pipe")); }

    // Runs work and gives it ms to end. Work still waiting on the pipe then gets writers that
    // write nothing until it ends, so that a test fails instead of hanging. True when work
    // ended in time by itself.
    bool endsWithin(int ms, const std::function<void()>& work) const;

private:
    QTemporaryDir m_dir;
    bool m_valid = false;
};

} // namespace tw::test
