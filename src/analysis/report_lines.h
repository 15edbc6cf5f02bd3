#pragma once

#include "analysis/first_seen_tally.h"

#include <QByteArray>

#include <functional>
#include <vector>

namespace tw {

// Takes report text (UTF-8, lines ending in CR LF) in pieces of whole lines, so that a report as
// long as the list is never held whole on its way to a file or a window.
using ReportSink = std::function<void(QByteArrayView)>;

// Report lines on their way to a sink: collected in a buffer that is handed on whenever a line
// ends past about a megabyte, and by finish().
class ReportLines {
public:
    explicit ReportLines(const ReportSink& sink) : m_sink(sink) {}
    Q_DISABLE_COPY_MOVE(ReportLines)

    void append(QByteArrayView text) { m_buffer.append(text); }
    void appendNumber(qint64 n);
    // Ends the line with CR LF.
    void endLine();
    void finish();

private:
    const ReportSink& m_sink;
    QByteArray m_buffer;
};

// Appends the entry lines "  <count>回<TAB><prefix><key>" of a tally in the given order.
void appendEntryLines(ReportLines& out, const FirstSeenTally& tally,
                      const std::vector<qsizetype>& order, std::size_t lines,
                      QByteArrayView keyPrefix = {});

// Hands text to take in runs of whole lines of about a megabyte (a longer line is one run).
void forEachLineRun(QByteArrayView text, const std::function<void(QByteArrayView)>& take);

// Report text as printed and shown: UTF-16, each CR LF made an LF, without code marks (the
// saved report keeps them). Pieces from a sink or from forEachLineRun() end with their lines,
// so no CR LF is split between two of them.
QString shownReportText(QByteArrayView utf8);

// Everything a report writer hands to its sink, as one text.
QString collectReport(const std::function<void(const ReportSink&)>& write);

} // namespace tw
