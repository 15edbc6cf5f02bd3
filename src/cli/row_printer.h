#pragma once

#include "core/log_list.h"

#include <QByteArray>
#include <QTextStream>

namespace tw::cli {

// Prints rows as show and search list them: the 1-based row number in display order, the
// BrowserClass key and the five texts, TAB-separated, one line ending in LF per row.
class RowPrinter final {
public:
    explicit RowPrinter(QTextStream& out) : m_out(out) {}
    void print(const LogList& list, qsizetype row);

private:
    QTextStream& m_out;
    QByteArray m_line; // reused, so that a long listing does not allocate per row
};

} // namespace tw::cli
