#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tw {

// Runs one command line of tallyweaver-cli. args are the arguments without the program name;
// out gets the command's output (UTF-8, LF), err the diagnostics. Returns the exit status;
// output that out could not take in full ends with ExitWriteError after one line on err.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

namespace cli {

QString usageText();
// Writes "tallyweaver-cli: message", a blank line and the usage to err; returns ExitUsage.
int usageError(QTextStream& err, const QString& message);
// Writes "path: reason" to err and returns status.
int fileError(QTextStream& err, const QString& path, const QString& reason, int status);
// Writes "path: write error: detail" ("unknown" for an empty detail); returns ExitWriteError.
int writeError(QTextStream& err, const QString& path, const QString& detail);

} // namespace cli
} // namespace tw
