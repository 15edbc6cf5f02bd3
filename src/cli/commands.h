#pragma once

#include <QStringList>
#include <QTextStream>

// One function per command; args are the arguments after the command name.
namespace tw::cli {

int runShow(const QStringList& args, QTextStream& out, QTextStream& err);
int runSave(const QStringList& args, QTextStream& out, QTextStream& err);
int runStats(const QStringList& args, QTextStream& out, QTextStream& err);
int runSearch(const QStringList& args, QTextStream& out, QTextStream& err);
int runRepair(const QStringList& args, QTextStream& out, QTextStream& err);
// report --html: the HTML report of the kept rows.
int runReport(const QStringList& args, QTextStream& out, QTextStream& err);
int runLfToCrLf(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace tw::cli
