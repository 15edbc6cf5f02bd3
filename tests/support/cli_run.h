#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tw::test {

// What a run of the built tallyweaver-cli left: exit status (-1 when it did not end normally
// within the time given, 30 s unless said) and its output and diagnostics as UTF-8.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the built tallyweaver-cli; setup runs in the child before it starts. A non-empty
// tempFolder becomes the child's temporary folder (TMPDIR); a non-empty outputFile takes its
// standard output instead of CliRun::out.
CliRun runCli(const QStringList& args, const std::function<void()>& setup = {},
              const QString& tempFolder = {}, const QString& outputFile = {}, int msecs = 30000);

// A setup for runCli that limits the files the child writes to bytes, as a full disk would.
std::function<void()> fileSizeLimit(long bytes);
// A setup for runCli that limits the child's address space to bytes, so that it runs out of
// memory early; none under the address sanitizer.
std::function<void()> memoryLimit(long bytes);

// Records shared by the command-line tests: the five texts of an IE row with a Japanese search
// referrer and of a WWWC row without a host name.
extern const QStringList kMsieRecord;
extern const QStringList kWwwcRecord;

} // namespace tw::test
