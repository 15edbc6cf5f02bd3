#pragma once

#include "core/log_list.h"

#include <QByteArray>
#include <QTextStream>

namespace tw::cli {

// Prints rows as show and search list them: the 1-based row number (its position in display
// order, or among the rows a filter keeps), the
// BrowserClass key and the five texts (with allFields the four fields web logs add after them,
// empty where a row has none), TAB-separated, one line ending in LF per row.
class RowPrinter final {
public:
    RowPrinter(QTextStream& out, bool allFields) : m_out(out), m_allFields(allFields) {}
    void print(const LogList& list, qsizetype row, qsizetype number);

private:
    QTextStream& m_out;
    bool m_allFields;
    QByteArray m_line; // reused, so that a long listing does not allocate per row
};

} // namespace tw::cli
